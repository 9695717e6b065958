#!/bin/sh
# Crash recovery of the real program (X display): Cadenzo enters chords at a steady pace and is
# killed with SIGKILL at a random moment; the next start offers the unsaved song, which is
# restored and saved under its name. The saved song must hold every chord entered up to 2 s
# before the kill and none that was never entered, and a normal close leaves no recovery copy.
# Usage: recovery_test.sh CADENZO CADENZO-CLI [ROUNDS]
set -u
program=$1 cli=$2 rounds=${3:-20} work=$(mktemp -d) pid= failed=0
empty=$(cd "$(dirname "$0")/../fuzz/corpus/song_file" && pwd)/empty.cz0
trap 'kill -s KILL $pid 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; failed=1; }
give_up() { fail "$@"; ls -la "$work/state/cadenzo"; cat out; kill -s KILL "$pid"; wait "$pid"; }
mkdir -m 700 "$work/run" "$work/song"
export XDG_RUNTIME_DIR="$work/run" XDG_STATE_HOME="$work/state" TMPDIR="$work/run" \
    QT_QPA_PLATFORM=xcb
cd "$work/song" || exit 1
# The sequencer pane open, so that Ctrl+Q enters the chord held on the neck at the cursor.
printf 'CZ0200\r\n1\r\n30\r\n30\r\n422\r\n500\r\n0\r\n8388608\r\n8388608\r\n16777215\r\n65535\r\n0\r\n24\r\n100\r\n0\r\nTrue\r\nFalse\r\nTrue\r\n0\r\n422\r\n28\r\n23\r\n19\r\n14\r\n9\r\n4\r\n' >Cadenzo.ini
now() { date +%s%N; }
window() { # the first visible window of the running Cadenzo titled $1
    for _ in $(seq 300); do
        xdotool search --all --onlyvisible --pid "$pid" --name "$1" 2>/dev/null | head -n 1 \
            | grep . && return 0; sleep 0.1
    done
    return 1
}
answer() { # presses Return in the box titled "Cadenzo" (the device's warning, the offer)
    box=$(window '^Cadenzo$') && xdotool mousemove --window "$box" 20 20 key Return
    sleep 0.3
}
events() { "$cli" info song.cz0 | python3 -c '
import json, sys
song = json.load(sys.stdin)
ticks = [e["tick"] for e in song["events"]]
# Every Ctrl+Q entered the chord one step (an eighth, 240 ticks) after the one before.
print(len(ticks) if ticks == [240 * i for i in range(len(ticks))] else -1)'; }
for round in $(seq "$rounds"); do
    cp "$empty" song.cz0
    "$program" song.cz0 >out 2>&1 &
    pid=$!
    main=$(window '^Cadenzo v2.02$') || { fail "$round: no window"; break; }
    answer # the device's warning: no sound card here
    xdotool mousemove --window "$main" 200 60 windowfocus --sync "$main"
    # Chords every 0.1 s for a random 0.3 to 4.5 s; each press's time is noted as it is sent.
    stop=$(($(now) + 300000000 + $(awk "BEGIN { srand($$ + $round); print int(rand() * 4200) }") * 1000000))
    : >presses
    while [ "$(now)" -lt "$stop" ]; do
        xdotool key ctrl+q && now >>presses
        sleep 0.1
    done
    sent=$(wc -l <presses)
    if [ $((round % 5)) -eq 0 ]; then
        xdotool key ctrl+n sleep 0.5 # New Song asks
        kill -s TERM "$pid"
        for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -s KILL "$pid" 2>/dev/null && fail "$round: still running 10 s after SIGTERM"
        wait "$pid"; rc=$?
        [ "$rc" -eq 0 ] || fail "$round: exit status $rc after SIGTERM at the question"
        due=$sent
    else
        killed=$(now); kill -s KILL "$pid"; wait "$pid" 2>/dev/null
        due=$(awk -v limit=$((killed - 2000000000)) '$1 <= limit' presses | wc -l)
    fi
    copies=$(find "$work/state" -name '*.cz0' | wc -l) # none when killed before the first
    "$program" >out 2>&1 &
    pid=$!
    if [ "$copies" -gt 0 ]; then
        window '^Cadenzo$' >/dev/null || { give_up "$round: no offer to restore"; continue; }
        answer # Restore
    fi
    answer # the device's warning
    main=$(window 'Cadenzo v2.02') || { give_up "$round: no window after restoring"; continue; }
    if [ "$copies" -gt 0 ]; then
        [ "$(xdotool getwindowname "$main")" = 'Cadenzo v2.02*' ] || fail "$round: not shown as changed"
        xdotool mousemove --window "$main" 200 60 windowfocus --sync "$main" key ctrl+s
        for _ in $(seq 50); do [ "$(xdotool getwindowname "$main")" = 'Cadenzo v2.02' ] && break; sleep 0.1; done
    fi
    xdotool mousemove --window "$main" 200 60 windowfocus --sync "$main" key alt+f sleep 0.3 key x
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && { fail "$round: did not close"; kill -s KILL "$pid"; }
    wait "$pid" 2>/dev/null
    got=0
    [ "$copies" -gt 0 ] && got=$(events)
    echo "round $round: $sent chords entered, $due of them 2 s before the kill, $got restored"
    [ "$got" -ge "$due" ] && [ "$got" -le "$sent" ] || fail "$round: $got chords restored"
    left=$(find "$work/state" -name '*.cz0' | wc -l)
    [ "$left" -eq 0 ] || fail "$round: $left recovery copies left after a normal close"
done
exit $failed
