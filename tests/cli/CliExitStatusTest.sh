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
bare() {  # bare <expected status> <label> <korvel-cli arguments...>: no password, no key file
    local expected=$1 label=$2
    shift 2
    "$cli" "$@" </dev/null >"$work/stdout" 2>"$work/stderr"
    local status=$?
    if [ "$status" -ne "$expected" ]; then
        echo "FAIL $label: exit $status, expected $expected"
        sed 's/^/    /' "$work/stderr"
        failures=$((failures + 1))
    fi
}
says() {  # says <label> <text>: standard error holds the text
    grep -qF -- "$2" "$work/stderr" ||
        { echo "FAIL $1: no \"$2\""; sed 's/^/    /' "$work/stderr"; failures=$((failures + 1)); }
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

# The age keys of the password and key file: a recipient anyone can encrypt for, an identity file.
printf 'Secret 1\n' | "$cli" recipient --key "$work/uae" --password-stdin >"$work/recipient"
if [ $? -ne 0 ] || ! grep -qE '^age1[02-9ac-hj-np-z]{58}$' "$work/recipient" ||
    [ "$(wc -l <"$work/recipient")" -ne 1 ]; then
    echo "FAIL recipient: not status 0 with one age1 line"
    failures=$((failures + 1))
fi
umask_before=$(umask)
umask 000
row 0 "identity" "Secret 1" identity --to "$work/identity.txt"
umask "$umask_before"
says "identity warns" "能打开用这个密码和密钥文件加密的每一个 age 文件"
if [ "$(stat -c %a "$work/identity.txt" 2>/dev/null)" != 600 ]; then
    echo "FAIL identity: not a 0600 file, even under umask 000"
    failures=$((failures + 1))
fi
grep -qF "# public key: $(cat "$work/recipient")" "$work/identity.txt" ||
    { echo "FAIL identity: not the recipient's identity"; failures=$((failures + 1)); }
cp "$work/identity.txt" "$work/identity.before"
row 1 "identity refuses an existing file" "Secret 1" identity --to "$work/identity.txt"
says "identity refuses an existing file" "身份文件已存在，没有改动它："
same "existing identity file kept" "$work/identity.before" "$work/identity.txt"
printf 'AGE-SECRET-KEY-1 not a key\n' >"$work/bad-identity.txt"
bare 1 "malformed identity file" verify --identity "$work/bad-identity.txt" "$work/project"
says "malformed identity file" "身份文件格式不对"

# verify: 0 every file intact, 1 some not, 3 the keys open none.
mkdir -p "$work/aged/inner"
if [ -x /usr/bin/age ]; then
    age -R "$work/recipient" -o "$work/aged/a.txt.age" "$work/project/a.txt"
    age -R "$work/recipient" -o "$work/aged/inner/b.txt.age" "$work/project/notes/b.txt"
    age -d -i "$work/identity.txt" -o "$work/by-age.txt" "$work/aged/a.txt.age" ||
        { echo "FAIL age -d -i: our identity file refused"; failures=$((failures + 1)); }
    same "age -d -i of our identity" "$work/project/a.txt" "$work/by-age.txt"
    row 0 "verify what age -r made" "Secret 1" verify "$work/aged"
    bare 0 "verify with the identity file" verify --identity "$work/identity.txt" "$work/aged"
    row 3 "verify with a wrong password" "Xecret 1" verify "$work/aged"
    says "verify with a wrong password" "密码或密钥文件不对"
    head -c -20 "$work/aged/a.txt.age" >"$work/cut.age"
    row 1 "verify a cut file" "Secret 1" verify "$work/aged" "$work/cut.age"
    says "verify a cut file" "未通过验证：$work/cut.age"
    says "verify a cut file" "文件已被改动或损坏"
else
    echo "skipped: the rows with Debian's age (/usr/bin/age is not installed)"
fi
row 1 "verify the seed format" "Secret 1" verify "$work/enc/project/a.txt"
says "verify the seed format" "兼容格式没有校验，无法验证"
bare 2 "verify without a path" verify --identity "$work/identity.txt"

# The age format through the run: encrypted with .age appended, decrypted with it dropped.
row 0 "encrypt --format age" "Secret 1" encrypt --format age --to "$work/agenc" "$work/project"
if [ "$(head -n 1 "$work/agenc/project/a.txt.age" 2>/dev/null)" != age-encryption.org/v1 ] ||
    [ ! -f "$work/agenc/project/notes/b.txt.age" ]; then
    echo "FAIL encrypt --format age: no age files named .age"
    failures=$((failures + 1))
fi
row 0 "verify our age files" "Secret 1" verify "$work/agenc"
row 0 "decrypt age files" "Secret 1" decrypt --to "$work/ageback" "$work/agenc/project"
same "decrypted age file" "$work/project/a.txt" "$work/ageback/project/a.txt"
same "decrypted age tree" "$work/project/notes/b.txt" "$work/ageback/project/notes/b.txt"
row 3 "decrypt age files, wrong password" "Xecret 1" decrypt --to "$work/agewrong" "$work/agenc"
says "decrypt age files, wrong password" "密钥文件指纹："
if [ -n "$(find "$work/agewrong" -type f 2>/dev/null)" ]; then
    echo "FAIL decrypt age files, wrong password: files were written"
    failures=$((failures + 1))
fi
mkdir -p "$work/agecut"
head -c -20 "$work/agenc/project/a.txt.age" >"$work/agecut/a.txt.age"
row 1 "decrypt a cut age file" "Secret 1" decrypt --to "$work/agecutback" "$work/agecut"
says "decrypt a cut age file" "文件已被改动或损坏"
if [ -e "$work/agecutback/agecut/a.txt" ]; then
    echo "FAIL decrypt a cut age file: a target was written"
    failures=$((failures + 1))
fi
bare 1 "decrypt --identity, seed format" decrypt --identity "$work/identity.txt" \
    --to "$work/idseed" "$work/enc/project/a.txt"
says "decrypt --identity, seed format" "兼容格式的文件只能用密码和密钥文件解密"
if [ -x /usr/bin/age ]; then
    age -d -i "$work/identity.txt" -o "$work/by-age2.txt" "$work/agenc/project/a.txt.age" ||
        { echo "FAIL age -d -i of our age file"; failures=$((failures + 1)); }
    same "age -d -i of our age file" "$work/project/a.txt" "$work/by-age2.txt"
    row 0 "decrypt what age -r made" "Secret 1" decrypt --to "$work/fromage" "$work/aged"
    same "decrypted what age -r made" "$work/project/a.txt" "$work/fromage/aged/a.txt"
    bare 0 "decrypt --identity" decrypt --identity "$work/identity.txt" --to "$work/idback" \
        "$work/aged"
    same "decrypted with the identity file" "$work/project/notes/b.txt" \
        "$work/idback/aged/inner/b.txt"
fi

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
