#!/bin/sh
# Checks that every C++ source of the project is laid out as .clang-format
# says, with Debian's clang-format; a file that differs fails the check and is
# named with its first difference. With --fix the files are rewritten instead.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
sh "$top/tools/install-deps.sh" clang-format
cd "$top"
files=$(find sensor support platform tools tests fuzz bench examples -type f \
             \( -name '*.cpp' -o -name '*.h' \) | sort)
if [ "${1:-}" = "--fix" ]; then
    clang-format -i $files
else
    clang-format --dry-run -Werror $files
    echo "$(echo "$files" | wc -l) files follow .clang-format"
fi
