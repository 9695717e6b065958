#!/usr/bin/env bash
# Installs the build tree into a fresh prefix and asks the desktop's own tools about it: the
# desktop entry and metainfo validators, GLib's type detection on the installed MIME package, the
# icon theme layout, man's warnings, and the installed programs themselves.
set -euo pipefail
build=$1
work=$(mktemp -d)
program=
trap 'kill $program 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
prefix=$work/prefix share=$work/prefix/share id=org.cadenzo.Cadenzo

cmake --install "$build" --prefix "$prefix" >"$work/log" 2>&1 || fail "install: $(cat "$work/log")"
desktop-file-validate "$share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "metainfo"

XDG_DATA_DIRS=$share update-mime-database "$share/mime"
printf 'CZ0200NAM\0' >"$work/nameless"
printf 'CZ0200' >"$work/song.cz0"
printf '1\r\n' >"$work/chords.crd"
for f in nameless:song song.cz0:song chords.crd:chords; do
    info=$(XDG_DATA_HOME=$work/none XDG_DATA_DIRS=$share gio info \
        -a standard::content-type,standard::icon "$work/${f%%:*}")
    grep -q "content-type: application/x-cadenzo-${f#*:}$" <<<"$info" || fail "${f%%:*}: $info"
    [ -f "$share/icons/hicolor/scalable/mimetypes/application-x-cadenzo-${f#*:}.svg" ] ||
        fail "no icon for ${f%%:*}"
done

icon=$(sed -n 's/^Icon=//p' "$share/applications/$id.desktop")
for png in "$share"/icons/hicolor/*x*/apps/"$icon".png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    [ "$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')" = "$size" ] ||
        fail "$png is not $size"
done
[ "$(ls "$share"/icons/hicolor/*x*/apps/"$icon".png | wc -l)" -ge 8 ] || fail "icon sizes missing"

for page in "$share"/man/man1/cadenzo.1 "$share"/man/man1/cadenzo-cli.1; do
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page: $warnings"
done
[ "$("$prefix/bin/cadenzo-cli" chord C M)" = "0 1 0 2 3 0" ] || fail "installed cadenzo-cli"
[ -x "$prefix/bin/cadenzo" ] || fail "no cadenzo"
# Help of the installed program, started in a folder without a guide, opens the installed one
# (a stand-in xdg-open records what it is given); a "Midi Open Error" box is answered first.
mkdir -m 700 "$work/run" && mkdir "$work/start" "$work/stub"
printf '#!/bin/sh\necho "$1" >"%s/opened"\n' "$work" >"$work/stub/xdg-open"
chmod +x "$work/stub/xdg-open"
(cd "$work/start" && XDG_RUNTIME_DIR=$work/run TMPDIR=$work/run PATH=$work/stub:$PATH \
    QT_QPA_PLATFORM=xcb exec "$prefix/bin/cadenzo" >"$work/program.log" 2>&1) &
program=$!
for _ in $(seq 100); do
    [ -s "$work/opened" ] && break
    box=$(xdotool search --onlyvisible --name '^Cadenzo$' 2>/dev/null | head -n 1) || true
    main=$(xdotool search --onlyvisible --name '^Cadenzo v' 2>/dev/null | head -n 1) || true
    target=${box:-$main} key=Return
    [ -n "$box" ] || key=ctrl+h
    [ -z "$target" ] || xdotool windowfocus "$target" key "$key" 2>/dev/null || true
    sleep 0.2
done
[ "$(cat "$work/opened" 2>/dev/null)" = "file://$share/doc/cadenzo/manual/Cadenzo.html" ] ||
    fail "Help opened '$(cat "$work/opened" 2>/dev/null)': $(cat "$work/program.log")"
echo "installed and validated in $prefix"
