#!/bin/sh
# The built-in synthesizer (device 0) on a private dummy JACK server while CLI COMMAND ARGS...
# runs: its ports appear joined to the outputs and jack_rec records them. The sound must be loud;
# a song's last 50 ms before the close must have rung down to a quarter (a held note would not).
set -u
work=$(mktemp -d) port="Cadenzo Synthesizer"
export JACK_DEFAULT_SERVER="cadenzo-synth-peer-$$" JACK_NO_AUDIO_RESERVATION=1
sh "$(dirname "$0")/../support/clear_stale_jack_registry.sh"
wait_for() { i=0; until eval "$1"; do i=$((i + 1)); [ $i -gt 200 ] && return 1; sleep 0.05; done; }
jackd --no-realtime -d dummy -r 48000 -p 256 >"$work/log" 2>&1 &
trap "kill $!; wait; rm -rf '$work'" EXIT
wait_for 'jack_lsp >/dev/null 2>&1' || { echo "no jackd"; cat "$work/log"; exit 1; }
"$@" 2>"$work/log" &
cli_pid=$!
wait_for "jack_lsp -c '$port:left' 2>/dev/null | grep -q system:playback_1" &&
    jack_rec -f "$work/out.wav" -d 5 "$port:left" "$port:right" >/dev/null 2>&1 &
wait $cli_pid && wait $! || { echo "cadenzo-cli failed or no ports"; cat "$work/log"; exit 1; }
/usr/bin/python3 - "$work/out.wav" "$2" <<'PY'
import array, sys, wave
pcm = array.array("h", (w := wave.open(sys.argv[1])).readframes(w.getnframes()))
end = max([i for i, v in enumerate(pcm) if abs(v) > 30], default=0)  # where the sound stops
peak, tail = max(map(abs, pcm)), max(map(abs, pcm[max(end - 4800, 0):end + 1]))
print(f"peak {peak}, last 50 ms {tail}, sound ends at {end / 96000:.2f} s")
sys.exit(not (peak > 2000 and end < len(pcm) - 9600 and (sys.argv[2] != "play" or tail < peak / 4)))
PY
