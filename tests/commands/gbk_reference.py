#!/usr/bin/env python3
"""Writes gbk_reference.txt: what Python's "gbk" codec makes of every basic-plane code point.

The table is checked in so the test needs nothing but itself; run this again only to review it.
One line per block of 256 code points (the surrogate blocks D8-DF have none): the block's high
byte, how many of its code points GBK can represent, and an FNV-1a 64-bit hash over, for each code
point in order, one byte giving the length of its GBK bytes (0 when it has none) and those bytes.
"""
import os

FNV_OFFSET, FNV_PRIME, MASK = 0xCBF29CE484222325, 0x100000001B3, (1 << 64) - 1


def fnv1a(data, h=FNV_OFFSET):
    for b in data:
        h = ((h ^ b) * FNV_PRIME) & MASK
    return h


def main():
    lines = ["# What Python's \"gbk\" codec makes of each code point of the basic plane; written by",
             "# gbk_reference.py. Block high byte, representable count, FNV-1a 64 over length+bytes.",
             "# representable: %d of 63488"]
    total = 0
    for block in range(256):
        if 0xD8 <= block <= 0xDF:
            continue
        h, count = FNV_OFFSET, 0
        for cp in range(block << 8, (block + 1) << 8):
            try:
                b = chr(cp).encode("gbk")
                count += 1
            except UnicodeEncodeError:
                b = b""
            h = fnv1a(bytes([len(b)]) + b, h)
        total += count
        lines.append("%02X %d %016x" % (block, count, h))
    lines[2] = lines[2] % total
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "gbk_reference.txt")
    with open(out, "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
