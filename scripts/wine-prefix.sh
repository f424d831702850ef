#!/bin/sh
# Makes the build's private Wine prefix fresh ("start") or stops its Wine ("stop").
# "start" also leaves a persistent wineserver running, so that each program under test starts
# in a fraction of a second instead of seconds.
set -eu
PREFIX=$1
ACTION=$2
export WINEPREFIX="$PREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

case "$ACTION" in
start)
    wineserver -k 2>/dev/null || true
    rm -rf "$PREFIX"
    mkdir -p "$PREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
    # Let the prefix settle: registry flushed, no boot-time process left over.
    wineserver -p </dev/null >/dev/null 2>&1
    # The first program starts Wine's background services, which keep the output handles they
    # inherit: start them here, away from the tests' output pipes, or CTest waits on them.
    wine cmd /c exit </dev/null >/dev/null 2>&1
    # No window manager runs on the virtual display: unmanaged windows keep Wine from waiting
    # two seconds for one each time a top-level window (a message box, a sheet) is hidden.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    ;;
stop)
    wineserver -k 2>/dev/null || true
    ;;
esac
