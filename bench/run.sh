#!/usr/bin/env bash
# Builds the benchmarks in Release, fetches Postfix's smtp-sink and
# smtp-source if they are not cached yet, runs every benchmark against the
# sink on 127.0.0.1 and prints one table.
#
#   bench/run.sh [--quick] [--only small|async|large|compose|bulk]
#
# "bulk" runs bench/bulk_bench.py alone: kept and several connections over a
# delaying proxy, beside libcurl, nodemailer (Debian's node-nodemailer) and
# smtplib; a full run ends with it.
# The build folder is build-bench beside the sources (SMTPCLIENT_BENCH_BUILD
# overrides it); the Postfix package and the attachment files are cached in
# its bench-cache folder. The Postfix programs are only unpacked there, never
# installed; no system mail server is started.
set -euo pipefail
source "$(dirname "$0")/../scripts/lib/common.sh"

build_dir="${SMTPCLIENT_BENCH_BUILD:-$root/build-bench}"
cache_dir="$build_dir/bench-cache"
postfix_dir="$cache_dir/postfix"

if [ ! -x "$postfix_dir/usr/sbin/smtp-sink" ] || [ ! -x "$postfix_dir/usr/sbin/smtp-source" ]; then
    mkdir -p "$cache_dir"
    (cd "$cache_dir" && rm -f postfix_*.deb && apt-get download postfix)
    rm -rf "$postfix_dir"
    dpkg -x "$cache_dir"/postfix_*.deb "$postfix_dir"
fi

install_packages nodejs node-nodemailer
cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release \
      -DSMTPCLIENT_BUILD_BENCH=ON -DSMTPCLIENT_BUILD_TESTS=OFF -DSMTPCLIENT_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build_dir" -j"$jobs" --target smtpbench_send smtpbench_compose smtpbench_bulk \
    >/dev/null

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')," \
     "$(awk '/MemTotal/ { printf "%.1f GB", $2 / 1048576 }' /proc/meminfo) memory, $(uname -sr)"
if [ "$*" = "--only bulk" ]; then
    exec "$python" "$root/bench/bulk_bench.py" --build "$build_dir"
fi
"$python" "$root/bench/run_bench.py" --build "$build_dir" \
    --postfix "$postfix_dir" --work "$cache_dir" "$@"
if [ $# -eq 0 ]; then
    "$python" "$root/bench/bulk_bench.py" --build "$build_dir"
fi
