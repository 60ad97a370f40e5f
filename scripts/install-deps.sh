#!/usr/bin/env bash
# Installs what building and testing the library needs, on Debian. Safe to run
# again: packages already present are left alone.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    libcurl4-openssl-dev
    libgtest-dev
    python3 python3-aiosmtpd
    openssl dante-server microsocks
    curl
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
fi
