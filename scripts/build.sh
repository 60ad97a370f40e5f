#!/usr/bin/env bash
# Installs the dependencies and builds the library, smtpsend and the tests.
#
#   scripts/build.sh [BUILD_DIR] [extra cmake options...]   (default: build)
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"

build="${1:-$root/build}"
shift || true

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build" -j"$jobs"
