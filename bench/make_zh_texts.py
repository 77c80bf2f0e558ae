#!/usr/bin/env python3
"""Gathers Chinese texts in UTF-8 for `head_check_bench <folder> --code-slips RUNS`: the help pages
and the README's Chinese lines, messages of the zh_CN and zh_TW catalogues, Tang and Song poems
and other texts of the fortunes-zh package (when installed), place names, the test's old texts and
names, and lists of names one a line with many rare given names. Each text is cut to 64 KiB.

    python3 bench/make_zh_texts.py [folder]      (default /tmp/zh-texts)
"""

import glob
import os
import random
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
HEAD = 65536


def write(folder, name, text):
    data = text.encode("utf-8") if isinstance(text, str) else text
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data[:HEAD])


def messages(language, domains):
    found = []
    for domain in domains:
        path = f"/usr/share/locale/{language}/LC_MESSAGES/{domain}.mo"
        if not os.path.exists(path):
            continue
        po = subprocess.run(["msgunfmt", path], capture_output=True).stdout
        po = po.decode("utf-8", "replace")
        for match in re.finditer(r'^msgstr(?:\[\d\])? ((?:".*"\n?)+)', po, re.M):
            text = "".join(re.findall(r'"(.*)"', match.group(1))).replace("\\n", "\n")
            if text.strip() and "\ufffd" not in text:
                found.append(text.rstrip("\n"))
    return found


def name_lists(folder):
    surnames = "王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈姚"
    common = "伟芳娜秀英敏静丽强磊军洋勇艳杰娟涛明超兰霞平刚桂华玉萍红梅文辉晓东志海燕丹建国新"
    rare = "琰瑾璇昊晗瑶琦婧珂钰彧翀昶珏煜骞赟骁弈嫣玥瑜婕旻祎翊晟宸铖熠炜沅沣琬璟喆堃垚淼焱鑫昕昀曦暄颢琨珺玮琛璞韬"
    rng = random.Random(5)

    def name(length, given=common + rare):
        return rng.choice(surnames) + "".join(rng.choice(given) for _ in range(length - 1))

    write(folder, "names-mixed.txt", "\n".join(name(rng.choice([2, 3, 3, 4])) for _ in range(3000)))
    write(folder, "names-2-lf.txt", "".join(name(2) + "\n" for _ in range(9000)))
    write(folder, "names-3-lf.txt", "".join(name(3) + "\n" for _ in range(6000)))
    write(folder, "names-3-crlf.txt", "".join(name(3) + "\r\n" for _ in range(5500)))
    write(folder, "names-rare-3-lf.txt", "".join(name(3, rare) + "\n" for _ in range(6000)))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "/tmp/zh-texts"
    os.makedirs(folder, exist_ok=True)
    pages = sorted(glob.glob(os.path.join(ROOT, "assets/help/*.html")))
    for page in pages:
        write(folder, "help-" + os.path.basename(page), open(page, "rb").read())
    write(folder, "help-all.html", b"".join(open(page, "rb").read() for page in pages))
    readme = open(os.path.join(ROOT, "README.md"), encoding="utf-8").read().splitlines()
    write(folder, "readme-zh.txt", "\n".join(l for l in readme if re.search("[\u4e00-\u9fff]", l)))
    domains = ["coreutils", "apt", "dpkg", "bash", "grep", "sed", "tar", "make", "libc"]
    for language in ["zh_CN", "zh_TW"]:
        lines = messages(language, domains)
        write(folder, f"catalogue-{language}-300-lines.txt", "\n".join(lines[:300]) + "\n")
        write(folder, f"catalogue-{language}.txt", "\n".join(lines[1000:]) + "\n")
        places = messages(language, ["iso_3166-2", "iso_3166_2"])
        write(folder, f"places-{language}.txt", "\n".join(places) + "\n")
    fortunes = "/usr/share/games/fortunes/"
    for name in ["tang300", "song100"]:
        if os.path.exists(fortunes + name):
            write(folder, name + ".txt", open(fortunes + name, "rb").read())
    if os.path.exists(fortunes + "chinese"):
        data = open(fortunes + "chinese", "rb").read()
        for index, offset in enumerate([0, 500000, 1000000, 1500000, 2000000]):
            part = data[offset:offset + HEAD + 4096]
            write(folder, f"fortunes-{index}.txt", part[part.find(b"\n%\n") + 3 if offset else 0:])
    for fixture in ["notes-zh.txt", "poems-zh.txt", "names-zh.txt"]:
        text = open(os.path.join(ROOT, "tests/headcheck/data", fixture), "rb").read()
        write(folder, fixture, text)
        write(folder, fixture.replace(".txt", "-x8.txt"), text * 8)
    name_lists(folder)


if __name__ == "__main__":
    main()
