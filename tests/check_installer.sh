#!/bin/sh
# Builds the Windows Installer package as the release does, and an older one (0.9.0, with another
# README.txt) from the same list; checks that the package runs no code of its own and that no
# table names the debugger registration, its saved copy or the error-reporting settings; then
# installer_tests.exe installs, upgrades and removes them with Wine's own msiexec.
# $1: the build folder; $2: the project; $3: the release's version.
set -eu
BUILD=$1 SOURCE=$2 VERSION=$3
WORK=$BUILD/installer-check NEW=$BUILD/Corvane-$VERSION-x64.msi
rm -rf "$WORK" && mkdir -p "$WORK"
cmake --build "$BUILD" --target msi
printf 'Corvane 0.9.0\r\n' >"$WORK/README.txt"
sed "s|.*/README.txt$|$WORK/README.txt|" "$BUILD/release/files.txt" >"$WORK/files.txt"
cmake -DSOURCE_DIR="$SOURCE" -DMANIFEST="$WORK/files.txt" -DVERSION=0.9.0 \
    "-DMANUFACTURER=Corvane's authors" -DHELP_LINK=https://corvane.example \
    -DOUTPUT="$WORK/Corvane-0.9.0-x64.msi" -P "$SOURCE/cmake/Msi.cmake"

for table in $(msiinfo tables "$NEW"); do msiinfo export "$NEW" "$table" 2>/dev/null || true; done \
    >"$WORK/tables.txt"
if grep -aiE 'AeDebug|Software\\Corvane|Error Reporting' "$WORK/tables.txt"; then
    echo "the package names the registration" && exit 1
fi
if [ "$(msiinfo export "$NEW" CustomAction | wc -l)" -ne 3 ]; then
    echo "the package runs custom actions" && exit 1
fi

windows() { echo "Z:$1" | tr / '\\'; }
CORVANE_MSI=$(windows "$NEW") CORVANE_OLD_MSI=$(windows "$WORK/Corvane-0.9.0-x64.msi") \
    CORVANE_SHIPPED=$(windows "$BUILD/release/files.txt") CORVANE_VERSION=$VERSION \
    "$BUILD/wine-run" "$BUILD/bin/installer_tests.exe"
