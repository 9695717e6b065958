#!/usr/bin/env bash
# Start-up time of Cadenzo to its first mapped window, beside the floor of the toolkit: a bare Qt
# window of the same size and title (bench/bare_window), the two started in turn in one run under
# a private Xvfb display with the openbox window manager (when installed), so that both see the
# same machine load.
# Usage: scripts/measure-startup.sh [CADENZO] [BARE_WINDOW] [RUNS]
#   defaults build-bench/src/app/cadenzo, build-bench/bench/bare_window (make bench), 7 runs;
#   BARE_WINDOW "-" times Cadenzo alone.
# Prints each run, both medians and their ratio, and from Cadenzo's own marks
# (CADENZO_STARTUP_TRACE) the median time of each start-up step from the launch and the time the
# sound device was ready after the window. A run fails after CADENZO_STARTUP_LIMIT_MS (default
# 20000) without a window. Each run starts in a fresh folder, so the first-run files are written
# as on a new machine.
set -euo pipefail
cadenzo=$(realpath "${1:-build-bench/src/app/cadenzo}")
bare=${2:-build-bench/bench/bare_window}
[ "$bare" != - ] && bare=$(realpath "$bare")
runs=${3:-7}
# The window title carries the version of the top CMakeLists.txt.
version=$(sed -n 's/^project(Cadenzo VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../CMakeLists.txt")
title="Cadenzo v$version"
limit_ms=${CADENZO_STARTUP_LIMIT_MS:-20000}
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null || {
    echo "needs xvfb-run and xdotool" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/inner" <<'INNER'
#!/usr/bin/env bash
# One line per run: "NAME MS", and Cadenzo's marks as "mark STEP MS" (from its launch). A run
# that shows no window within the limit, or whose program ends first, fails the measurement.
cadenzo=$1; bare=$2; runs=$3; title=$4; limit_ms=$5
folder=""; pid=""; wm=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    cd /; [ -n "$folder" ] && rm -rf "$folder"
}
trap 'cleanup; [ -n "$wm" ] && kill "$wm" 2>/dev/null' EXIT
export XDG_RUNTIME_DIR=$(mktemp -d) XDG_STATE_HOME=$(mktemp -d) XDG_CONFIG_HOME=$(mktemp -d)
chmod 700 "$XDG_RUNTIME_DIR"
if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 & wm=$!
    sleep 0.5
fi
# time_one NAME BINARY: launches it, waits for its window, prints the time.
time_one() {
    folder=$(mktemp -d); cd "$folder"
    local start; start=$(date +%s%N)
    CADENZO_STARTUP_TRACE=1 "$2" >/dev/null 2>"$folder/err" &
    pid=$!
    # xdotool's own --sync waits half a second between looks; look every 5 ms instead.
    until xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1; do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"; echo "$1: the program ended (status $?) before its window showed" >&2
            pid=""; exit 1
        fi
        if [ $(( ($(date +%s%N) - start) / 1000000 )) -gt "$limit_ms" ]; then
            echo "$1: no window titled \"$title\" within $limit_ms ms" >&2; exit 1
        fi
        sleep 0.005
    done
    echo "$1 $(( ($(date +%s%N) - start) / 1000000 ))"
    # The sound device opens after the window: wait for its mark (or two seconds).
    if [ "$1" = cadenzo ]; then
        for _ in $(seq 400); do grep -q '^startup device ' "$folder/err" && break; sleep 0.005; done
        awk -v s="$start" '$1 == "startup" { printf "mark %s %d\n", $2, ($3 - s) / 1000000 }' \
            "$folder/err"
    fi
    cleanup; folder=""; pid=""
}
for i in $(seq "$runs"); do
    time_one cadenzo "$cadenzo"
    if [ "$bare" != - ]; then time_one bare "$bare"; fi
done
INNER
chmod +x "$work/inner"
xvfb-run -a -s '-screen 0 1400x900x24' "$work/inner" "$cadenzo" "$bare" "$runs" "$title" \
    "$limit_ms" >"$work/out"

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
window=$(awk '$1 == "cadenzo" {print $2}' "$work/out" | median)
echo "cadenzo runs (ms): $(awk '$1 == "cadenzo" {printf "%s ", $2}' "$work/out")"
echo "cadenzo median (ms): $window"
if [ "$bare" != - ]; then
    floor=$(awk '$1 == "bare" {print $2}' "$work/out" | median)
    echo "bare window runs (ms): $(awk '$1 == "bare" {printf "%s ", $2}' "$work/out")"
    echo "bare window median (ms): $floor"
    echo "ratio: $(awk -v a="$window" -v b="$floor" 'BEGIN {printf "%.2f", a / b}')"
fi
# Each step's median time from the launch, in the order of the first run.
for step in $(awk '$1 == "mark" && !seen[$2]++ {print $2}' "$work/out"); do
    echo "step $step (ms from launch): $(awk -v s="$step" '$1 == "mark" && $2 == s {print $3}' \
        "$work/out" | median)"
done
if grep -q '^mark device ' "$work/out"; then
    device=$(awk '$1 == "mark" && $2 == "device" {print $3}' "$work/out" | median)
    echo "sound device ready after the window (ms): $((device - window))"
fi
