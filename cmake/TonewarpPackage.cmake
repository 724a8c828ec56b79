# The Debian package, made by CPack from the install rules (packaging/):
#
#   cmake --build build --target package     # or: cd build && cpack -G DEB
#
# gives build/tonewarp_<version>_<architecture>.deb: the files of
# `cmake --install` under /usr, binaries stripped, the dependencies found by
# dpkg-shlibdeps (dpkg-dev) from the libraries the programs link. Checked by
# tests/install/package_test.cpp, lintian included.
#
# Like `cmake --install`, packing builds nothing: it takes the programs as
# built (after ./scripts/start.sh, the tests need not be built first), and the
# package test never starts a build of the whole tree from inside ctest.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tonewarp)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tone_Warp Extractor developers")
set(CPACK_PACKAGE_CONTACT
    "Tone_Warp Extractor maintainers <maintainers@users.noreply.c-seed-38a0ad7c.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "split a WAVE recording into its instruments and voices")
# The long description: paragraphs separated by an empty line, each wrapped by CPack.
set(CPACK_PACKAGE_DESCRIPTION [=[
Tone_Warp Extractor opens a 16-bit PCM WAVE recording, shows its waveform
and splits the mix into its sound-source parts, instruments and voices, with
its own FFT-based engine. Every part gets its own waveform lane; parts are
switched in and out of the mix, the mix is played and saved, and a
spectrogram shows the working buffer. The user interface is in Japanese.

The command-line tool tonewarp-cli runs the same engine without a window and
writes every part as its own WAVE file, for one recording or many in one
call; it also reads FLAC, MP3, Ogg, AIFF and 24-bit or float WAVE recordings.]=])
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)            # tonewarp_1.03_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The program draws its Japanese texts in the IPA Gothic faces (app/gui/font_subst.cpp)
# and falls back to Noto CJK or any face the desktop has.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-ipafont-gothic)
# Control files 0644 (scripts 0755), as Debian's policy has them.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# `package_source` packs the tracked tree, not the build folders.
set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\.git/" "/build/" "/build-[^/]*/" "\\.tmp$")

# The values above reach CPack as written (no second round of escaping).
set(CPACK_VERBATIM_VARIABLES ON)
include(CPack)
