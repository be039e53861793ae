#!/usr/bin/env python3
"""The benchmark workbook of make_big.pl, the same cells, saved as .xlsx by openpyxl
(Debian python3-openpyxl) in write-only mode.

usage: make_big_xlsx.py OUT.xlsx NSHEETS NROWS NCOLS   (big: 15 5000 32)
"""
import sys

from openpyxl import Workbook

out, nsheets, nrows, ncols = sys.argv[1], *map(int, sys.argv[2:5])
hdr = "宛先 郵便番号 住所１ 住所２ 会社名 肩書き 敬称 連名 敬称2 コード 印刷コード".split()
fam = "山田 佐藤 鈴木 高橋 田中 伊藤 渡辺 中村 小林 加藤 吉田 山本 松本 井上 木村 林 斎藤 清水 山口 森".split()
giv = "太郎 花子 一郎 次郎 さくら 健 美咲 翔太 陽菜 大輔 由美 拓也 愛 誠 彩".split()
pref = "東京都千代田区 大阪府大阪市北区 北海道札幌市中央区 宮城県仙台市青葉区 福岡県福岡市博多区 愛知県名古屋市中区 京都府京都市下京区 沖縄県那覇市".split()
comp = ["株式会社ヤマダ商事", "有限会社スズキ", "㈱タナカ", "ｻﾄｳｼｮｳｼﾞ ｶﾌﾞｼｷｶﾞｲｼｬ", "合同会社ミナト", ""]
title = ["", "部長", "課長代理", "代表取締役", "教授", "主任"]
hon = "様 殿 御中 先生".split()
fw = "０１２３４５６７８９"


def fwnum(n):
    return "".join(fw[int(d)] for d in str(n))


def cell(s, r, c):
    k = r + 7 * s
    if c == 0:
        return fam[k % len(fam)] + " " + giv[(k // 3) % len(giv)]
    if c == 1:
        return "%03d-%04d" % ((r * 37) % 1000, (r * 91) % 10000)
    if c == 2:
        return pref[k % len(pref)] + fwnum(r % 9 + 1) + "－" + fwnum(r) + "－" + fwnum(s)
    if c == 3:
        return "第%dビル%dF" % (r % 50, r % 12 + 1)
    if c == 4:
        return comp[k % len(comp)] or None
    if c == 5:
        return title[k % len(title)] or None
    if c == 6:
        return hon[k % len(hon)]
    if c == 7:
        return giv[k % len(giv)] if k % 3 == 0 else None
    if c == 8:
        return "様" if k % 3 == 0 else None
    if c == 9:
        return s * 100000 + r
    if c == 10:
        return k % 2
    if c % 3 == 2:
        return r * c
    if c % 3 == 0:
        return (r * c) / 8 - 100.25
    return "ﾃﾞｰﾀ%d-%d" % (r, c)


wb = Workbook(write_only=True)
for s in range(1, nsheets + 1):
    ws = wb.create_sheet("住所録%d" % s)
    ws.append([hdr[c] if c < len(hdr) else "列%d" % (c + 1) for c in range(ncols)])
    for r in range(1, nrows):
        ws.append([cell(s, r, c) for c in range(ncols)])
wb.save(out)
print("wrote", out)
