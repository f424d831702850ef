#!/bin/sh
# Builds the Windows Installer package as the release does, and an older one (0.9.0, another
# README.txt) from copies of the same files, signed with a throw-away certificate as the release
# signs: programs by scripts/sign.sh, the package by cmake/Msi.cmake, whose winget manifest then
# holds the signed package's SHA-256. Checks the signatures, that the package runs no code of its
# own and that no table names the registration, its saved copy or the error-reporting settings;
# then installer_tests.exe installs, upgrades and removes them with Wine's own msiexec.
# $1: the build folder; $2: the project; $3: the release's version.
set -eu
BUILD=$1 SOURCE=$2 VERSION=$3
WORK=$BUILD/installer-check NEW=$BUILD/Corvane-$VERSION-x64.msi
OLD=$WORK/Corvane-0.9.0-x64.msi
rm -rf "$WORK" && mkdir -p "$WORK/files" && cd "$WORK"
cmake --build "$BUILD" --target installer

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Corvane test signer" \
    -keyout key.pem -out cert.pem 2>/dev/null
openssl pkcs12 -export -passout pass:secret -inkey key.pem -in cert.pem -out signer.pfx
export CORVANE_SIGN_PFX="$WORK/signer.pfx" CORVANE_SIGN_PASSWORD=secret
while read -r file; do cp "$file" files/ && echo "$WORK/files/${file##*/}"; done \
    <"$BUILD/release/files.txt" >files.txt
printf 'Corvane 0.9.0\r\n' >files/README.txt
"$SOURCE/scripts/sign.sh" files/*.exe
cmake -DSOURCE_DIR="$SOURCE" -DMANIFEST=files.txt -DVERSION=0.9.0 \
    "-DMANUFACTURER=Corvane's authors" -DHELP_LINK=https://corvane.example -DINSTALLER_URL=x \
    -DOUTPUT="$OLD" -DWINGET_DIR=winget -P "$SOURCE/cmake/Msi.cmake"
unset CORVANE_SIGN_PFX CORVANE_SIGN_PASSWORD
for file in files/*.exe "$OLD"; do
    osslsigncode verify -CAfile cert.pem -in "$file" >/dev/null ||
        { echo "$file unsigned" && exit 1; }
done
sha=$(sha256sum "$OLD" | cut -c1-64 | tr a-f A-F)
grep -q "InstallerSha256: \"$sha\"" winget/0.9.0/Corvane.Corvane.installer.yaml ||
    { echo "the winget manifest has another SHA-256" && exit 1; }

for table in $(msiinfo tables "$NEW"); do msiinfo export "$NEW" "$table" 2>/dev/null || true; done \
    >tables.txt
if grep -aiE 'AeDebug|Software\\Corvane|Error Reporting' tables.txt; then
    echo "the package names the registration" && exit 1
fi
if [ "$(msiinfo export "$NEW" CustomAction | wc -l)" -ne 3 ]; then
    echo "the package runs custom actions" && exit 1
fi

windows() { echo "Z:$1" | tr / '\\'; }
CORVANE_MSI=$(windows "$NEW") CORVANE_OLD_MSI=$(windows "$OLD") CORVANE_VERSION=$VERSION \
    CORVANE_SHIPPED=$(windows "$BUILD/release/files.txt") "$BUILD/wine-run" \
    "$BUILD/bin/installer_tests.exe"
