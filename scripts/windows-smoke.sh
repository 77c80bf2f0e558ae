#!/usr/bin/env bash
# Starts the packaged korvel.exe (scripts/windows-package.sh) under wine on a virtual X display
# with Qt's windows platform plugin, as a user would: splash, main window, encrypt window;
# encrypts a file with a Chinese name in a Chinese folder and decrypts it again, choosing both
# files in the system's file dialogs. Saves screenshots as docs/windows-*.png and fails unless
# the decrypted file equals the original.
#
# The package runs as unzipped: no WINEPATH, so a DLL missing from it shows here. wine's own
# logging of DLL loads tells which DLLs and plugins the program really loads, and from where.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/windows-common.sh
source scripts/windows-desktop.sh

package=$(find out -maxdepth 1 -type d -name 'korvel-*-windows-x64' | sort | tail -n 1)
if [ -z "$package" ]; then
    echo "No package in out/; make it first: bash scripts/windows-package.sh" >&2
    exit 1
fi
korvel_require_desktop_tools

work=$PWD/$KORVEL_WINDOWS_BUILD/smoke
rm -rf "$work"
program_dir="$work/Korvel 程序"
files_dir="$work/我的文件"
mkdir -p "$program_dir" "$files_dir"
cp -r "$package"/. "$program_dir/"
head -c 1048576 /dev/urandom >"$program_dir/uae"
original="$files_dir/季度报告.txt"
for _ in $(seq 2000); do echo "第一季度收入与支出明细：机密，请勿外传。Quarterly figures."; done >"$original"
ciphertext="$files_dir/季度报告.加密"
decrypted="$files_dir/季度报告-解密.txt"
password='Korvel#2024'

# ---- A display and a wine prefix that can show Chinese
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all LANG=zh_CN.UTF-8
unset WINEPATH
korvel_start_display
korvel_create_wine_prefix

start_program() {
    (cd "$program_dir" && WINEDEBUG=+loaddll wine korvel.exe >"$work/korvel-$1.log" 2>&1) &
}
# ---- Encrypt
start_program encrypt
splash=$(wait_for_window Form2)
shot splash
main=$(wait_for_window 'Korvel加密')
shot main
click "$main" 120 112
form4=$(wait_for_window '文件加密')
shot form4
fill_cipher_window "$form4" "$original" "$ciphertext" "$password"
shot form4-ready
before=$(visible_windows)
click "$form4" "${run_button[@]}"
notice=$(wait_for_new_window "$before")
shot encrypted
quiet xdotool windowfocus "$notice" key Return || true
sleep 1
# F1 hands help.chm to the system's HTML Help viewer (wine's hh.exe).
before=$(visible_windows)
quiet xdotool windowfocus "$form4" key F1 || true
help_shown=no
for _ in $(seq 30); do
    if pgrep -f 'hh.exe' >/dev/null; then help_shown=yes; break; fi
    sleep 0.5
done
sleep 3
echo "HTML Help viewer started by F1: $help_shown"
[ "$help_shown" = yes ] && shot help
wineserver -k 2>/dev/null || true
sleep 1

# ---- Decrypt, in a second start of the program
start_program decrypt
splash=$(wait_for_window Form2)
click "$splash" 100 100  # a click skips the splash
main=$(wait_for_window 'Korvel加密')
click "$main" 344 112
form5=$(wait_for_window '文件解密')
fill_cipher_window "$form5" "$ciphertext" "$decrypted" "$password"
before=$(visible_windows)
click "$form5" "${run_button[@]}"
notice=$(wait_for_new_window "$before")
shot decrypted
quiet xdotool windowfocus "$notice" key Return || true
sleep 1
wineserver -k 2>/dev/null || true

# ---- What the runs loaded, and the round trip
# wine loads its own DLLs as "builtin"; every "native" one came from a file.
native_loads=$(grep -h 'Loaded L".*: native$' "$work"/korvel-*.log |
    sed 's/.*Loaded L"\([^"]*\)".*/\1/; s/\\\\/\\/g' | sort -u)
# (wine's log writes non-ASCII characters as escapes: compare the folder's ASCII start only)
program_dir_wine="$(korvel_wine_path "$work")\\Korvel "
echo "DLLs and plugins the program loaded:"
echo "$native_loads" | sed 's/^/  /'
if echo "$native_loads" | grep -vqiF "$program_dir_wine"; then
    echo "The program loaded DLLs from outside its folder:" >&2
    echo "$native_loads" | grep -viF "$program_dir_wine" >&2
    exit 1
fi
ls -l "$original" "$ciphertext" "$decrypted"
if cmp -s "$original" "$decrypted" && ! cmp -s "$original" "$ciphertext"; then
    echo "Round trip under wine: the decrypted file equals the original."
else
    echo "Round trip under wine FAILED: the decrypted file differs from the original." >&2
    exit 1
fi
