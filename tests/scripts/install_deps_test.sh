#!/usr/bin/env bash
# Stand-in dpkg-query, apt-get, sudo and id record their calls; as root and not, with every
# package missing and present.
set -euo pipefail
installer=$1 work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

mkdir "$work/bin"
stub() { printf '#!/bin/sh\n%s\n' "$2" >"$work/bin/$1"; }
stub dpkg-query '[ "$PRESENT" = yes ] && printf "install ok installed"; exit 0'
stub apt-get 'echo "apt-get $* [DEBIAN_FRONTEND=${DEBIAN_FRONTEND:-}]" >>"$LOG"'
stub sudo 'echo "sudo $*" >>"$LOG"; exec "$@"'
stub id 'echo "$FAKE_UID"'
chmod +x "$work/bin"/*

run() { # uid present
    : >"$work/log"
    env -u DEBIAN_FRONTEND PATH="$work/bin:$PATH" LOG="$work/log" FAKE_UID=$1 PRESENT=$2 \
        bash "$installer" >"$work/out" 2>&1 || fail "installer exited $? (uid $1): $(cat "$work/out")"
}

for uid in 0 1000; do # root, then a user going through sudo
    run $uid no
    [ "$(grep -c '^sudo ' "$work/log")" -eq $((uid ? 2 : 0)) ] || fail "uid $uid: sudo: $(cat "$work/log")"
    grep -qx 'apt-get update -qq \[DEBIAN_FRONTEND=noninteractive\]' "$work/log" &&
        grep -q '^apt-get install -y .* qt6-base-dev .*jackd2 .*\[DEBIAN_FRONTEND=noninteractive\]$' \
            "$work/log" || fail "uid $uid: no non-interactive update and install: $(cat "$work/log")"
    run $uid yes
    [ -s "$work/log" ] && fail "uid $uid: called apt or sudo with everything present: $(cat "$work/log")"
done
echo "installer: root, user and nothing-missing cases passed"
