#!/usr/bin/env bash
# Makes the real file heads of the format rows in tests/headcheck/FormatHeadTest.cpp, each by the
# tool that makes such files, from Debian's packages: python3, gettext (msgfmt), git, binutils
# (ar), gcc, gzip, xz-utils, libjpeg-turbo-progs (cjpeg), tzdata, ncurses-base/ncurses-term,
# fonts-dejavu-core, fonts-urw-base35 and fonts-noto-cjk. Large files (fonts, an executable) are
# cut to their first few KiB: the checks read their heads only.
# Usage: tests/headcheck/data/formats/make.sh   (writes beside itself)
set -euo pipefail
out="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH=1700000000 TZ=UTC LC_ALL=C.UTF-8
python=/usr/bin/python3

head_of() { head -c "$2" "$1" >"$3"; }

# Texts the archives and compressed files hold.
cat >"$work/notes.txt" <<'EOF'
加密之前，请先把密钥文件复制到两台电脑上，并确认两份完全相同。
Before a file is encrypted, make sure the key file has been copied to both computers.
密码由五到二十个可打印字符组成；解密出来的内容不对时，多半是输错了一个字符。
A password has five to twenty printable characters.
EOF
for i in 1 2 3 4 5 6; do cat "$work/notes.txt"; done >"$work/long-notes.txt"

# zip: deflated and stored members with fixed times; and one written to a pipe, whose members
# carry data descriptors.
"$python" - "$work" "$out" <<'EOF'
import io, sys, zipfile
work, out = sys.argv[1], sys.argv[2]
notes = open(f"{work}/long-notes.txt", "rb").read()
with zipfile.ZipFile(f"{out}/archive.zip", "w") as archive:
    for name, data, method in [("说明/notes.txt", notes, zipfile.ZIP_DEFLATED),
                               ("readme.txt", b"Korvel sample archive\n", zipfile.ZIP_STORED),
                               ("data/table.csv", b"id,name\n" + b"".join(
                                   b"%d,item %d\n" % (i, i) for i in range(40)),
                                zipfile.ZIP_DEFLATED)]:
        info = zipfile.ZipInfo(name, date_time=(2024, 3, 9, 14, 30, 0))
        info.compress_type = method
        archive.writestr(info, data)

class Pipe(io.RawIOBase):
    def __init__(self): self.data = bytearray()
    def writable(self): return True
    def write(self, b): self.data += b; return len(b)
pipe = Pipe()
with zipfile.ZipFile(pipe, "w", zipfile.ZIP_DEFLATED) as archive:
    for name in ["notes.txt", "copy.txt"]:
        with archive.open(zipfile.ZipInfo(name, date_time=(2024, 3, 9, 14, 30, 0)), "w") as member:
            member.write(notes)
open(f"{out}/streamed.zip", "wb").write(bytes(pipe.data))
EOF

# JPEG: a small gradient, baseline with restart markers and progressive.
"$python" - "$work/gradient.ppm" <<'EOF'
import sys
width, height = 48, 32
pixels = bytes(v for y in range(height) for x in range(width)
               for v in (x * 5, y * 7, (x + y) * 3))
open(sys.argv[1], "wb").write(b"P6 %d %d 255\n" % (width, height) + pixels)
EOF
cjpeg -quality 85 -restart 1 -outfile "$out/photo.jpg" "$work/gradient.ppm"
cjpeg -quality 85 -progressive -outfile "$out/progressive.jpg" "$work/gradient.ppm"

# TZif (version 2 and later: two blocks and a footer) and compiled terminfo, in the 16-bit and the
# 32-bit number format.
cp /usr/share/zoneinfo/Asia/Shanghai "$out/Shanghai"
for entry in d/dumb x/xterm-256color; do
    cp "$(find /lib/terminfo /usr/share/terminfo -path "*/$entry" 2>/dev/null | head -1)" "$out/"
done

# gettext catalogue.
cat >"$work/messages.po" <<'EOF'
msgid ""
msgstr ""
"Content-Type: text/plain; charset=UTF-8\n"

msgid "Encrypt"
msgstr "加密"

msgid "Decrypt"
msgstr "解密"

msgid "The password has 5 to 20 characters."
msgstr "密码由五到二十个字符组成。"

msgid "The key file was not found."
msgstr "找不到密钥文件。"
EOF
msgfmt -o "$out/messages.mo" "$work/messages.po"

