#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang and runs each one for
# a bounded time on a copy of its seed corpus. Fails when any target crashes,
# hangs or reports a sanitizer error; the inputs that did so are kept in
# BUILD_DIR/fuzz-artifacts.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [BUILD_DIR]   (defaults: 30, build-fuzz-clang)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-30}"
build="${2:-$root/build-fuzz-clang}"
corpus="$root/tests/fuzz/corpus"
targets=(header_block embed_html_images trace_format charset_conversion address_check body_from_file wire_lines)

log() { echo "fuzz: $*" >&2; }

# clang and its libFuzzer runtime, installed only when the probe fails.
libfuzzer_works() {
    local probe
    probe="$(mktemp -d "${TMPDIR:-/tmp}/smtpclient-fuzz-probe.XXXXXX")"
    printf '%s\n' '#include <cstddef>' '#include <cstdint>' \
        'extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }' \
        > "$probe/probe.cpp"
    local rc=0
    clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" \
        >/dev/null 2>&1 || rc=1
    rm -rf "$probe"
    return $rc
}

install_clang() {
    command -v clang++ >/dev/null 2>&1 && libfuzzer_works && return 0
    local sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    log "installing clang and its libFuzzer runtime"
    $sudo_cmd apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends \
        clang libclang-rt-dev
    libfuzzer_works || { log "clang++ -fsanitize=fuzzer still fails"; exit 1; }
}

"$root/scripts/install-deps.sh"
install_clang

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSMTPCLIENT_FUZZ=ON -DSMTPCLIENT_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz_targets >/dev/null

work="$(mktemp -d "${TMPDIR:-/tmp}/smtpclient-fuzz.XXXXXX")"
trap 'rm -rf "$work"' EXIT
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"

# Runs one target; its new corpus entries go to the work folder only.
run_target() {
    local name="$1"
    local seeds="$work/$name"
    cp -r "$corpus/$name" "$seeds"
    # Standard error is closed for the target (the trace target echoes
    # libcurl's text there); libFuzzer and the sanitizers still report.
    timeout --kill-after=10 $((seconds * 2 + 60)) \
        "$build/tests/fuzz/fuzz_$name" "$seeds" \
        -max_total_time="$seconds" -timeout=10 -close_fd_mask=2 \
        -artifact_prefix="$artifacts/$name-" >"$work/$name.log" 2>&1
}

passed=0
failed=0
for name in "${targets[@]}"; do
    if run_target "$name"; then
        passed=$((passed + 1))
        echo "fuzz_$name: passed ($(grep -o 'Done [0-9]* runs' "$work/$name.log" || echo 'no count'))"
    else
        failed=$((failed + 1))
        echo "fuzz_$name: FAILED"
        grep -E 'ERROR|SUMMARY|expectation|Test unit written|Base64' "$work/$name.log" | head -n 20 || true
    fi
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
