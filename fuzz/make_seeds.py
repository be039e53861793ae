#!/usr/bin/env python3
"""Writes the long seeds that short fuzz runs would never grow into: a list with one very long
line, a list of thousands of rows, a settings file of many sections and long values, and the
small hostile workbooks.

usage: make_seeds.py CORPUS_ROOT   (one folder per fuzz target below it)
"""
import os
import struct
import subprocess
import sys
import zlib

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

# Layout files whose face and fields carry every kind of property the preview's face reads:
# colours (by name and by number), enumerations, sets, pictures (JPEG, PNG, bitmap), integers,
# booleans, fonts and strings.
def short(b):
    return bytes([len(b)]) + b


def integer(v):
    for tag, fmt, low, high in ((2, "<b", -128, 127), (3, "<h", -32768, 32767), (4, "<i", -2**31, 2**31 - 1)):
        if low <= v <= high:
            return bytes([tag]) + struct.pack(fmt, v)
    return b"\x13" + struct.pack("<q", v)


def ident(name):
    return b"\x07" + short(name.encode())


def text(s):
    return b"\x06" + short(s.encode("cp932"))


def members(*names):
    return b"\x0b" + b"".join(short(n.encode()) for n in names) + b"\x00"


def binary(b):
    return b"\x0a" + struct.pack("<I", len(b)) + b


def record(cls, name, props):
    return short(cls.encode()) + short(name.encode()) + b"".join(short(k.encode()) + v for k, v in props) + b"\x00"


def png(width, height):
    raw = b"".join(b"\x00" + b"\xc8\xe0\xf0" * width for _ in range(height))
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def bmp(width, height):
    row = (b"\xf0\xe0\xc8" * width).ljust((width * 3 + 3) // 4 * 4, b"\x00")
    pixels = row * height
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + 40 + len(pixels), 0, 0, 54) + info + pixels


jpeg = bytes.fromhex(
    "ffd8ffe000104a46494600010100000100010000ffdb004300100b0c0e0c0a100e0d0e1211101318281a18161618"
    "3123251d283a333d3c3933383740485c4e404457453738506d51575f626768673e4d71797064785c656763ffdb00"
    "43011112121815182f1a1a2f63423842636363636363636363636363636363636363636363636363636363636363"
    "6363636363636363636363636363636363636363ffc00011080008000803012200021101031101ffc40015000101"
    "00000000000000000000000000000006ffc40014100100000000000000000000000000000000ffc4001401010000"
    "0000000000000000000000000003ffc40014110100000000000000000000000000000000ffda000c030100021103"
    "11003f00ae00c17fffd9")
items = ["YubinNo1", "YubinNo2", "Jyusho1", "Jyusho2", "Kaishamei", "Katagaki", "Atena", "Renmei", "PostCode"]
for picture_name, picture in (("jpeg", b"\x0aTJPEGImage" + jpeg), ("png", b"\x09TPngImage" + png(6, 4)),
                              ("bmp", b"\x07TBitmap" + bmp(5, 3))):
    panel = [("Hint", text("90.00")), ("Color", ident("clCream")), ("ShadowColor", integer(0x123456)),
             ("BackColor", ident("clBtnFace")), ("ShadowShow", b"\x08"), ("HorzOffset", integer(4)),
             ("Picture.Data", binary(picture))]
    stream = b"TPF0" + record("TShadowPanel", "pnlTT", panel)
    for i, item in enumerate(items):
        field = [("Tag", integer(i)), ("Left", integer(40 + 20 * i)), ("Top", integer(30 + 7 * i)),
                 ("Width", integer(60)), ("Height", integer(300 if i in (2, 3) else 25)),
                 ("OffsetEx", integer(8 if i == 6 else 0)), ("Font.Name", text("ＭＳ 明朝")),
                 ("Font.Height", integer(-16)), ("Font.Style", members("fsBold", "fsItalic")),
                 ("Alignment", ident("alJustifyEx" if i in (6, 7) else "alLeft")),
                 ("BorderStyle", ident(["bsSingle", "bsNone", "bsRaised", "bsXpStyle"][i % 4])),
                 ("Color", ident("clWindow")), ("FontColor", integer(0x0000FF)),
                 ("TransParent", b"\x09"), ("Vertical", b"\x09" if i in (2, 3, 6, 7) else b"\x08"),
                 ("Hint", text("10110.50" if i == 6 else "00012.00")), ("Text", text("[宛先]"))]
        stream += record("TTateEdit", "edt%sTT" % item, field) + b"\x00"
    write("fuzz_layoutfile", "kinds_%s.tyd" % picture_name, stream + b"\x00")

subprocess.run([sys.executable, os.path.join(here, "..", "tests", "data", "hostile", "make_hostile.py"),
                os.path.join(root, "fuzz_compound"), "--small"], check=True)
