# Shared by run.sh and test.sh: installs what is missing, then configures and builds.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${CORVANE_BUILD_DIR:-$ROOT/build}

PACKAGES="cmake make g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 g++-mingw-w64-i686-posix
binutils-mingw-w64-i686 wine wine64 xvfb xauth googletest imagemagick x11-utils wixl msitools
osslsigncode openssl"

install_missing_packages() {
    missing=""
    for p in $PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
}

# Builds the given targets, or everything when none are given.
configure_and_build() {
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel
    [ $# -gt 0 ] && set -- --target "$@"
    cmake --build "$BUILD" -j"$(nproc)" "$@"
}
