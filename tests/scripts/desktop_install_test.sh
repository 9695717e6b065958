#!/usr/bin/env bash
# Installs into a fresh prefix and asks the desktop's own tools (validators, GLib's MIME type
# detection, man) about it, and the installed program's Help (needs an X display).
set -euo pipefail
work=$(mktemp -d) program=
trap 'set +e; kill $program 2>/dev/null && wait $program; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
prefix=$work/prefix share=$work/prefix/share id=org.cadenzo.Cadenzo
cmake --install "$1" --prefix "$prefix" >"$work/log" 2>&1 || fail "install: $(cat "$work/log")"
desktop-file-validate "$share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "metainfo"

XDG_DATA_DIRS=$share update-mime-database "$share/mime"
printf 'CZ0200NAM\0' >"$work/nameless" && printf '1\r\n' >"$work/chords.crd" && echo >"$work/e.cz0"
for f in nameless:song e.cz0:song chords.crd:chords; do
    info=$(XDG_DATA_HOME=$work/none XDG_DATA_DIRS=$share gio info -a standard::content-type \
        "$work/${f%%:*}")
    grep -q "content-type: application/x-cadenzo-${f#*:}$" <<<"$info" || fail "${f%%:*}: $info"
    [ -f "$share/icons/hicolor/scalable/mimetypes/application-x-cadenzo-${f#*:}.svg" ] ||
        fail "no icon for ${f%%:*}"
done
for page in "$share"/man/man1/cadenzo{,-cli}.1; do warnings=$(man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page: $warnings"; done

# Help, started in a folder without a guide, hands the installed one to a stand-in xdg-open; a
# "Midi Open Error" box is answered first.
mkdir -m 700 "$work/run" && mkdir "$work/start" "$work/stub" && cd "$work"
printf '#!/bin/sh\necho "$1" >"%s/opened"\n' "$work" >stub/xdg-open && chmod +x stub/xdg-open
(cd "$work/start" && XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config TMPDIR=$work/run PATH=$work/stub:$PATH \
    QT_QPA_PLATFORM=xcb exec "$prefix/bin/cadenzo" >"$work/program.log" 2>&1) &
program=$!
for _ in $(seq 100); do
    [ -s "$work/opened" ] && break
    box=$(xdotool search --onlyvisible --name '^Cadenzo$' 2>/dev/null | head -n 1) || true
    main=$(xdotool search --onlyvisible --name '^Cadenzo v' 2>/dev/null | head -n 1) || true
    key=ctrl+h && [ -z "$box" ] || key=Return
    [ -z "$box$main" ] || xdotool windowfocus "${box:-$main}" key "$key" 2>/dev/null || true
    sleep 0.2
done
[ "$(cat "$work/opened" 2>/dev/null)" = "file://$share/doc/cadenzo/manual/Cadenzo.html" ] ||
    fail "Help opened '$(cat "$work/opened" 2>/dev/null)': $(cat "$work/program.log")"
[ "$("$prefix/bin/cadenzo-cli" chord C M)" = "0 1 0 2 3 0" ] || fail "installed cadenzo-cli"
echo "installed and validated"
