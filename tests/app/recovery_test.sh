#!/bin/sh
# Crash recovery (X display): Cadenzo, entering chords at a steady pace, is SIGKILLed at random;
# the restored song must hold every chord entered up to 2 s before the kill and no other, and a
# normal close leaves no copy. Every fifth round ends by SIGTERM at "Save changes to the song?".
# Usage: recovery_test.sh CADENZO CADENZO-CLI [ROUNDS]
set -u
program=$1 cli=$2 rounds=${3:-20} work=$(mktemp -d) pid= failed=0
empty=$(cd "$(dirname "$0")/../fuzz/corpus/song_file" && pwd)/empty.cz0
trap 'kill -s KILL $pid 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; failed=1; }
export XDG_RUNTIME_DIR="$work/run" XDG_STATE_HOME="$work/state" XDG_CONFIG_HOME="$work/config" TMPDIR="$work/run" QT_QPA_PLATFORM=xcb
mkdir -m 700 "$work/run" "$work/song" && cd "$work/song" || exit 1
# The sequencer pane open, so that Ctrl+Q enters the chord held on the neck at the cursor.
printf '%s\r\n' CZ0200 1 30 30 422 500 0 8388608 8388608 16777215 65535 0 24 100 0 True False \
    True 0 422 28 23 19 14 9 4 >Cadenzo.ini
window() { # the first visible window of the running Cadenzo titled $1
    timeout 30 xdotool search --sync --all --onlyvisible --pid "$pid" --name "$1" | head -n 1 | grep .
}
answer() { box=$(window '^Cadenzo$') && xdotool mousemove --window "$box" 9 9 key Return sleep 0.3; }
focus() { xdotool mousemove --window "$main" 200 60 windowfocus --sync "$main" "$@"; }
ended() { # waits up to 10 s for Cadenzo to end; its exit status
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -s KILL "$pid" 2>/dev/null && fail "$round: still running after 10 s"
    wait "$pid"
}
for round in $(seq "$rounds"); do
    cp "$empty" song.cz0
    "$program" song.cz0 >out 2>&1 &
    pid=$!
    main=$(window '^Cadenzo v2.02$') || { fail "$round: no window"; break; }
    answer; focus # after the device's warning: no sound card here
    # Chords every 0.1 s for a random 0.3 to 4.5 s; each press's time is noted as it is sent.
    stop=$(($(date +%s%N) + 300000000 + $(awk "BEGIN { srand($$ + $round); print int(rand() * 4200) }") * 1000000))
    : >presses
    while [ "$(date +%s%N)" -lt "$stop" ]; do xdotool key ctrl+q && date +%s%N >>presses; sleep 0.1; done
    sent=$(wc -l <presses) due=$sent
    if [ $((round % 5)) -eq 0 ]; then
        xdotool key ctrl+n sleep 0.5 && kill -s TERM "$pid" # while New Song asks
        ended || fail "$round: exit status $? after SIGTERM at the question"
    else
        killed=$(date +%s%N); kill -s KILL "$pid"; wait "$pid" 2>/dev/null
        due=$(awk -v limit=$((killed - 2000000000)) '$1 <= limit' presses | wc -l)
    fi
    copies=$(find "$work/state" -name '*.cz0' | wc -l) # none when killed before the first
    "$program" >out 2>&1 &
    pid=$!
    [ "$copies" -eq 0 ] || answer || fail "$round: no offer to restore"
    answer
    main=$(window 'Cadenzo v2.02') || { fail "$round: no window: $(cat out)"; break; }
    if [ "$copies" -gt 0 ]; then
        [ "$(xdotool getwindowname "$main")" = 'Cadenzo v2.02*' ] || fail "$round: not changed"
        focus key ctrl+s
        for _ in $(seq 50); do [ "$(xdotool getwindowname "$main")" = 'Cadenzo v2.02' ] && break; sleep 0.1; done
    fi
    focus key alt+f sleep 0.3 key x # "Close (&X)": nothing left to ask
    ended || fail "$round: exit status $? after Close"
    # Every Ctrl+Q entered the chord one step (an eighth, 240 ticks) after the one before.
    got=$({ [ "$copies" -eq 0 ] || "$cli" info song.cz0; } | grep -o '"tick": [0-9]*' |
        awk '$2 != 240 * n { bad = 1 } { n++ } END { print bad ? -1 : n + 0 }')
    echo "round $round: $sent chords entered, $due of them 2 s before the kill, $got restored"
    [ "$got" -ge "$due" ] && [ "$got" -le "$sent" ] || fail "$round: $got chords restored"
    [ -z "$(find "$work/state" -name '*.cz0')" ] || fail "$round: a copy left after a normal close"
done
exit $failed
