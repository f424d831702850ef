#!/bin/sh
# Makes the release from a fresh clone: build/Corvane-<version>-win64.zip, the Windows Installer
# package build/Corvane-<version>-x64.msi with the same files, and its winget manifests in
# build/winget/<version>/. Installs what is missing, builds, signs when CORVANE_SIGN_PFX names a
# certificate (see scripts/sign.sh), packs, and checks the zip (its files, and that its programs
# are the build's own and import system DLLs only). Run ./scripts/test.sh first to test what it
# ships; its Release.Installer test installs the package under Wine.
. "$(dirname "$0")/common.sh"
install_missing_packages
configure_and_build
cd "$BUILD"
if [ -n "${CORVANE_SIGN_PFX:-}" ]; then
    # Signed where the build made them, so that the zip and the package both take the signed copies.
    grep '\.exe$' release/files.txt | while read -r program; do
        "$ROOT/scripts/sign.sh" "$program"
    done
else
    echo "CORVANE_SIGN_PFX is not set: the programs and the package are not signed."
fi
ctest --output-on-failure -R '^Release\.Package$'
cmake --build . --target installer
ls -l "$BUILD"/Corvane-*-win64.zip "$BUILD"/Corvane-*-x64.msi "$BUILD"/winget/*/*
