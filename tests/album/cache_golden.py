#!/usr/bin/env python3
"""Writes the expected bytes of a two-record fast-start cache, straight from the file
layout and without any of the program's code, for the cache writer's test."""
import struct
import sys


def utf16_units(text):
    raw = text.encode("utf-16-le")
    return list(struct.unpack("<%dH" % (len(raw) // 2), raw))


def link_hash(text):
    units = utf16_units(text)
    h = len(units)
    for u in units:
        h = (h * 3 + u) & 0xFFFFFFFF
    return h


def fixed(text, width):
    units = utf16_units(text)[:width]
    out = units + ([0] if len(units) < width else [])
    out += [0x5555] * (width - len(out))
    out.append(0)
    assert len(out) == width + 1
    return struct.pack("<%dH" % len(out), *out)


def item(r):
    b = struct.pack("<I", link_hash(r["link_name"]))
    b += fixed(r["ini_name"], 260) + fixed(r["link_name"], 260) + fixed(r["content_name"], 260)
    b += struct.pack("<qIi", r["last_play_frame"], r["no_resume"], r["vol_offset"])
    b += fixed(r["category"], 32) + fixed(r["sub_category"], 32) + fixed(r["note"], 1000)
    b += struct.pack("<IIqqI", r["play_count"], r["star_count"], r["play_date_time"], r["add_date"], r["decodo_err"])
    b += struct.pack("<I", len(r["skips"]))
    for beg, end in r["skips"]:
        b += struct.pack("<qq", beg, end)
    b += struct.pack("<I", len(r["frames"]))
    for name, pos in r["frames"]:
        b += fixed(name, 32) + struct.pack("<q", pos)
    b += struct.pack("<Iqq", r["file_unchecked"], r["file_size"], r["file_time"])
    tags = r["tags"][:20]
    for i in range(20):
        b += fixed(tags[i] if i < len(tags) else "", 64)
    b += fixed(r["movie_player_name"], 64)
    assert len(b) == 6506 + 16 * len(r["skips"]) + 74 * len(r["frames"])
    return b


first = dict(
    ini_name="Z:\\nowhere\\ALBUM_0001\\contents\\017\\contents017-00003.ini",
    link_name="C:\\movies\\abc.mp4", content_name="abc", last_play_frame=0x0123456789AB,
    no_resume=1, vol_offset=-5, category="映画", sub_category="", note="note\r\nline2",
    play_count=3, star_count=4, play_date_time=1700000000, add_date=-1, decodo_err=0,
    skips=[(i * 10, i * 10 + 5) for i in range(6)],
    frames=[("f%d" % i, 123456 if i == 2 else -1) for i in range(10)],
    file_unchecked=0, file_size=5000000000, file_time=1600000000,
    tags=["drama", "あ"], movie_player_name="MPC")

second = dict(
    ini_name="Z:\\nowhere\\ALBUM_0001\\contents\\099\\contents099-99999.ini",
    link_name="D:\\" + "長" * 300, content_name="x" * 300, last_play_frame=-1,
    no_resume=0, vol_offset=0, category="c" * 40, sub_category="サブ", note="n" * 1200,
    play_count=0xFFFFFFFF, star_count=0, play_date_time=-1, add_date=0, decodo_err=1,
    skips=[(-1, -1)] * 6, frames=[("z" * 40, -2)] + [("", -1)] * 9,
    file_unchecked=1, file_size=0, file_time=0,
    tags=sorted("t%02d" % i for i in range(25)), movie_player_name="")

records = [first, second]
items = [item(r) for r in records]
data = struct.pack("<III", 259, len(items), len(items[0])) + b"".join(items)
with open(sys.argv[1], "wb") as f:
    f.write(data)
