#!/usr/bin/env bash
# Tests the Debian packages as a user meets them: builds them, installs them
# into the system with apt-get, builds the examples against them (through the
# CMake package and through pkg-config), sends mail with the examples and
# with the installed smtpsend to a local test server, reads smtpsend's manual
# page, then removes the packages and checks that none of their files is left.
#
#   scripts/test-packages.sh [BUILD_DIR]   (default: build-deb)
#
# The packages stay installed only while the checks run; they are removed
# even when a check fails.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"

build="${1:-$root/build-deb}"
packages=(libsmtpclient1 libsmtpclient-dev smtpsend)

"$root/scripts/install-deps.sh"
install_packages man-db
"$root/scripts/package.sh" "$build"

libdir="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)"
work="$(mktemp -d "${TMPDIR:-/tmp}/smtpclient-packages.XXXXXX")"
state="$work/server"

fail() {
    echo "test-packages: $*" >&2
    exit 1
}

apt_get() {
    as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get -y -q -o DPkg::Lock::Timeout=600 "$@"
}

installed_packages() {
    local package
    for package in "${packages[@]}"; do
        dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q " installed$" \
            && echo "$package"
    done
    return 0
}

finish() {
    local status=$?
    stop_server smtp "$state" >/dev/null 2>&1 || true
    if [ -n "$(installed_packages)" ]; then
        echo "== Removing the packages: the checks did not finish"
        apt_get purge "${packages[@]}" >/dev/null || status=1
    fi
    rm -rf "$work"
    exit "$status"
}
trap finish EXIT
trap 'exit 130' INT TERM HUP

# The file of each package, and what its control data says.
declare -A deb
for package in "${packages[@]}"; do
    deb[$package]="$(ls "$build/${package}"_*.deb)"
done
version="$(dpkg-deb -f "${deb[libsmtpclient1]}" Version)"
expect_dependency() {
    local package="$1" dependency="$2" depends
    depends="$(dpkg-deb -f "${deb[$package]}" Depends)"
    [[ "$depends" == *"$dependency"* ]] || fail "$package depends on \"$depends\", without $dependency"
}
echo "== Package dependencies (version $version)"
for package in "${packages[@]}"; do
    echo "$package: $(dpkg-deb -f "${deb[$package]}" Depends)"
done
expect_dependency libsmtpclient1 "libcurl4"
expect_dependency libsmtpclient-dev "libsmtpclient1 (= $version)"
expect_dependency smtpsend "libsmtpclient1 (>= $version)"

echo "== Installing ${packages[*]}"
# A system that leaves manual pages out (path-exclude in dpkg.cfg.d) keeps this one.
apt_get -o Dpkg::Options::=--path-include="/usr/share/man/man1/smtpsend.1*" \
    install "${deb[@]}"
for package in "${packages[@]}"; do
    dpkg -L "$package" > "$work/$package.files"
done

expect_file() {
    grep -qxF "$2" "$work/$1.files" || fail "$1 does not hold $2"
    [ -e "$2" ] || fail "$2 of $1 is not on the system"
}
expect_file libsmtpclient1 "$libdir/libSMTPClient_Dll.so.1"
expect_file libsmtpclient-dev "$libdir/libSMTPClient_Dll.so"
expect_file libsmtpclient-dev /usr/include/smtpclient/ISmtpClient.h
expect_file libsmtpclient-dev "$libdir/cmake/SMTPClient/SMTPClientConfig.cmake"
expect_file libsmtpclient-dev "$libdir/pkgconfig/smtpclient.pc"
expect_file smtpsend /usr/bin/smtpsend
expect_file smtpsend /usr/share/man/man1/smtpsend.1.gz

# Every program below must load the installed library (/lib is /usr/lib on
# Debian, so the loader may name it through either).
expect_system_library() {
    local loaded
    loaded="$(env -u LD_LIBRARY_PATH ldd "$1" | awk '$1 == "libSMTPClient_Dll.so.1" { print $3 }')"
    [ -n "$loaded" ] && [ "$(readlink -f "$loaded")" = "$(readlink -f "$libdir/libSMTPClient_Dll.so.1")" ] \
        || fail "$1 loads \"$loaded\", not $libdir/libSMTPClient_Dll.so.1"
}

