# Sourced by the scripts that build and run Korvel for Windows against the cross-built Qt and
# libcrypto.

# Where the cross-built Qt lives: outside the clone, so that every clone and every CI run on this
# machine shares it. scripts/build-qt-windows.sh makes it.
KORVEL_QT_WINDOWS=${KORVEL_QT_WINDOWS:-/var/cache/korvel/qt-windows}
# Written last by scripts/build-qt-windows.sh: a cache without it is incomplete.
KORVEL_QT_WINDOWS_STAMP=$KORVEL_QT_WINDOWS/korvel-qt-complete
export KORVEL_QT_WINDOWS KORVEL_QT_WINDOWS_STAMP
KORVEL_WINDOWS_BUILD=build-windows

korvel_qt_windows_ready() { [ -f "$KORVEL_QT_WINDOWS_STAMP" ]; }

# Where the cross-built static libcrypto lives, beside the Qt. scripts/build-openssl-windows.sh
# makes it, and writes the stamp last.
KORVEL_OPENSSL_WINDOWS=${KORVEL_OPENSSL_WINDOWS:-/var/cache/korvel/openssl-windows}
KORVEL_OPENSSL_WINDOWS_STAMP=$KORVEL_OPENSSL_WINDOWS/korvel-openssl-complete
export KORVEL_OPENSSL_WINDOWS KORVEL_OPENSSL_WINDOWS_STAMP

korvel_openssl_windows_ready() { [ -f "$KORVEL_OPENSSL_WINDOWS_STAMP" ]; }

# What every Windows build passes to CMake so that find_package(OpenSSL) takes that libcrypto.
korvel_openssl_windows_options() {
    printf '%s\n' -DOPENSSL_ROOT_DIR="$KORVEL_OPENSSL_WINDOWS" -DOPENSSL_USE_STATIC_LIBS=TRUE
}

korvel_require_qt_windows() {
    if ! korvel_qt_windows_ready; then
        echo "There is no cross-built Qt for Windows in $KORVEL_QT_WINDOWS." >&2
        echo "Build it first (about 30 minutes): bash scripts/build-qt-windows.sh" >&2
        exit 1
    fi
}

korvel_require_openssl_windows() {
    if ! korvel_openssl_windows_ready; then
        echo "There is no libcrypto for Windows in $KORVEL_OPENSSL_WINDOWS." >&2
        echo "Build it first (about 2 minutes on two cores): bash scripts/build-openssl-windows.sh" >&2
        exit 1
    fi
}

# Debian's source packages, through a deb-src entry derived from the machine's own apt sources:
# every enabled "deb" source of this release (its suites start with the release's code name)
# again as "deb-src", with the same URIs, suites, components and keys.
korvel_add_deb_src_entries() {
    local deb_src_list=/etc/apt/sources.list.d/korvel-deb-src.sources as_root=()
    [ "$(id -u)" -ne 0 ] && as_root=(sudo)
    local codename file
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    [ -n "$codename" ] || { echo "Cannot tell this system's release (VERSION_CODENAME)." >&2; return 1; }
    {
        for file in /etc/apt/sources.list.d/*.sources; do
            [ -f "$file" ] && [ "$file" != "$deb_src_list" ] || continue
            awk -v codename="$codename" '
                function flush() {
                    if (types ~ /(^| )deb( |$)/ && suites ~ ("(^| )" codename)) {
                        print "Types: deb-src"; printf "%s", rest; print ""
                    }
                    types = ""; suites = ""; rest = ""
                }
                /^[ \t]*#/ { next }
                /^[ \t]*$/ { flush(); next }
                /^Types:/ { types = $0; sub(/^Types:[ \t]*/, "", types); next }
                /^Suites:/ { suites = $0; sub(/^Suites:[ \t]*/, "", suites) }
                /^Enabled:[ \t]*no/ { types = "" }
                { rest = rest $0 "\n" }
                END { flush() }' "$file"
        done
        for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
            [ -f "$file" ] || continue
            awk -v codename="$codename" '
                $1 == "deb" {
                    n = 2; options = ""
                    if ($2 ~ /^\[/) { while ($n !~ /\]$/) { options = options " " $n; n++ }
                                      options = options " " $n; n++ }
                    if ($(n + 1) !~ ("^" codename)) next
                    print "Types: deb-src"; print "URIs: " $n; print "Suites: " $(n + 1)
                    components = ""; for (i = n + 2; i <= NF; i++) components = components " " $i
                    print "Components:" components
                    if (match(options, /signed-by=[^] ]*/))
                        print "Signed-By: " substr(options, RSTART + 10, RLENGTH - 10)
                    print ""
                }' "$file"
        done
    } | "${as_root[@]}" tee "$deb_src_list" >/dev/null
    echo "Added the source entries in $deb_src_list:"
    cat "$deb_src_list"
    "${as_root[@]}" apt-get update -q -o DPkg::Lock::Timeout=900
}

