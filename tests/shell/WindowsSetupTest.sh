#!/usr/bin/env bash
# The setup under wine, in a fresh prefix, as a user and an administrator use it: silent
# installs (first, over the first with another key file offered, into a chosen folder with a
# desktop shortcut), the installed program started from the "Send to" entry with a file, and the
# registered silent uninstaller. Checks the files, shortcuts, uninstall key and key file each
# time. Screenshots of the program go to <work>/shots.
#   bash tests/shell/WindowsSetupTest.sh <korvel-<version>-setup.exe> <portable folder> <work>
set -euo pipefail
setup=$(realpath "${1:?setup}")
package=$(realpath "${2:?portable folder}")
work=${3:?work folder}
cd "$(dirname "$0")/../.."
source scripts/windows-common.sh
source scripts/windows-desktop.sh
version=$(sed -n 's/.*korvel-\(.*\)-setup\.exe$/\1/p' <<<"$setup")

rm -rf "$work"
mkdir -p "$work/keys" "$work/files" "$work/shots"
work=$(realpath "$work")
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all LANG=zh_CN.UTF-8 KORVEL_SHOT_DIR=$work/shots
unset WINEPATH
korvel_require_desktop_tools
korvel_start_display
korvel_create_wine_prefix

# ---- Where Windows keeps what the setup makes, in this prefix
windows_variable() { wine cmd /c echo "%$1%" | tr -d '\r'; }
unix_path() { winepath -u "$1" 2>/dev/null | sed 's|/$||'; }
default_folder="$(windows_variable LOCALAPPDATA)\\Programs\\Korvel"
roaming=$(unix_path "$(windows_variable APPDATA)")
desktop=$(unix_path "$(windows_variable USERPROFILE)\\Desktop")
shortcut="Korvel 文件加密.lnk"
start_menu_link="$roaming/Microsoft/Windows/Start Menu/Programs/Korvel 文件加密/$shortcut"
send_to_link="$roaming/Microsoft/Windows/SendTo/$shortcut"
desktop_link="$desktop/$shortcut"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvel'

head -c 1048576 /dev/urandom >"$work/keys/uae"
head -c 1048576 /dev/urandom >"$work/keys/another-uae"

failures=0
expect() {  # description, command...
    if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}
