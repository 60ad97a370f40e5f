#!/usr/bin/env bash
# Installs the dependencies, builds, and runs the whole test suite.
#
#   scripts/test.sh [BUILD_DIR]   (default: build)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"

"$root/scripts/build.sh" "$build"
ctest --test-dir "$build" --output-on-failure -j2 --timeout 300