echo "== Building examples/sync_send with find_package"
cmake -S "$root/examples/sync_send" -B "$work/sync_send-build" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF >/dev/null
package_dir="$(grep '^SMTPClient_DIR:' "$work/sync_send-build/CMakeCache.txt")"
[ "${package_dir#*=}" = "$libdir/cmake/SMTPClient" ] || fail "find_package found $package_dir"
cmake --build "$work/sync_send-build" >/dev/null
cp "$work/sync_send-build/sync_send" "$work/sync_send"
expect_system_library "$work/sync_send"

echo "== Building examples/async_poll with pkg-config"
pkg_config() { env -u PKG_CONFIG_PATH pkg-config "$@"; }
[ "$(pkg_config --variable=libdir smtpclient)" = "$libdir" ] || fail "pkg-config found another smtpclient"
c++ -std=c++11 -I"$root/examples" "$root/examples/async_poll/AsyncPoll.cpp" \
    $(pkg_config --cflags --libs smtpclient) -o "$work/async_poll"
expect_system_library "$work/async_poll"
expect_system_library /usr/bin/smtpsend

[ "$(/usr/bin/smtpsend --version)" = "smtpsend $version" ] || fail "smtpsend is not version $version"

echo "== Sending to the test SMTP server"
start_server smtp "$state" >/dev/null
for example in sync_send async_poll; do
    SMTPCLIENT_TEST_STATE="$state" "$python" "$root/tests/support/run_example.py" \
        plain "$example@example.test" "$work/$example" > "$work/$example.log" 2>&1 \
        || { cat "$work/$example.log"; fail "$example did not deliver its mail"; }
    echo "$example: delivered"
done
port="$("$python" -c 'import json, sys; print(json.load(open(sys.argv[1]))["plain"])' "$state/ports.json")"
/usr/bin/smtpsend --server 127.0.0.1 --port "$port" --no-tls \
    --from packages@example.test --to installed-smtpsend@example.test \
    --subject "From the installed smtpsend" --text "Hello" \
    || fail "the installed smtpsend did not send"
grep -qs '"installed-smtpsend@example.test"' "$state"/mail/*.json \
    || fail "no mail from the installed smtpsend arrived"
stop_server smtp "$state" >/dev/null

echo "== Reading man smtpsend"
[ "$(man -w smtpsend)" = /usr/share/man/man1/smtpsend.1.gz ] || fail "man finds $(man -w smtpsend)"
page="$(MANPAGER=cat MANWIDTH=80 man smtpsend 2>&1)" || fail "man smtpsend failed: $page"
for heading in SYNOPSIS OPTIONS "EXIT STATUS" FILES SECURITY EXAMPLES "--insecure"; do
    grep -q -- "$heading" <<< "$page" || fail "man smtpsend lacks $heading"
done
head -n 8 <<< "$page"

echo "== Removing ${packages[*]}"
apt_get purge "${packages[@]}"
[ -z "$(installed_packages)" ] || fail "still installed: $(installed_packages)"
# A path is left behind when it still exists. A folder may stay when another
# package owns it too (/usr/bin, ...) or when it holds files of no package
# here: what of ours would be in it is checked on its own.
left=()
checked=0
while read -r path; do
    [ "$path" != "/." ] || continue
    checked=$((checked + 1))
    if [ -d "$path" ] && [ ! -L "$path" ]; then
        dpkg -S "$path" >/dev/null 2>&1 && continue
        [ -z "$(ls -A "$path")" ] || continue
    fi
    if [ -e "$path" ] || [ -L "$path" ]; then
        left+=("$path")
    fi
done < <(cat "$work"/*.files | sort -u)
[ ${#left[@]} -eq 0 ] || fail "left behind after removal: ${left[*]}"
echo "none of the $checked paths of the packages is left"
echo "packages: passed"
