#!/usr/bin/env bash
# Gathers the corpus that head_check_bench runs over: real files of this machine, copied by type
# into one folder each, plus a few made here (CSV, SQLite, GBK and UTF-16 text, archives, random
# data). Each source is listed, sorted byte-wise, and a fixed number of files is taken at even
# steps through the list, skipping copies of a file already taken, so the same machine yields the
# same corpus. Sources that are missing are skipped.
#
#   bench/make_corpus.sh [corpus-folder]     (default /work/corpus; it is emptied first)
set -u
export LC_ALL=C

corpus=${1:-/work/corpus}
python=$(command -v /usr/bin/python3 || command -v python3)
rm -rf "$corpus"
mkdir -p "$corpus"
seen=$(mktemp)
scratch=$(mktemp -d)
trap 'rm -rf "$seen" "$scratch"' EXIT

# pick GROUP COUNT: reads candidate paths (one a line) and copies COUNT of them, evenly spread
# over the sorted list, to $corpus/GROUP/NNNN/<original name>. Empty files, symbolic links and
# files over 16 MiB are left out.
pick() {
    local group=$1 count=$2 taken=0 index=0 path sum
    local list=$scratch/list
    sort -u | while read -r path; do
        [[ -f $path && ! -L $path && -s $path ]] || continue
        if (($(stat -c %s "$path") <= 16 * 1024 * 1024)); then echo "$path"; fi
    done >"$list"
    local total
    total=$(wc -l <"$list")
    ((total > 0)) || return 0
    # Walk the list from evenly spaced starts; a start whose file was taken already moves on.
    local step=$((total > count ? total / count : 1))
    local start
    for ((start = 0; start < step && taken < count; start++)); do
        while read -r path; do
            ((taken < count)) || break
            sum=$(md5sum <"$path" | cut -d' ' -f1)
            grep -qx "$sum" "$seen" && continue
            echo "$sum" >>"$seen"
            index=$((index + 1))
            mkdir -p "$corpus/$group/$(printf %04d $index)"
            cp "$path" "$corpus/$group/$(printf %04d $index)/$(basename "$path")"
            taken=$((taken + 1))
        done < <(awk -v step="$step" -v start="$start" '(NR - 1) % step == start' "$list")
    done
    echo "$group: $taken" >&2
}

# find over the whole machine, without the kernel's, this workspace's and temporary folders.
find_all() {
    find / -xdev \( -path /proc -o -path /sys -o -path /work -o -path /tmp -o -path /dev \) -prune \
        -o -type f "$@" -print 2>/dev/null
}

# --- Documentation, text and markup
find /usr/share/doc -name copyright | pick doc-copyright 60
find /usr/share/doc -iname 'README*' ! -name '*.gz' | pick doc-readme 25
find /usr/share/doc -name 'changelog*.gz' | pick doc-changelog-gz 40
find /usr/share/doc -name '*.html' | pick doc-html 40
find /usr/share/man/man1 /usr/share/man/man3 /usr/share/man/man5 /usr/share/man/man8 \
    -name '*.gz' | pick man-gz 60
find /usr/share/i18n/locales -type f | pick i18n-locale 20
find /usr/share /etc -name '*.desktop' -o -name '*.conf' -o -name '*.service' \
    | pick config-text 25
find /usr/share -name '*.css' | pick css 15
find /usr/share -name '*.js' | pick javascript 15
find /usr/share /usr/lib -name '*.json' | pick json 40
find /usr/share/mime -mindepth 2 -name '*.xml' | pick mime-xml 30
find_all -name '*.xml' ! -path '/usr/share/mime/*' | pick xml 20
find /usr/share -name '*.po' | pick po 10

