#!/bin/sh
# cadenzo-cli play in real time to a JACK peer: a private dummy server with jack_midi_dump as the
# receiving port (device 1). What arrives must be the dry run's message list, in its order.
set -u
cli=$1 song=$2 from=$3 work=$(mktemp -d) jackd_pid= dump_pid=
export JACK_DEFAULT_SERVER="cadenzo-song-peer-$$" JACK_NO_AUDIO_RESERVATION=1
trap 'kill $dump_pid $jackd_pid 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

sh "$(dirname "$0")/../support/clear_stale_jack_registry.sh"
# wait_for COMMAND: true once COMMAND succeeds, false after ten seconds.
wait_for() { i=0; until eval "$1"; do i=$((i + 1)); [ $i -gt 100 ] && return 1; sleep 0.1; done; }

# Synchronous, as the C++ peers' server: a held-up client delays the cycle, loses nothing.
jackd --no-realtime -S -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 & jackd_pid=$!
wait_for 'jack_lsp >/dev/null 2>&1' || { echo "jackd did not start"; cat "$work/jackd.log"; exit 1; }
jack_midi_dump >"$work/dump" 2>/dev/null & dump_pid=$!
wait_for "jack_lsp 2>/dev/null | grep -q 'midi-monitor:input'" || {
    echo "jack_midi_dump did not start"; exit 1; }

"$cli" play "$song" --dry-run --from "$from" | awk '{ print tolower($2 " " $3 " " $4) }' \
    | sed -E 's/^(c. ..) ..$/\1/' >"$work/want"
"$cli" play "$song" --device 1 --from "$from" 2>"$work/cli.log" || {
    echo "cadenzo-cli play failed"; cat "$work/cli.log"; exit 1; }
# The last messages may still be in the server: wait for as many lines as were sent, then compare.
got() { sed -E -n 's/^ *[0-9]+: (([0-9a-f]{2} ?)+).*$/\1/p' "$work/dump" | sed -E 's/ +$//'; }
wait_for '[ "$(got | wc -l)" -ge "$(wc -l <"$work/want")" ]'
got >"$work/got"
diff -u "$work/want" "$work/got"; status=$?
echo "$(wc -l <"$work/got") messages arrived, $(wc -l <"$work/want") expected"
[ -s "$work/want" ] || { echo "the dry run sent nothing"; exit 1; }
exit $status
