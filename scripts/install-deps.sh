#!/usr/bin/env bash
# Installs what building and testing the library needs, on Debian. Safe to run
# again: packages already present are left alone.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"

packages=(
    cmake g++ make pkg-config
    libcurl4-openssl-dev libidn2-dev
    libgtest-dev
    python3 python3-aiosmtpd
    openssl dante-server microsocks
    groff-base
    curl
)

install_packages "${packages[@]}"