# --- Sources and scripts
find /usr/include -name '*.h' | pick c-header 80
find /usr/lib/python3* -name '*.py' | pick python 60
find /usr/share/perl* -name '*.pm' | pick perl 30
find /usr/lib /usr/share -name '*.cmake' | pick cmake 20
find /usr/lib /usr/share -name '*.pc' | pick pkgconfig 10
for f in /usr/bin/* /usr/sbin/*; do
    [[ -f $f && ! -L $f ]] && head -c 2 "$f" | grep -q '#!' && echo "$f"
done | pick bin-script 40

# --- Executables, libraries, compiled files
for f in /usr/bin/* /usr/sbin/*; do
    [[ -f $f && ! -L $f ]] && [[ $(head -c 4 "$f") == $'\x7fELF' ]] && echo "$f"
done | pick elf-executable 50
find /usr/lib -name '*.so*' -type f | pick elf-library 60
find /usr/lib -name '*.a' | pick static-library 15
find /usr/lib/python3* -name '*.pyc' | pick pyc 50
find /usr/share/locale -name '*.mo' | pick gettext-mo 60
find /usr/share/qt6 /usr/share/qt5 -name '*.qm' 2>/dev/null | pick qt-qm 15
find /usr/share/terminfo /lib/terminfo -type f 2>/dev/null | pick terminfo 20
find /usr/share/zoneinfo -type f ! -name '*.tab' ! -name '*.zi' ! -name leapseconds* \
    | pick zoneinfo 40
find /usr/share/zoneinfo -name '*.tab' | pick zoneinfo-tab 5
find /var/cache/apt/archives -name '*.deb' | pick deb 10
find_all -name '*.jar' | pick jar 10

# --- Images, fonts, sound, documents
find /usr/share/icons /usr/share/pixmaps -name '*.png' | pick png 60
find /usr/share/icons /usr/share/pixmaps -name '*.svg' | pick svg 40
find_all -name '*.xpm' | pick xpm 15
find_all \( -iname '*.jpg' -o -iname '*.jpeg' \) | pick jpeg 25
find_all -name '*.gif' | pick gif 25
find_all -name '*.bmp' | pick bmp 15
find_all \( -name '*.tif' -o -name '*.tiff' -o -name '*.webp' -o -name '*.ico' \) | pick image-other 15
find_all \( -name '*.wav' -o -name '*.aiff' -o -name '*.au' \) | pick sound 15
find_all -name '*.pdf' | pick pdf 10
find /usr/share/fonts -name '*.ttf' | pick ttf 20
find /usr/share/fonts -name '*.otf' | pick otf 20
find /usr/share/fonts \( -name '*.pfb' -o -name '*.afm' \) | pick type1-font 15
find_all -name '*.woff2' | pick woff2 10

# --- Made here: Chinese text in UTF-8, GBK and UTF-16, CSV, SQLite, archives, random data
made=$scratch/made
mkdir -p "$made/zh-utf8" "$made/zh-gbk" "$made/utf16" "$made/csv" "$made/sqlite" "$made/random"
n=0
for mo in $(find /usr/share/locale/zh_CN/LC_MESSAGES -name '*.mo' | sort); do
    n=$((n + 1))
    ((n % 2 == 0)) || continue
    base=$(basename "$mo" .mo)
    msgunfmt "$mo" 2>/dev/null >"$scratch/po" || continue
    (($(wc -c <"$scratch/po") > 200)) || continue
    # Every other one only the translations, so some files are almost all Chinese.
    if ((n % 4 == 0)); then
        sed -n 's/^msgstr "\(.*\)"$/\1/p' "$scratch/po" >"$scratch/text"
    else
        cp "$scratch/po" "$scratch/text"
    fi
    cp "$scratch/text" "$made/zh-utf8/$base.txt"
    iconv -c -f UTF-8 -t GBK "$scratch/text" >"$made/zh-gbk/$base-gbk.txt" || true
done
ls "$made/zh-utf8"/* | pick zh-utf8-text 25
ls "$made/zh-gbk"/* | pick zh-gbk-text 35
for f in $(find /usr/share/doc -name copyright | sort | awk 'NR % 37 == 1' | head -12); do
    iconv -f UTF-8 -t UTF-16 "$f" >"$made/utf16/$(basename "$(dirname "$f")")-utf16.txt" 2>/dev/null || true
done
ls "$made/utf16"/* | pick utf16-text 12

"$python" - "$made" <<'EOF'
import csv, os, random, sqlite3, sys
made = sys.argv[1]
random.seed(20240611)

def packages():
    rows, cur = [], {}
    with open('/var/lib/dpkg/status', encoding='utf-8', errors='replace') as f:
        for line in f:
            line = line.rstrip('\n')
            if not line:
                if cur: rows.append(cur)
                cur = {}
            elif line[0] not in ' \t' and ':' in line:
                k, v = line.split(':', 1)
                cur[k] = v.strip()
    return rows

pkgs = packages()
zones = [l.rstrip('\n').split('\t') for l in open('/usr/share/zoneinfo/zone1970.tab')
         if not l.startswith('#')]

for i in range(20):
    rows = random.randint(3, 3000)
    with open(f'{made}/csv/table{i:02d}.csv', 'w', newline='') as f:
        w = csv.writer(f)
        if i % 3 == 0:
            w.writerow(['zone', 'countries', 'coordinates', 'comment'])
            for z in zones[:rows]:
                w.writerow([z[2], z[0], z[1], z[3] if len(z) > 3 else ''])
        else:
            w.writerow(['package', 'version', 'section', 'installed_size', 'maintainer'])
            for p in random.sample(pkgs, min(rows, len(pkgs))):
                w.writerow([p.get('Package'), p.get('Version'), p.get('Section'),
                            p.get('Installed-Size'), p.get('Maintainer')])

for i in range(15):
    db = sqlite3.connect(f'{made}/sqlite/inventory{i:02d}.sqlite3')
    db.execute(f'PRAGMA page_size = {[1024, 4096, 8192][i % 3]}')
    db.execute('CREATE TABLE package (id INTEGER PRIMARY KEY, name TEXT NOT NULL, '
               'version TEXT, section TEXT, size INTEGER, description TEXT)')
    db.execute('CREATE INDEX package_name ON package(name)')
    db.execute('CREATE TABLE zone (name TEXT PRIMARY KEY, country TEXT, coordinates TEXT)')
    chosen = random.sample(pkgs, min(random.randint(2, 1500), len(pkgs)))
    db.executemany('INSERT INTO package(name, version, section, size, description) '
                   'VALUES (?, ?, ?, ?, ?)',
                   [(p.get('Package'), p.get('Version'), p.get('Section'),
                     int(p.get('Installed-Size', '0') or 0), p.get('Description'))
                    for p in chosen])
    db.executemany('INSERT INTO zone VALUES (?, ?, ?)',
                   [(z[2], z[0], z[1]) for z in zones[:random.randint(1, len(zones))]])
    db.commit()
    db.close()

for i, ext in enumerate(['bin', 'rnd', 'key', 'bin', 'dat']):
    with open(f'{made}/random/noise{i}.{ext}', 'wb') as f:
        f.write(random.randbytes(random.choice([256, 5000, 70000])))
EOF
ls "$made/csv"/* /usr/share/distro-info/*.csv 2>/dev/null | pick csv 22
ls "$made/sqlite"/* | pick sqlite 15
ls "$made/random"/* | pick random-data 5

mkdir -p "$made/zip" "$made/tar" "$made/xz" "$made/bz2"
i=0
for d in $(find /usr/share/doc -mindepth 1 -maxdepth 1 -type d | sort | awk 'NR % 23 == 5' | head -20); do
    i=$((i + 1))
    level=$((i % 4 == 0 ? 0 : 6))  # some members stored, not deflated
    (cd "$d" && zip -q -X -r -"$level" "$made/zip/$(basename "$d").zip" .) || true
done
ls "$made/zip"/* | pick zip 20
for d in $(find /usr/share/doc -mindepth 1 -maxdepth 1 -type d | sort | awk 'NR % 29 == 7' | head -10); do
    tar --sort=name --mtime=@0 --owner=0 --group=0 -C "$d" -cf "$made/tar/$(basename "$d").tar" .
done
ls "$made/tar"/* | pick tar 10
for f in $(find /usr/include -name '*.h' -size +4k | sort | awk 'NR % 41 == 3' | head -10); do
    xz -c "$f" >"$made/xz/$(basename "$f").xz"
    bzip2 -c "$f" >"$made/bz2/$(basename "$f").bz2"
done
ls "$made/xz"/* | pick xz 10
ls "$made/bz2"/* | pick bz2 10

echo "total: $(find "$corpus" -type f | wc -l) files in $(ls "$corpus" | wc -l) groups" >&2
