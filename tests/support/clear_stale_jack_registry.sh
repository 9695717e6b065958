#!/bin/sh
# A killed JACK server leaves its entry in the shared registry, and a server with another name
# never reclaims it: after eight such entries no server starts ("Too many servers already
# active"). When no jackd runs at all every entry is stale and the registry can go; the next
# server makes a new one.
for comm in /proc/[0-9]*/comm; do
    [ "$(cat "$comm" 2>/dev/null)" = jackd ] && exit 0
done
rm -f /dev/shm/jack-shm-registry
