#!/usr/bin/env python3
"""Writes the hostile workbooks that the readers must survive, and a few sound but unusual ones.

usage: make_hostile.py OUTDIR [--small] [--strings N]
  --small      only the files under 64 KiB (fuzz seeds)
  --strings N  write only sst_N.xls: a workbook whose shared-string table holds N strings
               (16000000 gives the 66 MB file of the memory benchmark)

Every file is made here from its description, so nothing binary is kept in the repository.
Each workbook's first sheet holds "宛先" in A1 and "s<k>" strings below it, so a reader that
gets through shows it.
"""
import itertools
import os
import struct
import sys

ENDOFCHAIN, FREESECT, FATSECT, DIFSECT, NOSTREAM = 0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD, 0xFFFFFFFC, 0xFFFFFFFF


# --- BIFF8 -------------------------------------------------------------------------------

def rec(number, body=b""):
    return struct.pack("<HH", number, len(body)) + body


def sst_records(strings, count):
    """SST and CONTINUE records; 8-bit strings split over pieces as writers do."""
    limit = 8224
    pieces, cur = [], bytearray(struct.pack("<II", count, count))
    for s in strings:
        wide = any(ord(c) > 0xFF for c in s)
        data = s.encode("utf-16-le") if wide else s.encode("latin-1")
        width = 2 if wide else 1
        if len(cur) + 3 + width > limit:  # a header never crosses
            pieces.append(bytes(cur))
            cur = bytearray()
        cur += struct.pack("<HB", len(s), 1 if wide else 0)
        while data:
            room = (limit - len(cur)) // width * width
            cur += data[:room]
            data = data[room:]
            if data:
                pieces.append(bytes(cur))
                cur = bytearray([1 if wide else 0])
    pieces.append(bytes(cur))
    return rec(0x00FC, pieces[0]) + b"".join(rec(0x003C, p) for p in pieces[1:])


def workbook(strings=None, cells=None, count=None):
    """A BIFF8 workbook stream: one worksheet "住所録" whose LABELSST cells name `cells`
    (row, col, index) into `strings`."""
    if strings is None:
        strings = ["宛先"] + ["s%d" % k for k in range(1, 40)]
    if cells is None:
        cells = [(r, 0, r) for r in range(min(len(strings), 40))]
    name = "住所録"
    sheet = rec(0x0809, struct.pack("<HHHHII", 0x0600, 0x0010, 0, 0, 0, 0))
    sheet += b"".join(rec(0x00FD, struct.pack("<HHHI", r, c, 15, i)) for r, c, i in cells)
    sheet += rec(0x000A)
    bound = lambda pos: rec(0x0085, struct.pack("<IBBBB", pos, 0, 0, len(name), 1) + name.encode("utf-16-le"))
    head = rec(0x0809, struct.pack("<HHHHII", 0x0600, 0x0005, 0, 0, 0, 0)) + rec(0x0042, struct.pack("<H", 1200))
    tail = sst_records(strings, len(strings) if count is None else count) + rec(0x000A)
    pos = len(head) + len(bound(0)) + len(tail)
    return head + bound(pos) + tail + sheet


# --- compound documents ---------------------------------------------------------------------

def entry(name, kind, left=NOSTREAM, right=NOSTREAM, child=NOSTREAM, start=ENDOFCHAIN, size=0):
    raw = name.encode("utf-16-le")
    return (raw + b"\0" * (64 - len(raw)) + struct.pack("<HBBIII", len(raw) + 2 if name else 0, kind, 1, left, right, child)
            + b"\0" * 36 + struct.pack("<IQ", start, size))


