#!/usr/bin/env bash
# Reads the resources back from a built korvel.exe (mingw-w64's windres decompiles them) and
# checks what Explorer shows under Properties -> Details and what Windows reads from the
# application manifest.
#   bash tests/shell/VersionResourceTest.sh <korvel.exe> <expected version, e.g. 1.0>
set -euo pipefail
exe=${1:?korvel.exe}
version=${2:?version}
resources=$(x86_64-w64-mingw32-windres -i "$exe" -J coff -O rc)

# The value of one string of the version resource, its L"\x6587..." escapes decoded.
version_string() {
    printf '%s\n' "$resources" | python3 -c '
import re, sys
name = sys.argv[1]
for line in sys.stdin:
    match = re.match(r"\s*VALUE \"" + re.escape(name) + r"\", L?\"(.*)\"\s*$", line)
    if match:
        text = re.sub(r"\\x([0-9a-fA-F]{4})", lambda m: chr(int(m.group(1), 16)), match.group(1))
        print(re.sub(r"\\([0-7]{3})", lambda m: chr(int(m.group(1), 8)), text))
        break
' "$1"
}
IFS=. read -r major minor patch _ <<<"$version"
numbers="${major}, ${minor:-0}, ${patch:-0}, 0"

failures=0
expect() {  # description, actual, expected
    if [ "$2" = "$3" ]; then
        echo "ok   $1"
    else
        echo "FAIL $1: \"$2\", expected \"$3\""
        failures=$((failures + 1))
    fi
}
# What                          Actual                                          Expected
expect "product name"           "$(version_string ProductName)"                 "Korvel 文件加密"
expect "description"            "$(version_string FileDescription)"             "Korvel 文件加密"
expect "file version text"      "$(version_string FileVersion)"                 "$version"
expect "product version text"   "$(version_string ProductVersion)"              "$version"
expect "copyright"              "$(version_string LegalCopyright)"              "版权所有 © 2026 Korvel"
expect "file version numbers"   "$(sed -n 's/^ *FILEVERSION //p' <<<"$resources")" "$numbers"
expect "in Simplified Chinese"  "$(grep -c 'BLOCK "080404b0"' <<<"$resources")" 1
expect "one manifest"           "$(grep -c 'RT_MANIFEST' <<<"$resources")"       1
manifest_says() { grep -qF -- "$1" <<<"$resources" && echo yes || echo no; }
expect "manifest: Windows 10 and 11" "$(manifest_says '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}')" yes
expect "manifest: DPI awareness as Qt 6's" "$(manifest_says '>PerMonitorV2</dpiAwareness>')" yes
expect "manifest: long paths"   "$(manifest_says '>true</longPathAware>')"      yes
expect "manifest: no elevation" "$(manifest_says 'level=""asInvoker""')"        yes
expect "the program's icon"     "$(grep -c 'RT_GROUP_ICON' <<<"$resources")"     1
exit $((failures > 0))
