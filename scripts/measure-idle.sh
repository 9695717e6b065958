#!/usr/bin/env bash
# What an idle Cadenzo costs: its window open with the built-in synthesizer (device 0) ready and
# nothing playing, beside the fluidsynth player in server mode on the same sound server, both
# started together in one run. CPU in % of one core over 20 s after 5 s of silence and over 20 s
# after 60 s, for Cadenzo's whole process, the player's and the sound server's. Once on a private
# PulseAudio server with a null sink (and module-suspend-on-idle, which desktops load), once on a
# private JACK server on the dummy driver (128-frame periods at 48 kHz).
# Usage: scripts/measure-idle.sh [CADENZO [EARLIER_CADENZO]]
#   CADENZO defaults to build-bench/src/app/cadenzo (make bench); an earlier build given as well
#   is measured beside it in the same run. CADENZO_PAUSE_SECONDS, when set, is written to the
#   preferences of CADENZO's window as the synthesizer's quiet time.
# Needs pulseaudio, pactl, jackd, jack_lsp and fluidsynth; takes about three minutes.
set -euo pipefail
cadenzo=$(realpath "${1:-build-bench/src/app/cadenzo}")
earlier=${2:+$(realpath "$2")}
font=/usr/share/sounds/sf2/default-GM.sf2
for tool in pulseaudio pactl jackd jack_lsp fluidsynth; do
    command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 1; }
done
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Clock ticks (user + system) a process has used so far.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# Percent of a core that processes "$@" used over the next 20 s, in order.
cpu_over_20s() {
    local before=() pid i=0
    for pid in "$@"; do before+=("$(ticks "$pid")"); done
    sleep 20
    for pid in "$@"; do
        echo "$(( $(ticks "$pid") - ${before[$i]} ))" | awk -v hz="$(getconf CLK_TCK)" \
            '{ printf "%8.2f", 100 * $1 / hz / 20 }'
        i=$((i + 1))
    done
}

# Starts program $2 with a fresh folder and runtime of its own under $1; its pid in $window.
start_window() {
    local folder=$1
    mkdir -p "$folder/config/cadenzo" "$folder/run" "$folder/state"
    chmod 700 "$folder/run"
    [ -n "${CADENZO_PAUSE_SECONDS:-}" ] && [ "$3" = new ] &&
        printf '[Synthesizer]\npauseAfterQuietSeconds=%s\n' "$CADENZO_PAUSE_SECONDS" \
            >"$folder/config/cadenzo/preferences.ini"
    (cd "$folder" && XDG_CONFIG_HOME="$folder/config" XDG_RUNTIME_DIR="$folder/run" \
        XDG_STATE_HOME="$folder/state" QT_QPA_PLATFORM=offscreen exec "$2" \
        >"$folder/cadenzo.log" 2>&1) &
    window=$!
}

# Starts Cadenzo's windows and the player on the server the environment names ($2: the player's
# audio driver), measures, and stops them.
measure() {
    local name=$1 driver=$2 server_pid=$3
    local folder="$work/$driver" window before=""
    start_window "$folder/new" "$cadenzo" new
    local new=$window
    pids+=("$new")
    if [ -n "$earlier" ]; then
        start_window "$folder/earlier" "$earlier" earlier
        before=$window
        pids+=("$before")
    fi
    fluidsynth -is -a "$driver" -o shell.port=$((9800 + RANDOM % 100)) "$font" \
        >"$folder/fluidsynth.log" 2>&1 </dev/null &
    local player=$!
    pids+=("$player")
    sleep 3
    echo "$name: $4"
    eval "$5"
    sleep 2
    printf '%-22s %10s %10s\n' "% of a core over 20 s" "after 5 s" "after 60 s"
    local early late processes=("$new" "$player" "$server_pid")
    local labels=("Cadenzo window" "fluidsynth player" "$name server") i
    [ -n "$before" ] && processes+=("$before") && labels+=("earlier Cadenzo window")
    early=$(cpu_over_20s "${processes[@]}")
    sleep 35
    late=$(cpu_over_20s "${processes[@]}")
    for i in "${!labels[@]}"; do
        printf '%-22s %10s %10s\n' "${labels[$i]}" "$(echo "$early" | awk -v f=$((i + 1)) '{ print $f }')" \
            "$(echo "$late" | awk -v f=$((i + 1)) '{ print $f }')"
    done
    kill "$new" "$player" $before 2>/dev/null || true
    wait "$new" "$player" $before 2>/dev/null || true
}

# PulseAudio: a private server on a null sink; the window and the player connect to it alone.
mkdir -p "$work/pulse"
export PULSE_SERVER="unix:$work/pulse/native" PULSE_RUNTIME_PATH="$work/pulse"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --log-target=file:"$work/pulse/log" \
    -L "module-null-sink sink_name=null" -L "module-suspend-on-idle" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$work/pulse/native" 2>/dev/null &
pulse=$!
pids+=("$pulse")
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
measure PulseAudio pulseaudio "$pulse" "streams playing on the null sink at 3 s:" \
    'pactl list sink-inputs short | wc -l'
kill "$pulse"; wait "$pulse" 2>/dev/null || true
unset PULSE_SERVER PULSE_RUNTIME_PATH

# JACK: a private dummy server; the synthesizer finds it running and plays through it.
export JACK_DEFAULT_SERVER="cadenzo-idle-$$" JACK_NO_AUDIO_RESERVATION=1
jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 128 >"$work/jackd.log" 2>&1 &
jack=$!
pids+=("$jack")
for _ in $(seq 50); do jack_lsp >/dev/null 2>&1 && break; sleep 0.1; done
measure JACK jack "$jack" "clients with ports at 3 s:" \
    "jack_lsp | cut -d: -f1 | sort -u | grep -v '^system' | tr '\n' ' '; echo"
