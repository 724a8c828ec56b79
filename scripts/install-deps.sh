#!/bin/sh
# Installs the Debian/Ubuntu packages Tone_Warp Extractor needs to build, run and test.
# Packages already present are left alone; nothing is downloaded outside apt.
set -e

PACKAGES="g++ cmake make pkg-config git qt6-base-dev libsdl2-dev fonts-ipafont-gothic \
libgtest-dev libgmock-dev sox xvfb xauth libbenchmark-dev libfftw3-dev clang libclang-rt-14-dev espeak-ng \
fluidsynth fluid-soundfont-gm"

# The validators of the installed desktop entry and AppStream metadata (the install test).
PACKAGES="$PACKAGES desktop-file-utils appstream"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
else
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
# shellcheck disable=SC2086
$SUDO apt-get install -y --no-install-recommends $missing
