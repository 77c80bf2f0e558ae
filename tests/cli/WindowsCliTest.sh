#!/usr/bin/env bash
# The packaged korvel-cli.exe under wine, each command a row: the age format both ways with
# Debian's age (files written on Windows opened on Linux, and the other way round), verify's three
# statuses, --identity, and the seed format's round trip.
#   WindowsCliTest.sh <portable folder> <work folder>
set -u
package=$(realpath "${1:?portable folder}")
work=${2:?work folder}
rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1
failures=0
export WINEDEBUG=-all WINEPREFIX=${WINEPREFIX:-$PWD/wineprefix}

cli() { wine "$package/korvel-cli.exe" "$@"; }
fail() {
    echo "FAIL $1"
    [ -s stderr ] && sed 's/^/    /' stderr
    failures=$((failures + 1))
}
status_is() {  # status_is <expected> <label> <password> <korvel-cli arguments...>
    local expected=$1 label=$2 password=$3
    shift 3
    printf '%s\n' "$password" | cli "$@" >stdout 2>stderr
    local status=$?
    [ "$status" -eq "$expected" ] || fail "$label: exit $status, expected $expected"
}
same() {  # same <label> <file> <file>
    cmp -s "$2" "$3" || fail "$1: $2 and $3 differ"
}

head -c 300000 /dev/urandom >uae
for i in $(seq 1 3000); do echo "第 $i 行：季度报告，机密。"; done >报告.txt
head -c 200000 /dev/urandom >photo.bin

status_is 0 "age encryption" "Secret 1" encrypt --key uae --format age --to 密文 --password-stdin \
    报告.txt photo.bin
status_is 0 "the identity file" "Secret 1" identity --key uae --password-stdin --to 身份.txt
if command -v age >/dev/null; then
    age -d -i 身份.txt 密文/报告.txt.age >age-plain.txt 2>stderr || fail "Debian's age opens it"
    same "Debian's age reads what korvel-cli.exe wrote" 报告.txt age-plain.txt
    status_is 0 "the recipient" "Secret 1" recipient --key uae --password-stdin
    recipient=$(tr -d '\r\n' <stdout)
    age -r "$recipient" -o photo-from-age.bin.age photo.bin 2>stderr || fail "age -r"
    status_is 0 "decrypting Debian's age file" "Secret 1" decrypt --key uae --to 明文 \
        --password-stdin photo-from-age.bin.age
    same "korvel-cli.exe reads what Debian's age wrote" photo.bin 明文/photo-from-age.bin
else
    echo "Debian's age is not installed: its rows are skipped"
fi
status_is 0 "decrypting its own age files" "Secret 1" decrypt --key uae --to back --password-stdin 密文
same "the age round trip" 报告.txt back/密文/报告.txt
same "the age round trip of binary data" photo.bin back/密文/photo.bin
status_is 0 "decrypting with the identity file" "" decrypt --identity 身份.txt --to by-identity 密文/报告.txt.age
same "the identity's round trip" 报告.txt by-identity/报告.txt

status_is 0 "verify, every file intact" "Secret 1" verify --key uae --password-stdin 密文
cp 密文/报告.txt.age damaged.txt.age
printf 'x' | dd of=damaged.txt.age bs=1 seek=5000 conv=notrunc status=none
status_is 1 "verify, a damaged file" "Secret 1" verify --key uae --password-stdin damaged.txt.age
grep -qF "damaged.txt.age" stderr || fail "verify names the damaged file"
status_is 3 "verify, a wrong password" "Secret 2" verify --key uae --password-stdin 密文
status_is 3 "decrypt, a wrong password" "Secret 2" decrypt --key uae --to wrong --password-stdin \
    密文/报告.txt.age
[ -e wrong/报告.txt ] && fail "a wrong password wrote nothing"
status_is 1 "decrypt, a damaged file" "Secret 1" decrypt --key uae --to damaged --password-stdin \
    damaged.txt.age
[ -e damaged/damaged.txt ] && fail "a damaged file wrote nothing"

status_is 0 "seed-format encryption" "Secret 1" encrypt --key uae --to seed --password-stdin 报告.txt
status_is 0 "seed-format decryption" "Secret 1" decrypt --key uae --to seed-back --password-stdin \
    seed/报告.txt
same "the seed-format round trip" 报告.txt seed-back/报告.txt
status_is 1 "verify, a seed-format file" "Secret 1" verify --key uae --password-stdin seed/报告.txt
status_is 2 "a usage error" "Secret 1" encrypt --format rot13 --to x 报告.txt

if [ "$failures" -ne 0 ]; then
    echo "korvel-cli.exe under wine: $failures failed"
    exit 1
fi
echo "korvel-cli.exe under wine: every row passed"
