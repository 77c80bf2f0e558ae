#!/usr/bin/env bash
# Goes through the setup (scripts/windows-package.sh) and its uninstaller under wine on a virtual
# display, as a user would, and saves each page as docs/windows-setup-*.png: a first install
# that chooses a key file, the key-file page of a second install (which keeps that key file),
# and the uninstaller, which says where the key file stays.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/windows-common.sh
source scripts/windows-desktop.sh

setup=${KORVEL_SETUP:-$(find out -maxdepth 1 -name "korvel-*-setup.exe" | sort | tail -n 1)}
if [ -z "$setup" ]; then
    echo "No setup in out/; make it first: bash scripts/windows-package.sh" >&2
    exit 1
fi
version=$(sed -n 's/.*korvel-\(.*\)-setup\.exe$/\1/p' <<<"$setup")
korvel_require_desktop_tools
work=$PWD/$KORVEL_WINDOWS_BUILD/setup-shots
rm -rf "$work"
mkdir -p "$work/我的密钥"
head -c 1048576 /dev/urandom >"$work/我的密钥/uae"
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all LANG=zh_CN.UTF-8
unset WINEPATH
korvel_start_display
korvel_create_wine_prefix

setup_title="Korvel 文件加密 $version 安装"
next_page() {  # screenshot name of the page that follows
    quiet xdotool key Return
    sleep 2
    shot "setup-$1"
}

# ---- First install
(wine "$setup" >/dev/null 2>&1 &)
window=$(wait_for_window "$setup_title")
shot setup-welcome
next_page folder
next_page keyfile
click "$window" 235 207  # the key file's box
paste_text "$(korvel_wine_path "$work/我的密钥/uae")"
shot setup-keyfile-chosen
next_page components
quiet xdotool key Return  # installs
sleep 8
shot setup-finish
click "$window" 216 201  # "启动 Korvel 文件加密" off
sleep 0.5
quiet xdotool key Return
wait_until_gone "$window"

# ---- Second install: the key file is kept
(wine "$setup" >/dev/null 2>&1 &)
window=$(wait_for_window "$setup_title")
quiet xdotool key Return
sleep 2
next_page keyfile-kept
quiet xdotool key Escape  # cancel, and confirm it
sleep 1
quiet xdotool key Return
wait_until_gone "$window"

# ---- Uninstall
folder=$(winepath -u "$(wine cmd /c echo '%LOCALAPPDATA%\Programs\Korvel' | tr -d '\r')")
before=$(visible_windows)
(wine "$folder/uninstall.exe" >/dev/null 2>&1 &)
window=$(wait_for_new_window "$before")
echo "Uninstaller's title: $(quiet xdotool getwindowname "$window")"
shot uninstall-confirm
quiet xdotool key Return  # uninstalls
sleep 6
shot uninstall-finish
quiet xdotool key Return
sleep 3
echo "Left in the program's folder: $(ls "$folder")"
# The key file chosen on the page was copied, and the uninstaller left it there.
cmp "$work/我的密钥/uae" "$folder/uae"
