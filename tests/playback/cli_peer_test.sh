#!/bin/sh
# cadenzo-cli play in real time to a JACK peer: a private dummy server with jack_midi_dump as the
# receiving port (device 1). What arrives must be the dry run's message list, in its order.
set -u
cli=$1
song=$2
from=$3

export JACK_DEFAULT_SERVER="cadenzo-song-peer-$$"
export JACK_NO_AUDIO_RESERVATION=1
work=$(mktemp -d)
jackd_pid=
dump_pid=
cleanup() {
    [ -n "$dump_pid" ] && kill "$dump_pid" 2>/dev/null
    [ -n "$jackd_pid" ] && kill "$jackd_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A killed JACK server leaves its entry in the shared registry, and after eight such entries no
# server starts. When no jackd runs at all every entry is stale: the registry can go.
running=no
for comm in /proc/[0-9]*/comm; do
    [ "$(cat "$comm" 2>/dev/null)" = jackd ] && running=yes && break
done
[ "$running" = no ] && rm -f /dev/shm/jack-shm-registry

jackd --no-realtime -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 &
jackd_pid=$!
i=0
until jack_lsp >/dev/null 2>&1; do
    i=$((i + 1))
    [ $i -gt 100 ] && { echo "jackd did not start"; cat "$work/jackd.log"; exit 1; }
    sleep 0.1
done
jack_midi_dump >"$work/dump" 2>/dev/null &
dump_pid=$!
i=0
until jack_lsp 2>/dev/null | grep -q 'midi-monitor:input'; do
    i=$((i + 1))
    [ $i -gt 100 ] && { echo "jack_midi_dump did not start"; exit 1; }
    sleep 0.1
done

"$cli" play "$song" --dry-run --from "$from" | awk '{ print tolower($2 " " $3 " " $4) }' \
    | sed -E 's/^(c. ..) ..$/\1/' >"$work/want"
"$cli" play "$song" --device 1 --from "$from" 2>"$work/cli.log" || {
    echo "cadenzo-cli play failed"; cat "$work/cli.log"; exit 1; }
sleep 0.5
sed -E -n 's/^ *[0-9]+: (([0-9a-f]{2} ?)+).*$/\1/p' "$work/dump" | sed -E 's/ +$//' >"$work/got"
diff -u "$work/want" "$work/got"
status=$?
echo "$(wc -l <"$work/got") messages arrived, $(wc -l <"$work/want") expected"
[ -s "$work/want" ] || { echo "the dry run sent nothing"; exit 1; }
exit $status
