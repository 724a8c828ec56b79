#!/bin/sh
# Installs the Debian/Ubuntu packages Tone_Warp Extractor needs to build, run and test.
# Packages already present are left alone; nothing is downloaded outside apt.
set -e

PACKAGES="g++ cmake make pkg-config git qt6-base-dev libsdl2-dev fonts-ipafont-gothic \
libgtest-dev libgmock-dev sox xvfb xauth libbenchmark-dev libfftw3-dev clang libclang-rt-14-dev espeak-ng \
fluidsynth fluid-soundfont-gm"

# The validators of the installed desktop entry and AppStream metadata (the install test).
PACKAGES="$PACKAGES desktop-file-utils appstream"

# The Debian package (cpack -G DEB, its test in tests/install/): dpkg-shlibdeps of dpkg-dev
# and file(1) find the libraries the programs need; lintian checks the package.
PACKAGES="$PACKAGES dpkg-dev file lintian"

# The decoder tonewarp-cli reads FLAC, Ogg, MP3, AIFF and other WAVE files with
# (the command-line tool only), and the MP3 encoder its tests make MP3 files
# with (sox here cannot write MP3).
PACKAGES="$PACKAGES libsndfile1-dev lame"

# The locale data: some tests run under a decimal-comma locale (see below).
PACKAGES="$PACKAGES locales"

# The separation quality measurement (bench/quality/, scripts/quality.sh): scoring and plot
# with Debian's Python 3.
PACKAGES="$PACKAGES python3-numpy python3-mir-eval python3-matplotlib"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
else
    SUDO="sudo"
fi

if [ -n "$missing" ]; then
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update
    # shellcheck disable=SC2086
    $SUDO apt-get install -y --no-install-recommends $missing
fi

# The dialog and log tests run a second time under de_DE.UTF-8, where the C
# library's decimal point is a comma, and fail when that locale is missing.
# Generated once: enabled in /etc/locale.gen (so a later locale-gen keeps it),
# with localedef as the fallback where locale-gen works differently.
comma_locale_present() {
    locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\{0,1\}8$'
}
if ! comma_locale_present; then
    echo "Generating the locale de_DE.UTF-8"
    if [ -f /etc/locale.gen ]; then
        if grep -q '^# *de_DE\.UTF-8 UTF-8' /etc/locale.gen; then
            $SUDO sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
        elif ! grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen; then
            echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
        fi
        $SUDO locale-gen
    fi
    comma_locale_present || $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8
    if ! comma_locale_present; then
        echo "install-deps.sh: the locale de_DE.UTF-8 could not be generated" >&2
        exit 1
    fi
fi
