#!/bin/sh
# Start-up benchmark (not a test): under Wine, in a private prefix made fresh for the run, on a
# virtual display, starts an empty four-page property sheet, corvane.exe, and a sheet showing
# corvane's own four page templates with no code behind them, in turn, ROUNDS times each (default
# 15, at least 9). Measures for each start the time from process start to its sheet shown and
# idle, and its private memory at that moment. Prints every round and the ratios of the medians:
# corvane / empty sheet, and corvane / the same pages without code (what corvane's code adds).
# Usage: scripts/bench.sh [ROUNDS]
. "$(dirname "$0")/common.sh"
ROUNDS=${1:-15}
case $ROUNDS in
'' | *[!0-9]*) ROUNDS=0 ;;
esac
if [ "$ROUNDS" -lt 9 ] || [ "$ROUNDS" -gt 100 ]; then
    echo "usage: $0 [ROUNDS] (9 to 100)" >&2
    exit 2
fi
install_missing_packages
configure_and_build bench_programs

PREFIX="$BUILD/wineprefix-bench"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    ROOT=$1 PREFIX=$2 BUILD=$3 ROUNDS=$4
    "$ROOT/scripts/wine-prefix.sh" "$PREFIX" start
    export WINEPREFIX="$PREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    # With the error-reporting key present the program shows all four of its pages.
    wine reg add "HKCU\\Software\\Microsoft\\Windows\\Windows Error Reporting" /f >/dev/null 2>&1
    empty=$(winepath -w "$BUILD/bench/emptysheet.exe")
    corvane=$(winepath -w "$BUILD/bin/corvane.exe")
    pages=$(winepath -w "$BUILD/bench/pagesheet.exe")
    echo "baseline:  empty four-page sheet ($(stat -c %s "$BUILD/bench/emptysheet.exe") bytes)"
    echo "program:   corvane.exe ($(stat -c %s "$BUILD/bin/corvane.exe") bytes)"
    echo "yardstick: the same four pages, no code ($(stat -c %s "$BUILD/bench/pagesheet.exe") bytes)"
    wine "$BUILD/bench/startbench.exe" "$ROUNDS" "$empty" "$corvane" "$pages"
    status=$?
    "$ROOT/scripts/wine-prefix.sh" "$PREFIX" stop
    rm -rf "$PREFIX"
    exit $status
' sh "$ROOT" "$PREFIX" "$BUILD" "$ROUNDS"
