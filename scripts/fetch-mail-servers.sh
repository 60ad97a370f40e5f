#!/usr/bin/env bash
# Unpacks Debian's Postfix and Exim into a cache folder, for the tests that
# send through real mail servers. The packages are only unpacked, never
# installed (they conflict with each other and would start the system's mail
# service); the shared libraries they link against and nss_wrapper, which
# gives Exim its compiled-in user, are installed when missing.
#
#   scripts/fetch-mail-servers.sh CACHE_DIR
set -euo pipefail

cache="$1"
packages=(postfix exim4-daemon-light)
programs=(usr/lib/postfix/sbin/master usr/sbin/exim4)

unpacked() {
    local program
    for program in "${programs[@]}"; do
        [ -x "$cache/programs/$program" ] || return 1
    done
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing_packages() {
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
            || echo "$package"
    done
}

# The lib* packages that a .deb depends on: what its programs load.
library_dependencies() {
    dpkg-deb -f "$1" Depends | tr ',|' '\n\n' | sed -e 's/(.*)//' -e 's/ //g' | grep '^lib' || true
}

if ! unpacked; then
    mkdir -p "$cache/debs"
    rm -rf "$cache/programs" "$cache"/debs/*.deb
    (cd "$cache/debs" && apt-get download "${packages[@]}" 2>/dev/null) \
        || { as_root apt-get update >/dev/null && (cd "$cache/debs" && apt-get download "${packages[@]}"); }
    for deb in "$cache"/debs/*.deb; do
        dpkg-deb -x "$deb" "$cache/programs"
    done
    # Exim re-executes itself as its own user for each delivery; set-user-ID
    # it would lose the preloaded nss_wrapper.
    chmod u-s "$cache/programs/usr/sbin/exim4"
fi

needed=(libnss-wrapper)
for deb in "$cache"/debs/*.deb; do
    needed+=($(library_dependencies "$deb"))
done
missing=($(missing_packages "${needed[@]}"))
if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null
fi
unpacked
