#!/usr/bin/env bash
# Builds a static libcurl for x86_64-w64-mingw32 (Schannel TLS, SMTP and SOCKS
# only) from Debian's own curl source package and prints its install folder.
# The result is cached outside the repository; a second run only prints it.
# apt's own configuration is left as it is: the source comes through a private
# deb-src list made from the machine's apt sources.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"

toolchain="$root/cmake/toolchain-mingw64.cmake"
cache_root="${XDG_CACHE_HOME:-$HOME/.cache}/smtpclient"

log() { echo "build-curl-mingw: $*" >&2; }

# deb-src lines for every archive of the machine's one-line and deb822 lists.
private_source_list() {
    if [ -f /etc/apt/sources.list ]; then
        awk '$1 == "deb" { $1 = "deb-src"; print }' /etc/apt/sources.list
    fi
    local parts=(/etc/apt/sources.list.d/*.sources)
    [ -e "${parts[0]}" ] || return 0
    awk '
        function flush() {
            if (types ~ /(^| )deb( |$)/ && uris != "" && enabled != "no") {
                n = split(uris, u, " "); m = split(suites, s, " ")
                for (i = 1; i <= n; i++) for (j = 1; j <= m; j++)
                    printf "deb-src%s %s %s %s\n", signed, u[i], s[j], components
            }
            types = uris = suites = components = signed = enabled = ""
        }
        /^[ \t]*#/ { next }
        /^[ \t]*$/ { flush(); next }
        {
            key = tolower($1); sub(/:$/, "", key)
            value = $0; sub(/^[^:]*:[ \t]*/, "", value)
            if (key == "types") types = value
            else if (key == "uris") uris = value
            else if (key == "suites") suites = value
            else if (key == "components") components = value
            else if (key == "enabled") enabled = tolower(value)
            else if (key == "signed-by" && value !~ / /) signed = " [signed-by=" value "]"
        }
        END { flush() }
    ' "${parts[@]}"
}

# Downloads and unpacks Debian's curl source into $1, patches applied.
fetch_source() {
    local into="$1" apt_dir="$1/apt"
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
    private_source_list > "$apt_dir/sources.list"
    if [ ! -s "$apt_dir/sources.list" ]; then
        log "no apt sources found to derive a deb-src list from"
        return 1
    fi
    local apt_options=(
        -o "Dir::Etc::SourceList=$apt_dir/sources.list"
        -o "Dir::Etc::SourceParts=$apt_dir/none"
        -o "Dir::State::Lists=$apt_dir/lists"
        -o "Dir::Cache=$apt_dir/cache"
        -o "APT::Sandbox::User=root"
    )
    apt-get -q "${apt_options[@]}" update >&2
    (cd "$into" && apt-get -q "${apt_options[@]}" source --download-only curl >&2)
    (cd "$into" && dpkg-source --no-check -x ./curl_*.dsc source >&2)
}

source_version() {
    sed -n 's/^Version: //p' "$1"/curl_*.dsc | head -n 1
}

# HTTP stays in: Debian's patches make the protocol code shared by SMTP call
# into the HTTP code. Every other protocol is left out. IDN stays off: mail
# domains get their A-labels from the library itself (IdnToAscii), so they
# reach libcurl in ASCII whatever it was built with.
configure_and_install() {
    local source="$1" build="$2" prefix="$3"
    cmake -S "$source" -B "$build" -G "Unix Makefiles" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DBUILD_SHARED_LIBS=OFF -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF \
        -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_WINDOWS_SSPI=ON \
        -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none \
        -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF \
        -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBSSH=OFF -DUSE_LIBIDN2=OFF -DUSE_WIN32_IDN=OFF \
        -DENABLE_UNIX_SOCKETS=OFF -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON \
        -DCURL_DISABLE_FTP=ON -DCURL_DISABLE_FILE=ON \
        -DCURL_DISABLE_DICT=ON -DCURL_DISABLE_GOPHER=ON -DCURL_DISABLE_IMAP=ON \
        -DCURL_DISABLE_POP3=ON -DCURL_DISABLE_RTSP=ON -DCURL_DISABLE_SMB=ON \
        -DCURL_DISABLE_TELNET=ON -DCURL_DISABLE_TFTP=ON -DCURL_DISABLE_MQTT=ON \
        -DCURL_DISABLE_ALTSVC=ON -DCURL_DISABLE_HSTS=ON -DCURL_DISABLE_COOKIES=ON \
        >&2
    cmake --build "$build" -j"$jobs" >&2
    cmake --install "$build" >&2
}

work=""

main() {
    mkdir -p "$cache_root"
    local existing
    existing="$(ls -d "$cache_root"/curl-mingw-*/lib/libcurl.a 2>/dev/null | head -n 1 || true)"
    if [ -n "$existing" ]; then
        dirname "$(dirname "$existing")"
        return 0
    fi

    work="$(mktemp -d "$cache_root/work.XXXXXX")"
    trap 'rm -rf "$work"' EXIT
    fetch_source "$work"
    local version prefix
    version="$(source_version "$work")"
    prefix="$cache_root/curl-mingw-$version"
    log "building curl $version for x86_64-w64-mingw32"
    configure_and_install "$work/source" "$work/build" "$prefix.partial"
    rm -rf "$prefix"
    mv "$prefix.partial" "$prefix"
    echo "$prefix"
}

main "$@"
