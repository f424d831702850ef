#!/bin/sh
# Prints the tests' share of the code: non-blank, non-comment lines of C/C++, resource and CMake
# files under tests/, against those of every file git tracks.
cd "$(dirname "$0")/.." || exit 1
git ls-files | grep -E '\.(c|cpp|h|rc|cmake)$|CMakeLists\.txt$' | while read -r f; do
    case "$f" in
    *.cmake | *CMakeLists.txt) n=$(grep -v '^\s*#' "$f" | grep -cv '^\s*$') ;;
    *) n=$(sed -e 's:^\s*//.*$::' -e 's:^\s*/\*.*$::' -e 's:^\s*\*.*$::' "$f" | grep -cv '^\s*$') ;;
    esac
    case "$f" in
    tests/*) echo "t $n" ;;
    *) echo "c $n" ;;
    esac
done | awk '{ all += $2; if ($1 == "t") tests += $2 }
    END { printf "tests %d of %d lines: %.3f\n", tests, all, tests / all }'
