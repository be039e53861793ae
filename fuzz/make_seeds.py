#!/usr/bin/env python3
"""Writes the long seeds that short fuzz runs would never grow into: a list with one very long
line, a list of thousands of rows, a settings file of many sections and long values, and the
small hostile workbooks.

usage: make_seeds.py CORPUS_ROOT   (one folder per fuzz target below it)
"""
import os
import subprocess
import sys

root = sys.argv[1]
here = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(root, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


header = "宛先,郵便番号,住所１,住所２,会社名,肩書き,敬称,連名,敬称2,コード,印刷コード\r\n"
row = '山田 太郎,110-0016,"東京都台東区台東1-2-3","第1ビル, 3F",株式会社ヤマダ,部長,様,花子,様,1100016,\r\n'
long_cell = '"' + "長" * 40000 + '""' + "x" * 20000 + '"'
write("fuzz_delimited", "long_line.csv", (header + "a," + long_cell + ",b\r\n").encode("utf-8"))
write("fuzz_delimited", "long_list.csvu", b"\xff\xfe" + (header + row * 1500).encode("utf-16-le"))
write("fuzz_delimited", "long_list_cp932.csv", (header + row * 1500).encode("cp932"))

ini = ["[Form]", 'top="144"', 'left="-2147483648"', 'width="2147483647"', "[Option]", 'Hosei="12,-3"']
ini.append("[ITEMFONT]")
for kind in range(1, 5):
    for item in range(1, 10):
        ini.append('item%d%d="ＭＳ 明朝,%s,100,200,300,40,0,False,False,False"' % (kind, item, "1e300" if item == 5 else "5000"))
for k in range(600):
    ini.append("[S%d]" % k)
    ini.append('key%d="%s"' % (k, "値" * (k % 200)))
ini.append("[Long]")
ini.append("value=" + "v" * 30000)
write("fuzz_settings", "big.ini", ("\r\n".join(ini) + "\r\n").encode("cp932"))

subprocess.run([sys.executable, os.path.join(here, "..", "tests", "data", "hostile", "make_hostile.py"),
                os.path.join(root, "fuzz_compound"), "--small"], check=True)
