#!/usr/bin/env python3
"""Writes the expected bytes of each message kind, encoded independently of the C++ code.

Usage: kiln_golden.py OUTPUT_FOLDER
The field values here must match the cases in KilnMessageTest.cpp.
"""
import os
import struct
import sys


def u32(value):
    return struct.pack("<I", value)


def i64(value):
    return struct.pack("<q", value)


def string(text):
    units = text.encode("utf-16-le")
    return u32(len(units) // 2) + units + b"\0\0"


def key_list(kind, keys):
    return u32(kind) + u32(len(keys)) + b"".join(u32(k) for k in keys)


def decode_item(key, movie, output, positions):
    return (u32(key) + string(movie) + string(output) + u32(len(positions))
            + b"".join(i64(p) for p in positions))


def decode_request(replace, image_type, width, height, items):
    return (u32(2) + u32(replace) + u32(image_type) + u32(width) + u32(height) + u32(len(items))
            + b"".join(decode_item(*item) for item in items))


def response(request_id, error, decode_count, request_count, duration, positions):
    return (u32(3) + u32(request_id) + u32(error) + u32(decode_count) + u32(request_count)
            + i64(duration) + u32(len(positions)) + b"".join(i64(p) for p in positions))


CASES = {
    "delete.bin": key_list(1, [1, 2, 0xFFFFFFFF]),
    "priority.bin": key_list(4, [7]),
    "priority_empty.bin": key_list(4, []),
    "decode.bin": decode_request(1, 1, 256, 144, [
        (5, "C:\\動画\\作品 \U00020BB7.mp4", "C:\\Users\\x\\ALBUM_0001\\contents\\042\\作品.jpg",
         [-1, -2, 0, 150000000, 2**63 - 1, -2**63]),
        (0xFFFFFFFE, "", "", []),
    ]),
    "decode_empty.bin": decode_request(0, 0, 0, 0, []),
    "response.bin": response(9, 1, 3, 12, 6000000000, [0, 10000000, -1]),
}


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, data in CASES.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
