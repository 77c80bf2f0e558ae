#!/usr/bin/env bash
# korvel-cli's exit statuses, each a row: 0 every file done, 1 some failed, 2 a usage error, 3 a
# wrong password seen in the decrypted head before anything was written.
#   CliExitStatusTest.sh <korvel-cli>
set -u
cli=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

head -c 300000 /dev/urandom >"$work/uae"
mkdir -p "$work/project/notes"
for i in $(seq 1 300); do echo "第 $i 行：只有密码和密钥文件都对，才能还原这份文件。"; done >"$work/project/a.txt"
for i in $(seq 1 200); do echo "line $i of the notes, in plain English text"; done >"$work/project/notes/b.txt"

row() {  # row <expected status> <label> <password> <korvel-cli arguments...>
    local expected=$1 label=$2 password=$3
    shift 3
    printf '%s\n' "$password" |
        "$cli" "$@" --key "${KEY:-$work/uae}" --password-stdin 2>"$work/stderr"
    local status=$?
    if [ "$status" -ne "$expected" ]; then
        echo "FAIL $label: exit $status, expected $expected"
        sed 's/^/    /' "$work/stderr"
        failures=$((failures + 1))
    fi
}
same() {  # same <label> <file> <file>
    cmp -s "$2" "$3" || { echo "FAIL $1: $2 and $3 differ"; failures=$((failures + 1)); }
}

row 2 "no direction" "Secret 1"
row 2 "no target folder" "Secret 1" encrypt "$work/project"
row 2 "password as an argument" "Secret 1" encrypt --to "$work/enc" --password x "$work/project"
row 2 "password too short" "1234" encrypt --to "$work/enc" "$work/project"
row 2 "target folder inside the source" "Secret 1" encrypt --to "$work/project/out" "$work/project"
row 0 "encrypt a folder" "Secret 1" encrypt --to "$work/enc" "$work/project"
row 1 "existing targets refused" "Secret 1" encrypt --to "$work/enc" "$work/project"
row 0 "existing targets skipped" "Secret 1" encrypt --to "$work/enc" --overwrite skip "$work/project"
# Another first character: another start in the key file, which the check catches whatever the key.
row 3 "wrong password" "Xecret 1" decrypt --to "$work/wrong" "$work/enc/project"
if [ -n "$(find "$work/wrong" -type f 2>/dev/null)" ]; then
    echo "FAIL wrong password: files were written"
    failures=$((failures + 1))
fi
row 0 "wrong password, forced" "Xecret 1" decrypt --to "$work/forced" --force "$work/enc/project"
# Both texts come out wrong, and each is named.
if [ "$(grep -c '^已解密，但结果看起来不对：' "$work/stderr")" -ne 2 ]; then
    echo "FAIL wrong password, forced: not every doubted file named"
    sed 's/^/    /' "$work/stderr"
    failures=$((failures + 1))
fi
row 0 "decrypt" "Secret 1" decrypt --to "$work/back" "$work/enc/project"
same "decrypted text" "$work/project/a.txt" "$work/back/project/a.txt"
same "decrypted tree" "$work/project/notes/b.txt" "$work/back/project/notes/b.txt"
KEY="$work/none" row 1 "missing key file" "Secret 1" encrypt --to "$work/enc2" "$work/project"

# A name that is not UTF-8, given as an argument: the file system's bytes, as they are.
latin1=$'caf\xe9.txt'
cp "$work/project/a.txt" "$work/$latin1"
row 0 "encrypt a Latin-1 name" "Secret 1" encrypt --to="$work/enc3" "$work/$latin1"
row 0 "decrypt a Latin-1 name" "Secret 1" decrypt --to="$work/back3" "$work/enc3/$latin1"
same "decrypted Latin-1 name" "$work/$latin1" "$work/back3/$latin1"

# Help and version on standard output, status 0, whatever else is on the line.
for option in -h --help --version; do
    "$cli" decrypt --to "$work/none" "$option" >"$work/stdout" 2>"$work/stderr"
    status=$?
    if [ "$status" -ne 0 ] || [ ! -s "$work/stdout" ] || [ -s "$work/stderr" ]; then
        echo "FAIL $option: exit $status, expected 0 with standard output only"
        failures=$((failures + 1))
    fi
done
"$cli" --help | grep -q '^用法：korvel-cli encrypt|decrypt' ||
    { echo "FAIL --help: no usage"; failures=$((failures + 1)); }
row 2 "unknown command" "Secret 1" --to "$work/enc" "$work/project"

[ "$failures" -eq 0 ] && echo "korvel-cli: every exit status as expected"
exit $((failures > 0))
