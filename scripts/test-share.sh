#!/bin/sh
# Prints the tests' share of the code: the lines of C/C++, resource and CMake files that are
# neither blank nor a // comment, under tests/ against those of every file git tracks.
cd "$(dirname "$0")/.." || exit 1
count() {
    git ls-files -- "$@" | grep -E '\.(cpp|h|hpp|c|rc|cmake)$|CMakeLists\.txt$' | xargs -r cat |
        grep -c -v -E '^\s*(//.*)?$'
}
tests=$(count tests)
all=$(count .)
echo "tests $tests of $all lines: $(awk "BEGIN { printf \"%.3f\", $tests / $all }")"