# git pack and its index, of a small repository with two commits.
(
    cd "$work" && git init -q repo && cd repo
    export GIT_AUTHOR_NAME=Korvel GIT_AUTHOR_EMAIL=dev@korvel.invalid
    export GIT_COMMITTER_NAME=Korvel GIT_COMMITTER_EMAIL=dev@korvel.invalid
    export GIT_AUTHOR_DATE="@1700000000 +0800" GIT_COMMITTER_DATE="@1700000000 +0800"
    cp ../long-notes.txt notes.txt && git add notes.txt && git commit -q -m "Notes"
    cat ../notes.txt >>notes.txt && echo "Korvel" >readme.txt
    git add . && git commit -q -m "More notes"
    git rev-list --objects --all | git pack-objects -q "$work/sample" >/dev/null
)
cp "$work"/sample-*.pack "$out/sample.pack"
cp "$work"/sample-*.idx "$out/sample.idx"

# Compiled Python.
cat >"$work/sample.py" <<'EOF'
"""Counts the characters of a text."""

GREETING = "你好，Korvel"


def count(text, wanted="a"):
    total = 0
    for character in text:
        if character == wanted:
            total += 1
    return total


class Tally:
    def __init__(self):
        self.counts = {}

    def add(self, text):
        for character in text:
            self.counts[character] = self.counts.get(character, 0) + 1
        return len(text) * 3.5
EOF
"$python" -c "import py_compile, sys; py_compile.compile(sys.argv[1], cfile=sys.argv[2], \
invalidation_mode=py_compile.PycInvalidationMode.UNCHECKED_HASH)" \
    "$work/sample.py" "$out/sample.pyc"

# xz, zlib and gzip (with the name stored) of the notes.
xz -9 -c "$work/long-notes.txt" >"$out/notes.txt.xz"
"$python" -c "import sys, zlib; sys.stdout.buffer.write(zlib.compress(open(sys.argv[1], 'rb').read()))" \
    "$work/long-notes.txt" >"$out/notes.zz"
cp "$work/long-notes.txt" "$work/notes-named.txt"
gzip -9 -N -c "$work/notes-named.txt" >"$out/notes-named.txt.gz"

# Fonts: TrueType, OpenType (CFF) and a collection, each cut to its first 4 KiB.
head_of /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf 4096 "$out/DejaVuSans-head.ttf"
head_of /usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf 4096 \
    "$out/NimbusSans-Regular-head.otf"
head_of /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc 4096 \
    "$out/NotoSansCJK-Regular-head.ttc"

# A static library: an object file and a text member, in deterministic mode.
cat >"$work/count.c" <<'EOF'
int count(const char *text, char wanted) {
    int total = 0;
    for (; *text; ++text) total += *text == wanted;
    return total;
}
EOF
gcc -Os -c -o "$work/count.o" "$work/count.c"
printf 'count: counts a character\n' >"$work/README"
ar rcD "$out/libcount.a" "$work/count.o" "$work/README"

# An executable, cut to its first 4 KiB, and a SQLite database of a few pages.
printf '#include <stdio.h>\nint main(void) { puts("Korvel"); return 0; }\n' >"$work/hello.c"
gcc -Os -o "$work/hello" "$work/hello.c"
head_of "$work/hello" 4096 "$out/hello-head.elf"
rm -f "$out/orders.sqlite3"
"$python" - "$out/orders.sqlite3" <<'EOF'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.execute("PRAGMA page_size = 1024")
db.execute("CREATE TABLE orders (id INTEGER PRIMARY KEY, item TEXT, amount REAL)")
db.execute("CREATE INDEX orders_by_item ON orders (item)")
db.executemany("INSERT INTO orders (item, amount) VALUES (?, ?)",
               [(f"商品 {i}", i * 1.25) for i in range(60)])
db.commit()
db.execute("VACUUM")
db.close()
EOF

# Files that are short but whole: what each tool makes of nothing, or of nearly nothing.
"$python" - "$out" <<'EOF'
import lzma, sqlite3, sys, zipfile, zlib
out = sys.argv[1]
zipfile.ZipFile(f"{out}/empty.zip", "w").close()
open(f"{out}/empty.xz", "wb").write(lzma.compress(b""))
open(f"{out}/empty.zz", "wb").write(zlib.compress(b""))
db = sqlite3.connect(f"{out}/empty.sqlite3")
db.execute("PRAGMA user_version = 1")
db.close()
EOF
gzip -n -c </dev/null >"$out/empty.gz"
rm -f "$out/empty.a"
ar rcD "$out/empty.a"
printf 'msgid ""\nmsgstr "Content-Type: text/plain; charset=UTF-8\\n"\n' >"$work/empty.po"
msgfmt -o "$out/empty.mo" "$work/empty.po"
(cd "$work/repo" && git pack-objects -q "$work/none" </dev/null >/dev/null)
install -m 644 "$work"/none-*.pack "$out/empty.pack"
cp /usr/share/zoneinfo/UTC "$out/UTC"
printf 'P6 1 1 255\n\x80\x40\x20' >"$work/dot.ppm"
cjpeg -outfile "$out/dot.jpg" "$work/dot.ppm"
ls -l "$out"
