#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a Linux desktop sees: the program and
# help.chm in the program's folder, the link on the PATH, no key file, and a desktop entry that
# starts the installed program with the file a file manager hands it ("Open with Korvel").
set -euo pipefail
build=${1:?build folder}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
prefix=/opt/korvel-test
DESTDIR=$root cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
expect() {  # description, command...
    if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}
entry=$root$prefix/share/applications/korvel.desktop
expect "the program is installed" test -x "$root$prefix/lib/korvel/korvel"
expect "the link on the PATH leads to it" test "$(readlink "$root$prefix/bin/korvel")" = ../lib/korvel/korvel
expect "no key file is installed" test ! -e "$root$prefix/lib/korvel/uae"
expect "the desktop entry passes the file to the installed program" \
    grep -qx "Exec=\"$prefix/lib/korvel/korvel\" %f" "$entry"
if command -v desktop-file-validate >/dev/null; then
    expect "the desktop entry is valid" desktop-file-validate "$entry"
fi
exit $((failures > 0))