# The mingw runtime DLLs the Qt DLLs and the program load.
korvel_mingw_runtime_dlls() {
    local dll
    for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
        x86_64-w64-mingw32-g++-posix -print-file-name="$dll"
    done
}

# One wineserver for a whole test run, ended when the calling script exits. Started by the first
# wine process, it would end the moment its last client does, and a test starting just then
# would find it going away ("wine client error:0: recvmsg: Connection reset by peer"). The first
# wine process starts wine's own services, which then live as long as the server: started here,
# they hold no test's output open.
korvel_hold_wineserver() {
    wineserver -w
    wineserver -p
    trap 'wineserver -k 2>/dev/null || true' EXIT
    wine cmd /c exit >/dev/null 2>&1 || true
}

# "Z:\path\to\folder" for wine, which maps the Unix root to drive Z:.
korvel_wine_path() { printf 'Z:%s' "${1//\//\\}"; }

# A private wine prefix in the build folder; the Qt DLLs and the mingw runtime on wine's PATH.
korvel_setup_wine() {
    export WINEDEBUG=-all WINEPREFIX="$PWD/$KORVEL_WINDOWS_BUILD/wineprefix"
    local dlls=("$KORVEL_QT_WINDOWS/bin") dll
    while read -r dll; do dlls+=("$(dirname "$dll")"); done < <(korvel_mingw_runtime_dlls)
    WINEPATH=""
    for dll in "${dlls[@]}"; do WINEPATH+="$(korvel_wine_path "$dll");"; done
    export WINEPATH
    korvel_create_wine_prefix
}

# Creates $WINEPREFIX when it is missing and gives it Chinese fonts.
korvel_create_wine_prefix() {
    [ -f "$WINEPREFIX/korvel-fonts.reg" ] && return
    mkdir -p "$WINEPREFIX"
    # No Gecko or Mono installer prompts while the prefix is made.
    WINEDLLOVERRIDES="mscoree,mshtml=" wine cmd /c exit >/dev/null 2>&1 || true
    # Windows' Chinese fonts are not here: their names go to Noto Sans CJK (fonts-noto-cjk),
    # and the dialog fonts link to it for the characters they lack.
    cat >"$WINEPREFIX/korvel-fonts.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"SimSun"="Noto Sans CJK SC"
"NSimSun"="Noto Sans CJK SC"
"Microsoft YaHei"="Noto Sans CJK SC"
"Microsoft YaHei UI"="Noto Sans CJK SC"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]
"Tahoma"="NotoSansCJK-Regular.ttc,Noto Sans CJK SC"
"Segoe UI"="NotoSansCJK-Regular.ttc,Noto Sans CJK SC"
"MS Shell Dlg"="NotoSansCJK-Regular.ttc,Noto Sans CJK SC"
"MS Shell Dlg 2"="NotoSansCJK-Regular.ttc,Noto Sans CJK SC"
REG
    wine regedit "$WINEPREFIX/korvel-fonts.reg" >/dev/null 2>&1 || true
    wineserver -w
}

# zlib for Windows, which the check of a decrypted head links statically.
korvel_require_mingw_zlib() {
    dpkg-query -W -f='${Status}' libz-mingw-w64-dev 2>/dev/null | grep -q "install ok installed" &&
        return
    local as_root=()
    [ "$(id -u)" -ne 0 ] && as_root=(sudo)
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q \
        -o DPkg::Lock::Timeout=600 --no-install-recommends libz-mingw-w64-dev
}

# Configures the whole program, its tests included, for Windows with the cross-built Qt's
# qt-cmake, which chains the project's mingw toolchain file, and the cross-built libcrypto.
korvel_configure_windows_build() {
    korvel_require_mingw_zlib
    korvel_require_openssl_windows
    local openssl_options
    mapfile -t openssl_options < <(korvel_openssl_windows_options)
    "$KORVEL_QT_WINDOWS/bin/qt-cmake" -S . -B "$KORVEL_WINDOWS_BUILD" -G Ninja \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
        -DKORVEL_MINGW_SHARED_RUNTIME=ON \
        -DCMAKE_BUILD_TYPE=Release \
        "${openssl_options[@]}"
}
