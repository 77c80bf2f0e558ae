#!/usr/bin/env bash
# Builds korvel.exe for 64-bit Windows against the cross-built Qt (scripts/build-qt-windows.sh)
# and packs the setup, the portable folder and its zip:
#   out/korvel-<version>-setup.exe          the setup (installer/korvel.nsi, built with NSIS)
#   out/korvel-<version>-windows-x64/       korvel.exe, korvel-cli.exe, help.chm, README.txt, the DLLs
#                                           they need
#   out/korvel-<version>-windows-x64.zip
# Neither holds a key file.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/windows-common.sh
korvel_require_qt_windows
korvel_require_openssl_windows

korvel_configure_windows_build
cmake --build "$KORVEL_WINDOWS_BUILD" --target korvel korvel-cli korvel_help_file -j "${KORVEL_JOBS:-2}"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$KORVEL_WINDOWS_BUILD/CMakeCache.txt")
name=korvel-$version-windows-x64
package=out/$name
rm -rf "$package" "out/$name.zip"
mkdir -p "$package"

bin=$KORVEL_WINDOWS_BUILD/bin
cp "$bin/korvel.exe" "$bin/korvel-cli.exe" "$bin/help.chm" "$package/"

# The plugins Qt loads for this program on Windows: the platform plugin and the default style.
# (QT_DEBUG_PLUGINS=1 under wine shows no others; scripts/windows-smoke.sh checks it.)
plugins=(platforms/qwindows.dll styles/qwindowsvistastyle.dll)
for plugin in "${plugins[@]}"; do
    mkdir -p "$package/$(dirname "$plugin")"
    cp "$KORVEL_QT_WINDOWS/plugins/$plugin" "$package/$plugin"
done

# Every DLL that the two programs and those plugins import, and what those import in turn, found
# among the Qt DLLs and the mingw runtime. Imports found in neither are Windows' own.
search_dirs=("$KORVEL_QT_WINDOWS/bin")
while read -r dll; do search_dirs+=("$(dirname "$dll")"); done < <(korvel_mingw_runtime_dlls)
declare -A seen=()
system_dlls=()
add_imports_of() {
    local file=$1 import dir found
    while read -r import; do
        [ -n "${seen[${import,,}]:-}" ] && continue
        seen[${import,,}]=1
        found=""
        for dir in "${search_dirs[@]}"; do
            found=$(find "$dir" -maxdepth 1 -iname "$import" -print -quit)
            [ -n "$found" ] && break
        done
        if [ -z "$found" ]; then
            system_dlls+=("$import")
            continue
        fi
        cp "$found" "$package/"
        add_imports_of "$found"
    done < <(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p')
}
add_imports_of "$package/korvel.exe"
add_imports_of "$package/korvel-cli.exe"
for plugin in "${plugins[@]}"; do add_imports_of "$package/$plugin"; done

# Without their symbols the program and its DLLs are a fraction of the size.
find "$package" -iname '*.dll' -o -iname '*.exe' | xargs x86_64-w64-mingw32-strip --strip-unneeded

# Qt's own Chinese texts (standard buttons, file dialog), which qt.conf points Qt to.
mkdir -p "$package/translations"
cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$package/translations/"
printf '[Paths]\r\nPrefix = .\r\nPlugins = .\r\nTranslations = translations\r\n' >"$package/qt.conf"

# A short note in Chinese, as UTF-8 with a byte order mark and CRLF lines for Notepad.
{
    printf '\xef\xbb\xbf'
    sed 's/$/\r/' <<EOF
Korvel $version（Windows 64 位，免安装版）

1. 把这个文件夹整个解压到任意位置，例如 D:\\Korvel。
2. 把密钥文件 uae 放进 korvel.exe 所在的文件夹，与 korvel.exe 放在一起。
   本软件不附带也不会生成密钥文件。加密和解密必须使用同一个 uae 文件，请妥善保管。
3. 双击 korvel.exe 启动。

按 F1 或点击“使用说明”打开帮助 help.chm。
需要“开始”菜单、“发送到”菜单项和卸载功能时，请改用安装程序 korvel-$version-setup.exe。
文件夹里的其他文件（DLL 文件、platforms、styles、translations、qt.conf）是运行所必需的，请勿删除。
EOF
} >"$package/README.txt"

(cd out && cmake -E tar cf "$name.zip" --format=zip "$name")

bash scripts/windows-setup.sh "$package" "$version"

echo "Windows' own DLLs it imports: ${system_dlls[*]}"
echo "Package folder: $package"
find "$package" -type f -printf '  %P (%s bytes)\n' | sort
echo "Zip: out/$name.zip ($(du -h "out/$name.zip" | cut -f1))"
