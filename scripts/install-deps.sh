#!/usr/bin/env bash
# Installs every Debian package Cadenzo needs to build, run and test.
# Idempotent and non-interactive: it asks apt only for what is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ make pkg-config
    qt6-base-dev
    librtmidi-dev libfluidsynth-dev libsndfile1-dev libasound2-dev fluid-soundfont-gm
    libjack-jackd2-dev jackd2
    libgtest-dev libgmock-dev libbenchmark-dev
    libcli11-dev nlohmann-json3-dev
    xvfb xauth xdotool openbox
    clang libclang-rt-14-dev clang-format
    python3 python3-mido
    # The roll view's "TAB ＆ MML" needs a full-width ampersand, which no font of a stock Debian
    # desktop has; WenQuanYi Micro Hei is the smallest package with it, and Qt falls back to it
    # through fontconfig. Help opens the user's guide through xdg-open.
    fonts-wqy-microhei xdg-utils
    # make install's caches and the test of the installed tree.
    desktop-file-utils appstream shared-mime-info libglib2.0-bin man-db groff-base
    # The MusicXML export's real-client test (ctest label `musescore`) and the manual's picture:
    # MuseScore 3 run headless (QT_QPA_PLATFORM=offscreen) to read the exports and write MIDI and
    # PNG. Its dependencies are enough for that; the one recommended package (an MP3 encoder) is
    # not needed.
    musescore3
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
# As root (often with no sudo installed) apt runs directly; a normal user goes through sudo,
# which keeps DEBIAN_FRONTEND only when it is passed on the command line.
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo env DEBIAN_FRONTEND=noninteractive)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
