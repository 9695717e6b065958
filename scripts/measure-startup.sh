#!/usr/bin/env bash
# Start-up time of Cadenzo to its first mapped, painted window, under a private Xvfb display.
# Usage: scripts/measure-startup.sh [BINARY] [RUNS]   (default build/src/app/cadenzo, 7 runs)
# Prints every run and the median in milliseconds. Each run starts in a fresh folder, so the
# first-run files are written as on a new machine.
set -euo pipefail
binary=$(realpath "${1:-build/src/app/cadenzo}")
runs=${2:-7}
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null || {
    echo "needs xvfb-run and xdotool" >&2; exit 1; }

inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat >"$inner" <<'INNER'
#!/usr/bin/env bash
binary=$1; runs=$2
for i in $(seq "$runs"); do
    work=$(mktemp -d); cd "$work"
    start=$(date +%s%N)
    "$binary" >/dev/null 2>&1 &
    pid=$!
    # xdotool's own --sync waits half a second between looks; look every 5 ms instead.
    until xdotool search --onlyvisible --name '^Cadenzo v2.02$' >/dev/null 2>&1; do
        sleep 0.005
    done
    end=$(date +%s%N)
    echo $(( (end - start) / 1000000 ))
    kill "$pid"; wait "$pid" 2>/dev/null
    cd /; rm -rf "$work"
done
INNER
chmod +x "$inner"
times=$(xvfb-run -a -s '-screen 0 1024x768x24' "$inner" "$binary" "$runs")
echo "runs (ms): $(echo $times)"
echo "median (ms): $(printf '%s\n' $times | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')"
