#!/bin/sh
# The built-in synthesizer (device 0) on a private dummy JACK server while CLI COMMAND ARGS... runs,
# recorded by jack_rec from loopback ports, so the first note is heard only if the synthesizer's
# ports are joined. Must be loud; the last 50 ms must ring down to a quarter (a held note won't);
# a stroke's woodblock attacks come 37 ms apart also at a server rate other than RATE (48000).
set -u
work=$(mktemp -d)
export JACK_DEFAULT_SERVER="cadenzo-synth-peer-$$" JACK_NO_AUDIO_RESERVATION=1
sh "$(dirname "$0")/../support/clear_stale_jack_registry.sh"
wait_for() { i=0; until eval "$1"; do i=$((i + 1)); [ $i -gt 200 ] && return 1; sleep 0.05; done; }
jackd --no-realtime -L 2 -d dummy -P 0 -r "${RATE:-48000}" -p 256 >"$work/log" 2>&1 &
trap "kill $!; wait; rm -rf '$work'" EXIT
wait_for 'jack_lsp >/dev/null 2>&1' || { echo "no jackd"; cat "$work/log"; exit 1; }
cat >"$work/check.py" <<'PY'
import array, sys, wave
pcm = array.array("h", (w := wave.open(sys.argv[1])).readframes(w.getnframes()))
ms = 2 * w.getframerate() // 1000  # samples of both channels in a millisecond
end = max([i for i, v in enumerate(pcm) if abs(v) > 30], default=0)  # where the sound stops
peak, tail = max(map(abs, pcm)), max(map(abs, pcm[max(end - 50 * ms, 0):end + 1]))
print(f"peak {peak}, last 50 ms {tail}, sound ends at {end / ms / 1000:.2f} s")
# Attacks: a millisecond 2.5 times louder than the five before it, placed at its first sample
# above half its peak. A busy machine may move one string; a clock at a wrong rate moves them all.
env = [max(map(abs, pcm[i:i + ms])) for i in range(0, len(pcm) - ms, ms)]
hits = [i for i in range(6, len(env)) if env[i] > 800 and env[i] > 2.5 * max(env[i - 6:i - 1])]
at = [(i * ms + next(j for j, v in enumerate(pcm[i * ms:]) if 2 * abs(v) > env[i])) /
      (w.getframerate() / 500) for i in hits]
gaps = [round(b - a, 1) for a, b in zip(at, at[1:]) if b - a > 15]
print(f"gaps between strings (ms): {gaps}")
spaced = len(gaps) == 5 and sum(abs(g - 37) <= 1.5 for g in gaps) >= 3  # one string: two gaps
sys.exit(not (peak > 1000 and end < len(pcm) - 100 * ms and
              (sys.argv[2] != "play" or tail < peak / 4) and (sys.argv[2] != "strum" or spaced)))
PY
# A busy machine may disturb a take; a fault disturbs every one.
for take in 1 2 3; do
    jack_rec -f "$work/out.wav" -d 5 loopback:capture_1 loopback:capture_2 >/dev/null 2>&1 &
    wait_for "jack_lsp -c loopback:capture_2 2>/dev/null | grep -q jackrec" ||
        { echo "no jack_rec"; exit 1; }
    "$@" 2>"$work/log" || { echo "cadenzo-cli failed"; cat "$work/log"; exit 1; }
    wait $!
    /usr/bin/python3 "$work/check.py" "$work/out.wav" "$2" && exit 0
done
exit 1
