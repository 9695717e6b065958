#!/bin/sh
# The built-in synthesizer (device 0) on a private dummy JACK server: its ports appear, joined to
# the server's outputs; jack_rec records them while CLI COMMAND ARGS... runs. The sound must be
# loud; after a song the last 50 ms before the synthesizer closes must have rung down to a
# quarter of that (a note left sounding would not).
set -u
work=$(mktemp -d) jackd_pid= rec_pid=
export JACK_DEFAULT_SERVER="cadenzo-synth-peer-$$" JACK_NO_AUDIO_RESERVATION=1
trap 'kill $rec_pid $jackd_pid 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
sh "$(dirname "$0")/../support/clear_stale_jack_registry.sh"
wait_for() { # COMMAND: true once it succeeds, false after ten seconds
    i=0
    until eval "$1"; do i=$((i + 1)); [ $i -gt 200 ] && return 1; sleep 0.05; done
}
jackd --no-realtime -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 &
jackd_pid=$!
wait_for 'jack_lsp >/dev/null 2>&1' || { echo "no jackd"; cat "$work/jackd.log"; exit 1; }
"$@" 2>"$work/cli.log" &
cli_pid=$!
left="Cadenzo Synthesizer:left"
wait_for "jack_lsp -c '$left' 2>/dev/null | grep -q system:playback_1" || {
    echo "no synthesizer ports joined to the outputs"; cat "$work/cli.log"; exit 1; }
jack_rec -f "$work/out.wav" -d 5 "$left" "Cadenzo Synthesizer:right" >/dev/null 2>&1 &
rec_pid=$!
wait $cli_pid || { echo "cadenzo-cli failed"; cat "$work/cli.log"; exit 1; }
wait $rec_pid
rec_pid=
/usr/bin/python3 - "$work/out.wav" "$2" <<'PY'
import array, sys, wave
with wave.open(sys.argv[1]) as w:
    pcm = array.array("h", w.readframes(w.getnframes()))
loud = [i for i, v in enumerate(pcm) if abs(v) > 30]
peak, tail = max(map(abs, pcm)), max(map(abs, pcm[loud[-1] - 4800:loud[-1]])) if loud else 0
print(f"peak {peak}, last 50 ms {tail}, sound ends at {len(loud) and loud[-1] / 96000:.2f} s")
rung_down = sys.argv[2] != "play" or tail < peak / 4
sys.exit(0 if peak > 2000 and rung_down and loud[-1] < len(pcm) - 9600 else 1)
PY
