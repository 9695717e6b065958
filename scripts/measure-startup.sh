#!/usr/bin/env bash
# Start-up time of Cadenzo to its first mapped, painted window, under a private Xvfb display.
# Usage: scripts/measure-startup.sh [BINARY] [RUNS]   (default build/src/app/cadenzo, 7 runs)
# A run fails after CADENZO_STARTUP_LIMIT_MS (default 20000) without a window.
# Prints every run and the median in milliseconds. Each run starts in a fresh folder, so the
# first-run files are written as on a new machine.
set -euo pipefail
binary=$(realpath "${1:-build/src/app/cadenzo}")
runs=${2:-7}
# The window title carries the version of the top CMakeLists.txt.
version=$(sed -n 's/^project(Cadenzo VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../CMakeLists.txt")
title="Cadenzo v$version"
limit_ms=${CADENZO_STARTUP_LIMIT_MS:-20000}
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null || {
    echo "needs xvfb-run and xdotool" >&2; exit 1; }

inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat >"$inner" <<'INNER'
#!/usr/bin/env bash
# A run that shows no window within the limit, or whose program ends first, fails the
# measurement; its folder and its program go with it.
binary=$1; runs=$2; title=$3; limit_ms=$4
work=""; pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    cd /; [ -n "$work" ] && rm -rf "$work"
}
trap cleanup EXIT
for i in $(seq "$runs"); do
    work=$(mktemp -d); cd "$work"
    start=$(date +%s%N)
    "$binary" >/dev/null 2>&1 &
    pid=$!
    # xdotool's own --sync waits half a second between looks; look every 5 ms instead.
    until xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1; do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"; echo "run $i: the program ended (status $?) before its window showed" >&2
            pid=""; exit 1
        fi
        if [ $(( ($(date +%s%N) - start) / 1000000 )) -gt "$limit_ms" ]; then
            echo "run $i: no window titled \"$title\" within $limit_ms ms" >&2; exit 1
        fi
        sleep 0.005
    done
    end=$(date +%s%N)
    echo $(( (end - start) / 1000000 ))
    cleanup; work=""; pid=""
done
INNER
chmod +x "$inner"
times=$(xvfb-run -a -s '-screen 0 1024x768x24' "$inner" "$binary" "$runs" "$title" "$limit_ms")
echo "runs (ms): $(echo $times)"
echo "median (ms): $(printf '%s\n' $times | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')"