def compound(streams, shift=9, fragment=False, tree="balanced", extra=0, patch=None):
    """A compound document holding `streams` [(name, bytes)] at the top level, after `extra`
    filler streams, linked as `tree` ("balanced", or "chain": each the right sibling of the one
    before). Streams under 4096 bytes go to the mini stream. `fragment` lays the big streams'
    sectors out backwards. `patch(layout)` may change the tables before they are written."""
    ss = 1 << shift
    names = ["f%d" % i for i in range(extra)] + [n for n, _ in streams]
    datas = [b""] * extra + [d for _, d in streams]
    n = len(names)
    # Mini stream.
    mini, minifat, starts = bytearray(), [], [ENDOFCHAIN] * n
    for i, d in enumerate(datas):
        if 0 < len(d) < 4096:
            first = len(mini) // 64
            count = (len(d) + 63) // 64
            starts[i] = first
            minifat += [first + k + 1 for k in range(count - 1)] + [ENDOFCHAIN]
            mini += d + b"\0" * (count * 64 - len(d))
    # Sector plan: big streams, mini stream, mini FAT, directory, then FAT and DIFAT.
    sectors, fat = [], {}

    def place(data):
        count = (len(data) + ss - 1) // ss
        if count == 0:
            return ENDOFCHAIN
        ids = list(range(len(sectors), len(sectors) + count))
        order = ids[::-1] if fragment else ids
        for k, sid in enumerate(ids):
            sectors.append(None)
        for k, sid in enumerate(order):
            sectors[sid] = data[k * ss:(k + 1) * ss].ljust(ss, b"\0")
            fat[sid] = order[k + 1] if k + 1 < count else ENDOFCHAIN
        return order[0]

    for i, d in enumerate(datas):
        if len(d) >= 4096:
            starts[i] = place(d)
    mini_start = place(bytes(mini))
    minifat_bytes = b"".join(struct.pack("<I", v) for v in minifat)
    minifat_bytes += b"\xff" * (-len(minifat_bytes) % ss)
    minifat_start = place(minifat_bytes) if minifat else ENDOFCHAIN
    # Directory: root, then the streams.
    if tree == "chain":
        links = [(NOSTREAM, i + 2 if i + 1 < n else NOSTREAM) for i in range(n)]
        root_child = 1 if n else NOSTREAM
    else:
        links = [[NOSTREAM, NOSTREAM] for _ in range(n)]
        # Balanced tree over indexes, built without recursion.
        stack, root_child = [(0, n, None, None)], NOSTREAM
        while stack:
            lo, hi, parent, side = stack.pop()
            if lo >= hi:
                continue
            mid = (lo + hi) // 2
            if parent is None:
                root_child = mid + 1
            else:
                links[parent][side] = mid + 1
            stack.append((lo, mid, mid, 0))
            stack.append((mid + 1, hi, mid, 1))
    directory = [entry("Root Entry", 5, child=root_child, start=mini_start, size=len(mini))]
    for i in range(n):
        directory.append(entry(names[i], 2, links[i][0], links[i][1], start=starts[i], size=len(datas[i])))
    per = ss // 128
    while len(directory) % per:
        directory.append(b"\0" * 64 + struct.pack("<HBBIII", 0, 0, 0, NOSTREAM, NOSTREAM, NOSTREAM) + b"\0" * 48)
    dir_start = place(b"".join(directory))
    # FAT and DIFAT sectors, counted until they cover themselves.
    nfat = ndifat = 0
    while True:
        total = len(sectors) + nfat + ndifat
        need_fat = (total + ss // 4 - 1) // (ss // 4)
        need_difat = 0 if need_fat <= 109 else (need_fat - 109 + ss // 4 - 2) // (ss // 4 - 1)
        if (need_fat, need_difat) == (nfat, ndifat):
            break
        nfat, ndifat = need_fat, need_difat
    fat_ids = list(range(len(sectors), len(sectors) + nfat))
    difat_ids = list(range(len(sectors) + nfat, len(sectors) + nfat + ndifat))
    for sid in fat_ids:
        fat[sid] = FATSECT
    for sid in difat_ids:
        fat[sid] = DIFSECT
    layout = {"fat": fat, "sectors": sectors, "dir_start": dir_start, "fat_ids": fat_ids,
              "difat_ids": difat_ids, "names": names, "starts": starts, "directory": directory,
              "ss": ss, "header": {}}
    if patch:
        patch(layout)
    fat_table = [fat.get(i, FREESECT) for i in range(nfat * ss // 4)]
    fat_sectors = [struct.pack("<%dI" % (ss // 4), *fat_table[k * ss // 4:(k + 1) * ss // 4]) for k in range(nfat)]
    difat_sectors = []
    rest = fat_ids[109:]
    for k, sid in enumerate(difat_ids):
        chunk = rest[k * (ss // 4 - 1):(k + 1) * (ss // 4 - 1)]
        chunk += [FREESECT] * (ss // 4 - 1 - len(chunk))
        nxt = difat_ids[k + 1] if k + 1 < len(difat_ids) else ENDOFCHAIN
        difat_sectors.append(struct.pack("<%dI" % (ss // 4), *(chunk + [layout["header"].get("difat_next", nxt)])))
    head_difat = (fat_ids[:109] + [FREESECT] * 109)[:109]
    h = layout["header"]
    header = (b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + b"\0" * 16 + struct.pack("<HHHHH", 0x3E, 3 if shift == 9 else 4, 0xFFFE, shift, 6)
              + b"\0" * 6 + struct.pack("<IIIIIIIII", 0 if shift == 9 else len(directory) * 128 // ss, h.get("nfat", nfat),
                                        h.get("dir_start", dir_start), 0, 4096, minifat_start, (len(minifat_bytes) + ss - 1) // ss,
                                        difat_ids[0] if difat_ids else ENDOFCHAIN, ndifat)
              + struct.pack("<109I", *head_difat))
    header = header.ljust(ss, b"\0")
    return header + b"".join(layout["sectors"]) + b"".join(fat_sectors) + b"".join(difat_sectors)


# --- the files ------------------------------------------------------------------------------

def files(small, strings):
    book = workbook()
    # Enough cells that the stream leaves the mini stream.
    big = workbook(cells=[(r, c, r % 40) for r in range(60) for c in range(12)])
    yield "mini_stream.xls", compound([("Workbook", book)])
    yield "sector_4096.xls", compound([("Workbook", big)], shift=12)
    yield "fragmented.xls", compound([("Workbook", big)], fragment=True)
    yield "book_stream_after_others.xls", compound([("Contents", b"x" * 5000), ("BOOK", big)])

    def loop_stream(layout):  # the workbook chain turns back on itself
        s = layout["starts"][-1]
        layout["fat"][s + 1] = s

    yield "fat_loop.xls", compound([("Workbook", big)], patch=loop_stream)

    def loop_directory(layout):
        layout["fat"][layout["dir_start"]] = layout["dir_start"]

    yield "directory_loop.xls", compound([("Workbook", big)], patch=loop_directory)

    def sibling_cycle(layout):  # every entry names the first as its sibling
        d = layout["directory"]
        for i in range(1, len(d)):
            e = bytearray(d[i])
            struct.pack_into("<II", e, 68, 1, 1)
            d[i] = bytes(e)
        blob = b"".join(d)
        ss = layout["ss"]
        sid, k = layout["dir_start"], 0
        while sid != ENDOFCHAIN:
            layout["sectors"][sid] = blob[k * ss:(k + 1) * ss]
            sid, k = layout["fat"][sid], k + 1

    yield "sibling_cycle.xls", compound([("Other", b"y" * 100), ("Workbook", book)], patch=sibling_cycle)

    def huge_size(layout):
        d = layout["directory"]
        last = len(layout["names"])
        e = bytearray(d[last])
        struct.pack_into("<Q", e, 120, 0xFFFFFFF0)
        d[last] = bytes(e)
        blob = b"".join(d)
        ss = layout["ss"]
        sid, k = layout["dir_start"], 0
        while sid != ENDOFCHAIN:
            layout["sectors"][sid] = blob[k * ss:(k + 1) * ss]
            sid, k = layout["fat"][sid], k + 1

    yield "huge_size_claim.xls", compound([("Workbook", big)], patch=huge_size)

    def fat_everywhere(layout):  # the header claims four billion table sectors
        layout["header"]["nfat"] = 0xFFFFFFFF

    yield "fat_count_absurd.xls", compound([("Workbook", big)], patch=fat_everywhere)
    whole = compound([("Workbook", big)])
    yield "cut_in_half.xls", whole[:len(whole) // 2]
    yield "header_only.xls", whole[:512]
    # One string claims 60000 characters in a table that ends after three.
    yield "sst_string_past_end.xls", compound([("Workbook", workbook().replace(
        struct.pack("<HB", 2, 1) + "宛先".encode("utf-16-le"), struct.pack("<HB", 60000, 1) + "宛先".encode("utf-16-le"), 1))])
    # Workbooks that lose a cell to damage; the other cells stay readable.
    def before_last_eof(stream, extra):
        at = stream.rindex(rec(0x000A))
        return stream[:at] + extra + stream[at:]

    yield "labelsst_out_of_range.xls", compound([("Workbook", before_last_eof(
        workbook(), rec(0x00FD, struct.pack("<HHHI", 45, 0, 15, 100000))))])
    yield "zero_length_cell.xls", compound([("Workbook", before_last_eof(workbook(), rec(0x0203)))])
    # A formula with a string result whose STRING record claims 60000 characters and holds 2.
    string_result = struct.pack("<HHH", 45, 0, 15) + b"\x00" * 6 + b"\xff\xff" + b"\0" * 6
    yield "string_count_huge.xls", compound([("Workbook", before_last_eof(
        workbook(), rec(0x0006, string_result) + rec(0x0207, struct.pack("<HB", 60000, 0) + b"ab")))])
    if small:
        return
    # Directories that overflowed a recursive walk and hung a quadratic one.
    yield "deep_siblings.xls", compound([("Workbook", big)], tree="chain", extra=40000)
    yield "wide_directory.xls", compound([("Workbook", big)], extra=120000)
    # A table of a million strings; the sheet uses the first ones and the very last.
    count = 1000000
    table = ["宛先"] + ["s%d" % k for k in range(1, count)]
    yield "sst_million.xls", compound([("Workbook", workbook(table, [(0, 0, 0), (1, 0, 1), (2, 0, count - 1)]))])
    # Enough table sectors that the DIFAT chain is needed (more than 109 of them).
    yield "difat.xls", compound([("Workbook", big), ("Filler", b"z" * (8 << 20))])


def main():
    args = sys.argv[1:]
    small = "--small" in args
    strings = 0
    if "--strings" in args:
        strings = int(args[args.index("--strings") + 1])
    out = [a for a in args if not a.startswith("--") and not a.isdigit()][0]
    os.makedirs(out, exist_ok=True)
    made = files(small, strings)
    if strings:
        # Made as it is written: a list of sixteen million strings would take gigabytes here.
        # One letter each, four bytes a string, as a table of short codes or initials is.
        table = itertools.chain(["宛先"], (chr(0x41 + k % 26) for k in range(1, strings - 1)), ["end"])
        book = workbook(table, [(0, 0, 0), (1, 0, strings - 1)], count=strings)
        made = [("sst_%d.xls" % strings, compound([("Workbook", book)]))]
    for name, data in made:
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
