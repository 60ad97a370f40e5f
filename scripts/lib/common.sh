# What the scripts in scripts/ and bench/run.sh share: the source folder, the
# number of build and test jobs, the Python that runs the test servers, the
# package installs and the test servers' start and stop. Sourced with bash;
# each script keeps its own shell options.

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
# One job per core, for every build and ctest run.
jobs="$(nproc)"
# Debian's own Python, which carries python3-aiosmtpd for the test servers.
python=/usr/bin/python3
fixture="$root/tests/servers/fixture.py"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Prints the packages of the list that are not installed, one a line.
missing_packages() {
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
            || echo "$package"
    done
}

apt_lists_updated=""

# apt-get update, at most once per script run.
update_package_lists() {
    [ -z "$apt_lists_updated" ] || return 0
    as_root apt-get update -q
    apt_lists_updated=yes
}

# Installs the packages of the list that are missing; a no-op when none is.
install_packages() {
    local missing
    missing=($(missing_packages "$@"))
    [ ${#missing[@]} -gt 0 ] || return 0
    update_package_lists
    as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# start_server KIND STATE [fixture options...]: starts the test servers of a
# kind (smtp, socks, mta) on 127.0.0.1; their ports and mail go to STATE.
start_server() {
    local kind="$1" state="$2"
    shift 2
    mkdir -p "$state"
    "$python" "$fixture" start "$kind" "$state" "$@"
}

# stop_server KIND STATE: stops the servers that start_server started there.
stop_server() {
    "$python" "$fixture" stop "$1" "$2"
}
