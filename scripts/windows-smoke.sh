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

package=$(find out -maxdepth 1 -type d -name 'korvel-*-windows-x64' | sort | tail -n 1)
if [ -z "$package" ]; then
    echo "No package in out/; make it first: bash scripts/windows-package.sh" >&2
    exit 1
fi
for tool in Xvfb xdotool xclip import; do
    command -v "$tool" >/dev/null || missing_tools=1
done
if [ -n "${missing_tools:-}" ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=600 \
        --no-install-recommends xvfb xdotool xclip imagemagick >/dev/null
fi

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
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display WINEPREFIX=$work/wineprefix WINEDEBUG=-all LANG=zh_CN.UTF-8
cleanup() {
    wineserver -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
unset WINEPATH
sleep 1
korvel_create_wine_prefix

# ---- Helpers: windows by title, clicks in a window's client area, pasted text, screenshots
quiet() { "$@" 2>/dev/null; }
# Mapped windows, the untitled file dialogs included, less wine's 1x1 input method windows.
visible_windows() {
    local w
    for w in $(quiet xdotool search --onlyvisible --name '' || true); do
        quiet xdotool getwindowgeometry "$w" | grep -q 'Geometry: 1x1$' || echo "$w"
    done | sort
}
wait_for_window() {  # title -> window id
    local id
    for _ in $(seq 120); do
        id=$(quiet xdotool search --onlyvisible --name "^$1\$" | head -n 1 || true)
        [ -n "$id" ] && { sleep 3; echo "$id"; return; }
        sleep 0.5
    done
    echo "Window \"$1\" did not appear." >&2
    shot failure
    exit 1
}
wait_for_new_window() {  # windows before -> the id of one that was not there
    local before=$1 id
    for _ in $(seq 120); do
        id=$(comm -13 <(echo "$before") <(visible_windows) | tail -n 1)
        [ -n "$id" ] && { sleep 3; echo "$id"; return; }
        sleep 0.5
    done
    echo "No new window appeared." >&2
    shot failure
    exit 1
}
wait_until_gone() {
    for _ in $(seq 120); do
        quiet xdotool getwindowname "$1" >/dev/null || return 0
        visible_windows | grep -qx "$1" || return 0
        sleep 0.5
    done
}
click() {  # window x y (client pixels)
    quiet xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.7
}
# xdotool cannot type Chinese into wine; the clipboard carries it.
paste_text() {
    printf '%s' "$1" | xclip -selection clipboard -t UTF8_STRING -i
    sleep 0.3
    # The dialogs' name boxes know no Ctrl+A: select the whole line, remove it, then paste.
    quiet xdotool key End shift+Home Delete ctrl+v
    sleep 0.5
}
type_text() { quiet xdotool type --delay 60 "$1"; sleep 0.3; }
shot() {  # name: the screen, trimmed to the windows on it
    import -window root png:- | convert - -trim +repage "docs/windows-$1.png"
    echo "Screenshot docs/windows-$1.png"
}
# Chooses a file in the system's open or save dialog that the click opened.
choose_in_dialog() {  # windows-before path
    local dialog
    dialog=$(wait_for_new_window "$1")
    quiet xdotool windowfocus "$dialog" || true
    paste_text "$2"
    quiet xdotool key Return
    wait_until_gone "$dialog"
    sleep 0.5
}
start_program() {
    (cd "$program_dir" && WINEDEBUG=+loaddll wine korvel.exe >"$work/korvel-$1.log" 2>&1) &
}
# Controls of the encrypt and decrypt windows, at their centres.
browse_source=(572 152) browse_target=(572 240) password_box=(136 301) repeat_box=(136 365)
confirm_button=(164 448) run_button=(484 448)
run_window() {  # window source target
    local window=$1 before
    before=$(visible_windows)
    click "$window" "${browse_source[@]}"
    choose_in_dialog "$before" "$(korvel_wine_path "$2")"
    before=$(visible_windows)
    click "$window" "${browse_target[@]}"
    choose_in_dialog "$before" "$(korvel_wine_path "$3")"
    click "$window" "${password_box[@]}"
    type_text "$password"
    click "$window" "${repeat_box[@]}"
    type_text "$password"
    click "$window" "${confirm_button[@]}"
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
run_window "$form4" "$original" "$ciphertext"
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
run_window "$form5" "$ciphertext" "$decrypted"
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
