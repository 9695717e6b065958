#!/bin/sh
# Five runs on a private 1280x1024 display with openbox: the window opens where lines 3 and 4 of
# Cadenzo.ini say and stays put; the warning box (no MIDI device 200) stands 40 px right and below.
# Usage: xvfb-run -a window_place_test.sh CADENZO_BINARY
set -eu
program=$1 failed=0 work=$(mktemp -d) pids=
for tool in openbox xdotool xwininfo; do command -v "$tool" >/dev/null || { echo "missing $tool"; exit 1; }; done
trap 'kill $pids 2>/dev/null; rm -rf "$work"' EXIT
mkdir -m 700 "$work/run"
# A private lock and socket: a Cadenzo running elsewhere for the same user is not disturbed.
export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" TMPDIR="$work/run" QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0
openbox >/dev/null 2>&1 &
pids=$!
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done
# The place of a window's frame: its client's place less the client's offset in the frame.
frame() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {ax=$NF} /Absolute upper-left Y/ {ay=$NF}
        /Relative upper-left X/ {rx=$NF} /Relative upper-left Y/ {ry=$NF}
        END {print ax-rx, ay-ry}'
}
find_window() { # title, waited for up to 20 s
    timeout 20 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1 | grep . ||
        { echo "no window $1" >&2; return 1; }
}
settings_place() { tr -d '\r' <Cadenzo.ini | awk 'NR == 3 { top = $0 } NR == 4 { print $0, top }'; }

cd "$work"
printf 'CZ0200\r\n0\r\n30\r\n30\r\n422\r\n270\r\n0\r\n8388608\r\n8388608\r\n16777215\r\n65535\r\n0\r\n24\r\n100\r\n200\r\nTrue\r\nFalse\r\nTrue\r\n0\r\n422\r\n28\r\n23\r\n19\r\n14\r\n9\r\n4\r\n' >Cadenzo.ini
for run in 1 2 3 4 5; do
    "$program" >"$work/out.txt" 2>&1 &
    pid=$!
    main=$(find_window '^Cadenzo v2.02$')
    box=$(find_window '^Cadenzo$')
    # The window manager frames the box a moment after it shows.
    for _ in $(seq 50); do
        set -- $(frame "$main") $(frame "$box")
        [ "$3 $4" = "$(($1 + 40)) $(($2 + 40))" ] && break; sleep 0.1
    done
    saved=$(settings_place)
    echo "run $run: window at $1 $2, box at $3 $4, settings left top $saved"
    [ "$1 $2" = "$saved" ] || { echo "the window did not open where the settings say"; failed=1; }
    [ "$3 $4" = "$(($1 + 40)) $(($2 + 40))" ] || { echo "the box is not at left+40, top+40"; failed=1; }
    xdotool windowactivate --sync "$box" key Return sleep 0.3
    xdotool windowactivate --sync "$main" key alt+F4
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    ! kill -0 "$pid" 2>/dev/null || { echo "Cadenzo did not close"; kill "$pid"; cat "$work/out.txt"; exit 1; }
    wait "$pid" || { echo "Cadenzo failed"; cat "$work/out.txt"; exit 1; }
done
after=$(settings_place)
echo "settings left top after five runs: $after"
[ "$after" = "30 30" ] || { echo "the window walked"; failed=1; }
exit $failed
