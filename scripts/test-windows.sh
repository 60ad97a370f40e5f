#!/usr/bin/env bash
# Cross-builds SMTPClient_Dll.dll and the Windows test programs with MinGW-w64
# and runs them under Wine against the test servers on 127.0.0.1.
#
#   scripts/test-windows.sh [BUILD_DIR]   (default: build-windows)
#
# Ends with "N passed, M failed" on a line of its own; exits non-zero when a
# test failed or the build broke.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-windows}"
state="$build/state"
fixture="$root/tests/servers/fixture.py"
# The test servers need Debian's Python, which carries aiosmtpd.
python=/usr/bin/python3

packages=(
    cmake make dpkg-dev
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    googletest wine wine64 clang lld llvm
    python3 python3-aiosmtpd openssl dante-server microsocks
)

install_packages() {
    local missing=()
    for package in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends "${missing[@]}"
}

cross_build() {
    local curl_prefix="$1"
    cmake -S "$root" -B "$build" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_PREFIX_PATH="$curl_prefix" \
        -DSMTPCLIENT_BUILD_TESTS=OFF -DSMTPCLIENT_BUILD_TOOLS=OFF \
        -DSMTPCLIENT_BUILD_WINDOWS_TESTS=ON
    cmake --build "$build" -j2
}

# A private Wine prefix, made once, with the null display driver so that
# hidden windows work without X. The server and Wine's own background
# processes start here, away from ctest's output pipes, which they would
# otherwise hold open.
start_wine() {
    export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot --init >/dev/null 2>&1
    fi
    # The desktop process reads the display driver when it starts: let the
    # one that wineboot started end before choosing the null driver, and let
    # that change settle before the first test starts a new desktop.
    wineserver -w
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 || true
    wineserver -w
    wineserver -p >/dev/null 2>&1 || true
    wine "$build/tests/windows/windows_platform_tests.exe" \
        --gtest_filter='Win32MessageQueue.HiddenWindowsReceivePostedMessages' >/dev/null 2>&1 || true
}

stop_all() {
    "$python" "$fixture" stop socks "$state" >/dev/null 2>&1 || true
    "$python" "$fixture" stop smtp "$state" >/dev/null 2>&1 || true
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
    fi
}

# The closing line, counted from ctest's line per test.
summarize() {
    local log="$1" passed failed skipped
    passed="$(grep -c ' Passed ' "$log" || true)"
    failed="$(grep -Ec '\*\*\*(Failed|Exception|Timeout)|\*\*\*Not Run' "$log" || true)"
    skipped="$(grep -c '\*\*\*Skipped' "$log" || true)"
    echo "$passed passed, $failed failed, $skipped skipped"
}

main() {
    install_packages
    local curl_prefix
    curl_prefix="$("$root/scripts/build-curl-mingw.sh")"
    cross_build "$curl_prefix"

    trap stop_all EXIT
    mkdir -p "$state"
    "$python" "$fixture" start smtp "$state"
    "$python" "$fixture" start socks "$state"
    start_wine

    local log="$build/ctest.log" status=0
    SMTPCLIENT_TEST_STATE="$state" ctest --test-dir "$build" --output-on-failure --timeout 120 \
        2>&1 | tee "$log" || status=1
    local summary
    summary="$(summarize "$log")"
    echo "$summary"
    case "$summary" in
        "0 passed, "*) return 1 ;;
        *", 0 failed, "*) return "$status" ;;
        *) return 1 ;;
    esac
}

main "$@"
