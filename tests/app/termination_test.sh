#!/bin/sh
# Ending Cadenzo and cadenzo-cli from outside. Modes:
#   window PROGRAM   (X display) register a chord, then SIGTERM/INT/HUP, TERM+HUP, HUP+HUP
#   startup PROGRAM  (X display) SIGTERM at 20 moments of the first second
#     both: exit 0, backup.crd holds the chords, Cadenzo.ini is complete
#   instance PROGRAM (X display) a start on another display runs; one given a file hands it over
#   cli CLI SONG     play and strum to a JACK peer, SIGINT: a note-off follows every note-on
set -u
mode=$1 program=$2 work=$(mktemp -d) pids= failed=0
trap 'kill $pids 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; failed=1; }
mkdir -m 700 "$work/run" # private single-instance lock
export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" TMPDIR="$work/run" QT_QPA_PLATFORM=xcb
start() { # in a fresh folder $1, opening the chord lines $crd (else a probe); blocked at first,
    # so that a signal sent before main() (where no handler can exist yet) waits for its handler
    mkdir "$work/$1"
    printf '%s\r\n' ${crd:-1 SignalProbe 19 0 1 0 2 3 255} >"$work/$1/probe.crd"
    (cd "$work/$1" && exec env --block-signal=HUP,INT,TERM "$program" probe.crd >out 2>&1) &
    pid=$!
}
ended() { # wait for $pid, killed after a minute; $rc its exit status
    (sleep 60 && kill -s KILL "$pid") >/dev/null 2>&1 &
    watchdog=$!
    wait "$pid"; rc=$?; kill "$watchdog" 2>/dev/null
}
check_close() { # folder, signal, count and names of the first two chords backup.crd is to hold
    ended
    [ "$rc" -eq 0 ] || fail "$1: exit status $rc after SIG$2 ($(cat "$work/$1/out"))"
    [ "$(tr -d '\r' <"$work/$1/backup.crd" | sed -n '1p; 2p; 10p' | xargs)" = \
        "${3:-1 SignalProbe}" ] || fail "$1: backup.crd lacks the chords"
    ini=$work/$1/Cadenzo.ini # the 26 settings, then the name of the device they chose
    [ "$(grep -c "$(printf '\r')$" "$ini") $(wc -l <"$ini") $(head -c 6 "$ini") $(sed -n 27p "$ini")" \
        = "27 27 CZ0200 $(printf 'Built-in Synthesizer\r')" ] || fail "$1: Cadenzo.ini is not complete"
}
window() { # the first visible window of Cadenzo titled $1, waited for up to 30 s
    timeout 30 xdotool search --sync --all --onlyvisible --pid "$pid" --name "$1" 2>/dev/null \
        | head -n 1 | grep .
}
answer_box() { # the device's warning (no sound card here), if it is shown
    box=$(xdotool search --all --onlyvisible --pid "$pid" --name '^Cadenzo$' | head -n 1)
    [ -n "$box" ] && xdotool mousemove --window "$box" 20 20 key Return
}
interrupt() { # cadenzo-cli $2... to the peer, SIGINT once $1 of its note-ons have arrived
    wanted=$1 from=$(($(wc -l <"$work/dump") + 1))
    shift
    "$program" "$@" --device 1 >"$work/cli.log" 2>&1 &
    pid=$!
    for _ in $(seq 300); do
        [ "$(tail -n "+$from" "$work/dump" | grep -c ': 9')" -ge "$wanted" ] && break; sleep 0.02
    done
    sent=$(date +%s%N); kill -s INT "$pid"
    wait "$pid" || fail "$1: exit status $? ($(cat "$work/cli.log"))"
    took=$((($(date +%s%N) - sent) / 1000000))
    [ "$took" -lt 2000 ] || fail "$1: ended $took ms after SIGINT"
    sleep 1
    tail -n "+$from" "$work/dump" | sed -E -n 's/^ *[0-9]+: (([0-9a-f]{2} ?)+).*$/\1/p' | awk '
        /^9/ && $3 != "00" { on++; held[substr($1, 2) " " $2] = 1; next }
        /^[89]/ { delete held[substr($1, 2) " " $2] }
        END { for (k in held) left++; printf "%d note-ons, %d left ringing\n", on, left
              exit !(on > 0 && left == 0) }' || fail "$1: notes left ringing"
}
case $mode in
window) for sigs in TERM INT HUP TERM,HUP HUP,HUP; do
    sig=$(echo "$sigs" | tr -d ,) && start "$sig"
    main=$(window '^Cadenzo v2.02$') || fail "$sig: no window"
    sleep 1 && answer_box
    xdotool mousemove --window "$main" 200 100 windowfocus --sync "$main" key ctrl+r
    dialog=$(window '^Cadenzo -Resist Chord$') || fail "$sig: no Resist dialog"
    xdotool mousemove --window "$dialog" 40 36 click 1 type "By$sig"
    xdotool mousemove --window "$dialog" 48 71 click 1 sleep 0.5
    for s in $(echo "$sigs" | tr , ' '); do kill -s "$s" "$pid"; done
    check_close "$sig" "$sigs" "2 SignalProbe By$sig"
done ;;
instance)
    start first && first=$pid
    window '^Cadenzo v2.02$' >/dev/null || fail "first: no window"
    QT_QPA_PLATFORM=offscreen start offscreen # the same user and runtime folder, another display
    sleep 1 && kill -s TERM "$pid" # past the exec: the shell in between would end at once
    check_close offscreen TERM
    # A file given while the first shows its device's warning waits for it.
    crd='2 FromX1 19 0 1 0 2 3 255 FromX2 20 3 2 0 0 0 3' start other
    ended
    [ "$rc" -eq 0 ] && [ ! -e "$work/other/Cadenzo.ini" ] || fail "other: ran on its own ($rc)"
    pid=$first && answer_box
    sleep 1 && kill -s TERM "$pid"
    check_close first TERM "2 FromX1 FromX2"
    ;;
startup) for n in $(seq 20); do
    start "at$n"
    sleep "$(awk "BEGIN { print $n * 0.05 }")" && kill -s TERM "$pid"
    check_close "at$n" TERM
done ;;
cli)
    export JACK_DEFAULT_SERVER="cadenzo-signal-peer-$$" JACK_NO_AUDIO_RESERVATION=1
    sh "$(dirname "$0")/../support/clear_stale_jack_registry.sh"
    jackd --no-realtime -d dummy -r 48000 -p 256 >/dev/null 2>&1 &
    pids=$!
    for _ in $(seq 100); do jack_lsp >/dev/null 2>&1 && break; sleep 0.1; done
    jack_midi_dump >"$work/dump" 2>/dev/null &
    pids="$pids $!"
    for _ in $(seq 100); do jack_lsp 2>/dev/null | grep -q midi-monitor && break; sleep 0.1; done
    interrupt 12 play "$3"
    interrupt 3 strum E M --hold 5000 # mid-stroke
    interrupt 6 strum A m --hold 5000 # while the chord rings
    ;;
esac
exit $failed
