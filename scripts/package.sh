#!/bin/sh
# Makes the release zip, build/Corvane-<version>-win64.zip, from a fresh clone: installs what is
# missing, builds, packs, and checks the zip (its files, and that its programs are the build's
# own and import system DLLs only). Run ./scripts/test.sh first to test what it ships.
. "$(dirname "$0")/common.sh"
install_missing_packages
configure_and_build
cd "$BUILD"
ctest --output-on-failure -R '^Release\.Package$'
ls -l "$BUILD"/Corvane-*-win64.zip
