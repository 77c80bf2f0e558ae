# Sourced by the scripts that drive Korvel's windows under wine on a virtual X display, as a
# user would: a display, windows found by title, clicks, typed and pasted text, screenshots.
# Screenshots go to $KORVEL_SHOT_DIR as windows-<name>.png (docs/ unless set).

korvel_require_desktop_tools() {
    local tool missing=""
    for tool in Xvfb xdotool xclip import; do
        command -v "$tool" >/dev/null || missing=1
    done
    [ -z "$missing" ] && return
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=600 \
        --no-install-recommends xvfb xdotool xclip imagemagick >/dev/null
}

# Starts Xvfb on a free-looking display; stops it and the wine prefix's processes on exit.
korvel_start_display() {
    local display=:$((90 + RANDOM % 100))
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    korvel_xvfb=$!
    export DISPLAY=$display
    trap korvel_stop_display EXIT
    sleep 1
}
korvel_stop_display() {
    wineserver -k 2>/dev/null || true
    kill "$korvel_xvfb" 2>/dev/null || true
}

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
    import -window root png:- | convert - -trim +repage "${KORVEL_SHOT_DIR:-docs}/windows-$1.png"
    echo "Screenshot ${KORVEL_SHOT_DIR:-docs}/windows-$1.png"
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

# Controls of the encrypt and decrypt windows, at their centres.
browse_source=(572 152) browse_target=(572 240) password_box=(136 301) repeat_box=(136 365)
confirm_button=(164 448) run_button=(484 448)
# Chooses the source (unless it is empty: the window has one already) and the target in the
# system's dialogs, types the password twice and confirms it.
fill_cipher_window() {  # window source target password
    local window=$1 before
    if [ -n "$2" ]; then
        before=$(visible_windows)
        click "$window" "${browse_source[@]}"
        choose_in_dialog "$before" "$(korvel_wine_path "$2")"
    fi
    before=$(visible_windows)
    click "$window" "${browse_target[@]}"
    choose_in_dialog "$before" "$(korvel_wine_path "$3")"
    click "$window" "${password_box[@]}"
    type_text "$4"
    click "$window" "${repeat_box[@]}"
    type_text "$4"
    click "$window" "${confirm_button[@]}"
}
