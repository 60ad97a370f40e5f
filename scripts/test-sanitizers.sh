#!/usr/bin/env bash
# Runs the test suite under the sanitizers and one complete send under
# valgrind's memory checker:
#   build-asan      the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer
#   build-tsan      the threaded tests with ThreadSanitizer
#   build-valgrind  reliability_full_send under valgrind --leak-check=full
# Every step runs even when an earlier one failed; the last line says
# whether all passed.
#
#   scripts/test-sanitizers.sh [BUILD_ROOT]   (default: the source folder)
set -uo pipefail
source "$(dirname "$0")/lib/common.sh"

build_root="${1:-$root}"
install_packages valgrind
# Tests that run code on more than one thread (the allocation-failure run
# pumps SendAsync too; ClientThreads sends from many clients at once).
threaded='Bulk|Async|async|Concurren|SharedConverter|MessageQueue|Thread|ClientThreads|soak|AllocationFailure'

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"

summary=()
failed=0

step() {
    local name="$1"
    shift
    echo "=== $name"
    if "$@"; then
        summary+=("$name: passed")
    else
        summary+=("$name: FAILED")
        failed=1
    fi
}

build() {
    local folder="$1" sanitize="$2"
    shift 2
    cmake -S "$root" -B "$folder" -DCMAKE_BUILD_TYPE=Debug -DSMTPCLIENT_SANITIZE="$sanitize" &&
        cmake --build "$folder" -j"$jobs" "$@"
}

# The SMTP test servers for a program that ctest does not run; they end with
# this script at the latest.
valgrind_full_send() {
    local folder="$1" state="$1/valgrind-state" rc
    mkdir -p "$state/work"
    start_server smtp "$state" --timeout 120 >/dev/null || return 1
    SMTPCLIENT_TEST_STATE="$state" valgrind --leak-check=full \
        --error-exitcode=1 --quiet "$folder/tests/reliability/reliability_full_send" "$state/work"
    rc=$?
    stop_server smtp "$state"
    return $rc
}

step "asan build" build "$build_root/build-asan" address
step "asan+ubsan suite" ctest --test-dir "$build_root/build-asan" --output-on-failure -j"$jobs" --timeout 600
step "tsan build" build "$build_root/build-tsan" thread
step "tsan threaded tests" ctest --test-dir "$build_root/build-tsan" --output-on-failure -j"$jobs" \
    --timeout 600 -R "$threaded"
step "valgrind build" build "$build_root/build-valgrind" "" --target reliability_full_send
step "valgrind full send" valgrind_full_send "$build_root/build-valgrind"

echo "=== summary"
printf '%s\n' "${summary[@]}"
if [ "$failed" -eq 0 ]; then
    echo "SANITIZERS PASSED"
else
    echo "SANITIZERS FAILED"
fi
exit "$failed"
