#!/bin/sh
# Builds Corvane if needed and runs it under Wine. Without a display it runs it under Xvfb,
# saves a screenshot of the sheet and says where.
. "$(dirname "$0")/common.sh"
install_missing_packages
configure_and_build

export WINEPREFIX="$BUILD/wineprefix-run" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
EXE="$BUILD/bin/corvane.exe"

if [ -n "${DISPLAY:-}" ]; then
    [ -d "$WINEPREFIX" ] || { wineboot -i >/dev/null 2>&1; wineserver -w; }
    exec wine "$EXE" "$@"
fi

SHOT="$BUILD/corvane.png"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    [ -d "$WINEPREFIX" ] || { wineboot -i >/dev/null 2>&1; wineserver -w; }
    wine "$1" &
    for i in $(seq 1 60); do
        xwininfo -root -tree 2>/dev/null | grep -q "\"Corvane\"" && break
        sleep 0.5
    done
    sleep 2
    import -window root "$2"
    wineserver -k
' sh "$EXE" "$SHOT"
echo "Corvane ran under Xvfb; a screenshot of its sheet is in $SHOT"