# Every file of the portable folder but its unzipping note, as packed.
installed_as_packaged() {  # folder
    local file
    while read -r file; do
        cmp -s "$package/$file" "$1/$file" || { echo "  differs or missing: $file"; return 1; }
    done < <(cd "$package" && find . -type f ! -path ./README.txt)
    [ ! -e "$1/README.txt" ]
}
# Nothing the setup installed is left; only the key file, if there was one, and its folder.
only_key_file_left() {  # folder
    [ ! -e "$1" ] && return 0
    local left
    left=$(cd "$1" && find . -mindepth 1 | sort | tr '\n' ' ')
    [ "$left" = "./uae " ] || { echo "  left: $left"; return 1; }
}
link_leads_to() {  # link, the program's Windows path
    [ -f "$1" ] || return 1
    local text
    # A shortcut holds its target's path as UTF-16 (and in the system's code page).
    text=$(python3 -c 'import sys
data = open(sys.argv[1], "rb").read()
for start in (0, 1):
    print(data[start:].decode("utf-16-le", "replace").replace("\0", "\n"))' "$1")
    grep -qiF "$2" <<<"$text" || { echo "  $1 does not name $2"; return 1; }
}
registry_value() {  # name -> value ("" when the key or value is missing)
    { wine reg query "$uninstall_key" /v "$1" 2>/dev/null || true; } | iconv -f GBK -t UTF-8 |
        tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}
# The default value of a key under HKCU\Software\Classes ("" when the key is missing).
class_default() {  # key
    { wine reg query "HKCU\\Software\\Classes\\$1" /ve 2>/dev/null || true; } |
        iconv -f GBK -t UTF-8 | tr -d '\r' | sed -n 's/^ *[^ ]* *REG_SZ *//p'
}
class_is() {  # key expected
    local value
    value=$(class_default "$1")
    [ "$value" = "$2" ] || { echo "  $1 = \"$value\""; return 1; }
}
registered() {  # name expected
    local value
    value=$(registry_value "$1")
    [ "$value" = "$2" ] || { echo "  $1 = \"$value\""; return 1; }
}
# The command line as an administrator types it: wine would quote an argument with a space,
# and the setup takes /D= only unquoted and last.
run_setup() {  # arguments
    timeout 300 wine cmd /c "$(korvel_wine_path "$setup") $1"
    timeout 300 wineserver -w
}
# The command "Apps & features" runs: the uninstaller copies itself away and starts again, so
# wait for every process of the prefix to end.
run_registered_uninstaller() {
    local command exe arguments
    command=$(registry_value QuietUninstallString)
    exe=$(sed -n 's/^"\([^"]*\)".*/\1/p' <<<"$command")
    arguments=$(sed 's/^"[^"]*" *//' <<<"$command")
    [ -n "$exe" ] || { echo "FAIL no uninstaller is registered"; failures=$((failures + 1)); return; }
    # shellcheck disable=SC2086  # the registered arguments are words
    timeout 300 wine "$exe" $arguments
    timeout 300 wineserver -w
}
check_installed() {  # Windows folder, key file it must hold ("" none), desktop shortcut (yes/no)
    local folder key=$2 desktop_expected=$3 program="$1\\korvel.exe"
    folder=$(unix_path "$1")
    expect "the program's files are installed as packed" installed_as_packaged "$folder"
    expect "the uninstaller is installed" test -f "$folder/uninstall.exe"
    if [ -n "$key" ]; then
        expect "the key file beside korvel.exe is $(basename "$key")" cmp -s "$key" "$folder/uae"
    else
        expect "no key file is made" test ! -e "$folder/uae"
    fi
    expect "Start menu shortcut" link_leads_to "$start_menu_link" "$program"
    expect "\"Send to\" entry" link_leads_to "$send_to_link" "$program"
    if [ "$desktop_expected" = yes ]; then
        expect "desktop shortcut" link_leads_to "$desktop_link" "$program"
    else
        expect "no desktop shortcut unless asked" test ! -e "$desktop_link"
    fi
    expect "uninstall key: name" registered DisplayName "Korvel 文件加密"
    expect "uninstall key: version" registered DisplayVersion "$version"
    expect "uninstall key: publisher" registered Publisher "Korvel"
    expect "uninstall key: icon" registered DisplayIcon "$program,0"
    expect "uninstall key: uninstaller" registered UninstallString "\"${program%korvel.exe}uninstall.exe\""
    expect "uninstall key: silent uninstaller" registered QuietUninstallString \
        "\"${program%korvel.exe}uninstall.exe\" /S"
    expect "uninstall key: size" test "$(($(registry_value EstimatedSize)))" -gt 1000
    expect ".age files belong to Korvel" class_is .age Korvel.AgeFile
    expect ".age files open in korvel.exe" class_is 'Korvel.AgeFile\shell\open\command' \
        "\"$program\" \"%1\""
    expect ".age files have the program's icon" class_is 'Korvel.AgeFile\DefaultIcon' "$program,0"
}
check_uninstalled() {  # Windows folder, key file it must still hold ("" none)
    local folder key=$2
    folder=$(unix_path "$1")
    expect "nothing installed is left" only_key_file_left "$folder"
    if [ -n "$key" ]; then
        expect "the key file stays" cmp -s "$key" "$folder/uae"
    else
        expect "the empty folder is removed" test ! -e "$folder"
    fi
    for link in "$start_menu_link" "$send_to_link" "$desktop_link"; do
        expect "no shortcut left: ${link#"$roaming"/}" test ! -e "$link"
    done
    expect "no Start menu folder left" test ! -e "$(dirname "$start_menu_link")"
    expect "the uninstall key is gone" test -z "$(registry_value DisplayName)"
    expect "the .age association is gone" test -z "$(class_default .age)"
    expect "the age file class is gone" test -z "$(class_default Korvel.AgeFile)"
}

# ---- The installed program, started from the "Send to" entry with a file, encrypts it
password='Korvel#2024'
plaintext="$work/files/季度报告.txt"
ciphertext="$work/files/季度报告.加密"
sent_file_is_encrypted() {
    for _ in $(seq 3000); do echo "第一季度收入与支出明细：机密。Quarterly figures."; done >"$plaintext"
    # What Explorer does for "Send to": open the shortcut with the file as its argument.
    (wine start /unix "$send_to_link" "$(korvel_wine_path "$plaintext")" >"$work/send-to.log" 2>&1 &)
    local splash main form4 before
    # (set -e does not hold inside a checked function: each step says itself when it fails)
    splash=$(wait_for_window Form2) || return 1
    click "$splash" 100 100
    main=$(wait_for_window 'Korvel加密') || return 1
    click "$main" 120 112
    form4=$(wait_for_window '文件加密') || return 1
    shot sent-to-form4
    # A second start with a file while it runs ends silently.
    before=$(visible_windows)
    expect "a second start with a file ends by itself" \
        timeout 60 wine "$default_folder\\korvel.exe" "$(korvel_wine_path "$plaintext")"
    expect "and shows no window" test "$(visible_windows)" = "$before"
    # The source box holds the file: only the target is chosen here.
    fill_cipher_window "$form4" "" "$ciphertext" "$password"
    before=$(visible_windows)
    click "$form4" "${run_button[@]}"
    wait_for_new_window "$before" >/dev/null || return 1
    shot sent-to-encrypted
    quiet xdotool key Return
    sent_set_is_encrypted || return 1
    wineserver -k 2>/dev/null || true
    wineserver -w
    [ -f "$ciphertext" ] && [ "$(stat -c %s "$ciphertext")" -eq $(($(stat -c %s "$plaintext") + 10)) ]
}

# While it runs, "Send to" with three files: one window of the set takes all three, and
# encrypts them into a target folder typed into it.
sent_set_is_encrypted() {
    local set n
    mkdir -p "$work/files/three" "$work/files/set-out"
    for n in 1 2 3; do echo "第 $n 份报告" >"$work/files/three/报告 $n.txt"; done
    (wine start /unix "$send_to_link" "$(korvel_wine_path "$work/files/three/报告 1.txt")" \
        "$(korvel_wine_path "$work/files/three/报告 2.txt")" \
        "$(korvel_wine_path "$work/files/three/报告 3.txt")" >"$work/send-to-three.log" 2>&1 &)
    set=$(wait_for_window '加密多个文件') || return 1
    quiet xdotool windowfocus "$set" || true
    # The target folder's box has the focus; the password's boxes follow after "浏览…".
    type_text "$(korvel_wine_path "$work/files/set-out")"
    quiet xdotool key Tab Tab
    type_text "$password"
    quiet xdotool key Tab
    type_text "$password"
    shot sent-to-three
    quiet xdotool key Return
    for _ in $(seq 60); do
        [ "$(find "$work/files/set-out" -name '报告 *.txt' | wc -l)" -eq 3 ] && break
        sleep 0.5
    done
    shot sent-to-three-done
    [ "$(quiet xdotool search --onlyvisible --name '^加密多个文件$' | wc -l)" -eq 1 ] &&
        [ "$(find "$work/files/set-out" -name '报告 *.txt' | wc -l)" -eq 3 ]
}

echo "== First install, default folder, with a key file"
run_setup "/S /KEYFILE=$(korvel_wine_path "$work/keys/uae")"
check_installed "$default_folder" "$work/keys/uae" no

echo "== Second install over the first, another key file offered"
run_setup "/S /KEYFILE=$(korvel_wine_path "$work/keys/another-uae")"
check_installed "$default_folder" "$work/keys/uae" no

echo "== The installed program, given a file by \"Send to\", finds its key file"
expect "the sent file is in the source box and is encrypted with the key file; three sent files reach one window and are encrypted" sent_file_is_encrypted

echo "== Silent uninstall as registered"
run_registered_uninstaller
check_uninstalled "$default_folder" "$work/keys/uae"

echo "== Install into a chosen folder with a desktop shortcut, no key file; uninstall"
chosen_folder='C:\软件\Korvel 加密'
run_setup "/S /DESKTOP /D=$chosen_folder"
check_installed "$chosen_folder" "" yes
run_registered_uninstaller
check_uninstalled "$chosen_folder" ""

echo "Setup under wine: $failures failure(s)."
exit $((failures > 0))
