#!/usr/bin/env bash
# Cross-builds OpenSSL's libcrypto for 64-bit Windows with mingw-w64, static, from Debian's own
# openssl source, and installs it into the cache that the Windows builds link it from
# (scripts/windows-tests.sh, scripts/windows-gui-tests.sh, scripts/windows-package.sh, .ci/run).
# Static, so that every .exe, the zip's and the setup's, carries its cryptography inside.
#
#   bash scripts/build-openssl-windows.sh   # about 2 minutes on two free cores, 4 minutes of CPU
#
# KORVEL_OPENSSL_WINDOWS      where it is installed (default /var/cache/korvel/openssl-windows)
# KORVEL_OPENSSL_WINDOWS_WORK where its source and build tree live (default <that>-work); kept, so
#                             that a second run only builds what changed
# KORVEL_JOBS                 parallel compile jobs (default 2)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/windows-common.sh
work=${KORVEL_OPENSSL_WINDOWS_WORK:-$KORVEL_OPENSSL_WINDOWS-work}
jobs=${KORVEL_JOBS:-2}

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive

needed=(gcc-mingw-w64-x86-64-posix dpkg-dev make perl)
missing=()
for package in "${needed[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    "${as_root[@]}" apt-get install -y -q -o DPkg::Lock::Timeout=900 --no-install-recommends "${missing[@]}"
fi

# --- The source: the same version as the host's libssl-dev, so that Linux and Windows run the same
# code. When the archive no longer serves that version (security updates replace a point release),
# the newest version it does serve.
if ! apt-get source --print-uris openssl 2>/dev/null | grep -q '\.dsc'; then
    korvel_add_deb_src_entries
fi
host_version=$(dpkg-query -W -f='${Version}' libssl-dev 2>/dev/null || true)
mkdir -p "$work"
fetch_source() { (cd "$work" && apt-get source -q "openssl=$1" >/dev/null 2>&1); }
source_dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'openssl-*' | sort -V | tail -n 1)
if [ -z "$source_dir" ]; then
    version=""
    if [ -n "$host_version" ] && fetch_source "$host_version"; then
        version=$host_version
    else
        for offered in $(apt-cache showsrc openssl | sed -n 's/^Version: //p' | sort -rV); do
            if fetch_source "$offered"; then version=$offered; break; fi
        done
        [ -n "$version" ] || { echo "No openssl source could be fetched." >&2; exit 1; }
        echo "The source of openssl ${host_version:-(libssl-dev is not installed)} cannot be had;" \
            "building $version instead."
    fi
    source_dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'openssl-*' | sort -V | tail -n 1)
fi
version=$(cd "$source_dir" && dpkg-parsechangelog -S Version)
echo "OpenSSL source: $source_dir (Debian $version; the host's libssl-dev is ${host_version:-none})"

# --- Configure, build and install the static libraries and their headers: no programs, no tests,
# no manuals. Only libcrypto is linked; libssl comes along with OpenSSL's own install target.
rm -f "$KORVEL_OPENSSL_WINDOWS_STAMP"
build_dir=$work/build
mkdir -p "$build_dir"
options=(mingw64 no-shared no-tests --cross-compile-prefix=x86_64-w64-mingw32-
    --prefix="$KORVEL_OPENSSL_WINDOWS" --libdir=lib)
if [ "$(cat "$build_dir/korvel-configured" 2>/dev/null)" != "${options[*]}" ]; then
    (cd "$build_dir" && perl "$source_dir/Configure" "${options[@]}")
    echo "${options[*]}" >"$build_dir/korvel-configured"
fi
make -C "$build_dir" -j "$jobs" build_libs
make -C "$build_dir" install_dev

echo "$version" >"$KORVEL_OPENSSL_WINDOWS_STAMP"
du -sh "$KORVEL_OPENSSL_WINDOWS"
echo "libcrypto for Windows installed into $KORVEL_OPENSSL_WINDOWS."
