#!/usr/bin/env bash
# Cross-builds Qt (qtbase: Core, Gui, Widgets, Test; the windows, offscreen and minimal platform
# plugins; the Windows styles; Network for the local socket a second start hands its files over) for 64-bit Windows with mingw-w64, from Debian's own qt6-base
# source, and installs it into the cache that scripts/windows-package.sh, scripts/windows-gui-tests.sh
# and .ci/run use.
#
#   bash scripts/build-qt-windows.sh        # about 30 minutes on two cores
#
# KORVEL_QT_WINDOWS     where the cross-built Qt is installed (default /var/cache/korvel/qt-windows)
# KORVEL_QT_WINDOWS_WORK where its source and build tree live (default <that>-work); kept, so that a
#                        second run only builds what changed; delete it once the install is done.
# KORVEL_JOBS           parallel compile jobs (default 2)
#
# The host's Qt (qt6-base-dev, the same version as the source) provides moc, rcc and uic.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/windows-common.sh
work=${KORVEL_QT_WINDOWS_WORK:-$KORVEL_QT_WINDOWS-work}
jobs=${KORVEL_JOBS:-2}

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive

bash scripts/install-deps.sh
needed=(g++-mingw-w64-x86-64-posix ninja-build dpkg-dev qt6-base-dev qt6-base-dev-tools wine wine64)
missing=()
for package in "${needed[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    "${as_root[@]}" apt-get install -y -q -o DPkg::Lock::Timeout=900 --no-install-recommends "${missing[@]}"
fi

host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)

# --- The source, through a deb-src entry (scripts/windows-common.sh).
mkdir -p "$work"
source_dir=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' | sort | tail -n 1)
if [ -z "$source_dir" ]; then
    if ! apt-get source --print-uris qt6-base 2>/dev/null | grep -q '\.dsc'; then
        korvel_add_deb_src_entries
    fi
    (cd "$work" && apt-get source -q "qt6-base=$host_version")
    source_dir=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' | sort | tail -n 1)
fi
echo "Qt source: $source_dir (host Qt $host_version)"

# --- Configure and build.
# The toolchain file goes with the installed Qt, whose qt-cmake chains it for every program that
# is built against this Qt.
mkdir -p "$KORVEL_QT_WINDOWS"
cp cmake/mingw-w64-x86_64.cmake "$KORVEL_QT_WINDOWS/mingw-w64-x86_64.cmake"
rm -f "$KORVEL_QT_WINDOWS_STAMP"

build_dir=$work/build
cmake -S "$source_dir" -B "$build_dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$KORVEL_QT_WINDOWS/mingw-w64-x86_64.cmake" \
    -DKORVEL_MINGW_SHARED_RUNTIME=ON \
    -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=ON \
    -DCMAKE_INSTALL_PREFIX="$KORVEL_QT_WINDOWS" \
    -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_network=ON -DFEATURE_openssl=OFF -DINPUT_openssl=no -DFEATURE_sctp=OFF \
    -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_vulkan=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DFEATURE_tabletevent=OFF \
    -DFEATURE_icu=OFF -DFEATURE_zstd=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_freetype=ON -DFEATURE_accessibility=ON \
    -DFEATURE_style_windows=ON -DFEATURE_style_windowsvista=ON -DFEATURE_testlib=ON
cmake --build "$build_dir" -j "$jobs"
cmake --install "$build_dir"

echo "$host_version" >"$KORVEL_QT_WINDOWS_STAMP"
du -sh "$KORVEL_QT_WINDOWS"
echo "Qt for Windows installed into $KORVEL_QT_WINDOWS."
echo "Build the Windows package with: bash scripts/windows-package.sh"
