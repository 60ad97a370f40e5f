#!/usr/bin/env bash
# Checks the layout of every C and C++ source against .clang-format, and the
# names in the library and smtpsend against .clang-tidy's naming check.
#
#   scripts/check-style.sh [BUILD_DIR]   (default: build-style)
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"

build="${1:-$root/build-style}"
install_packages clang-format clang-tidy

echo "=== layout (clang-format)"
git -C "$root" ls-files '*.cpp' '*.h' | (cd "$root" && xargs clang-format --dry-run --Werror)

echo "=== names (clang-tidy)"
cmake -S "$root" -B "$build" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON > /dev/null
run-clang-tidy -p "$build" -quiet -j"$jobs" "$root/(smtpclient|tools)/" > "$build/names.log" 2>&1 || {
    grep -E 'error:|warning:' "$build/names.log" | sort -u
    exit 1
}
echo "style: passed"
