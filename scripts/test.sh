#!/bin/sh
# Builds Corvane and its tests and runs every test under Wine, in a private prefix made fresh for
# this run, on a virtual display. Ends with CTest's summary.
. "$(dirname "$0")/common.sh"
install_missing_packages
configure_and_build
cd "$BUILD"
exec xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure --no-tests=error "$@"
