#!/usr/bin/env bash
# Builds the Debian packages into BUILD_DIR: libsmtpclient1 (the shared
# library), libsmtpclient-dev (headers, CMake package, pkg-config file) and
# smtpsend (the tool and its manual page). Install them with
#   apt-get install ./BUILD_DIR/*.deb
#
#   scripts/package.sh [BUILD_DIR]   (default: build-deb)
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"

build="${1:-$root/build-deb}"

# cpack's Debian generator runs dpkg-shlibdeps (dpkg-dev) and file.
install_packages cmake g++ make libcurl4-openssl-dev dpkg-dev file
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DSMTPCLIENT_BUILD_TESTS=OFF
cmake --build "$build" -j"$jobs"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB)
