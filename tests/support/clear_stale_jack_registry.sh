#!/bin/sh
# A killed JACK server's registry entry is never reclaimed: after eight no server starts ("Too
# many servers already active"). With no jackd running every entry is stale: the registry can go.
for comm in /proc/[0-9]*/comm; do
    [ "$(cat "$comm" 2>/dev/null)" = jackd ] && exit 0
done
rm -f /dev/shm/jack-shm-registry
