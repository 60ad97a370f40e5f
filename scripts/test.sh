#!/usr/bin/env bash
# Installs the dependencies, builds, and runs every test: the layout and
# naming check, the suite, the Debian packages installed and removed again,
# the suite under the sanitizers and valgrind, a bounded fuzzing run, and the
# Windows DLL's suite under Wine.
#
#   scripts/test.sh [BUILD_DIR]   (default: build; the other builds go beside it)
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"

build="${1:-$root/build}"
builds="$(dirname "$build")"

"$root/scripts/build.sh" "$build"
"$root/scripts/check-style.sh" "$builds/build-style"
ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 300
"$root/scripts/test-packages.sh" "$builds/build-deb"

"$root/scripts/test-sanitizers.sh" "$builds"
"$root/scripts/fuzz.sh" 30 "$builds/build-fuzz"
"$root/scripts/test-windows.sh" "$builds/build-windows"
