#!/usr/bin/env bash
# Soak: 10,000 synchronous and 10,000 asynchronous sends in one process to
# the local SMTP test server. Prints resident memory after warm-up and at the
# end of each phase, open descriptors before and after, and completions.
#
#   scripts/soak.sh [BUILD_DIR] [SYNC_SENDS] [ASYNC_SENDS] [MAX_GROWTH_KB]
#   (defaults: build-soak, 10000, 10000, 2048)
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"

build="${1:-$root/build-soak}"
sync_sends="${2:-10000}"
async_sends="${3:-10000}"
max_growth_kb="${4:-2048}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$jobs" --target reliability_soak

# A fresh state folder: the server would first delete the last run's mail.
state="$build/soak-state"
rm -rf "$state"
start_server smtp "$state" --timeout 120 >/dev/null
trap 'stop_server smtp "$state"' EXIT

SMTPCLIENT_TEST_STATE="$state" "$build/tests/reliability/reliability_soak" \
    "$sync_sends" "$async_sends" "$max_growth_kb"
