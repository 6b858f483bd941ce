#!/usr/bin/env python3
"""Reads the files the Windows export test wrote, with nothing of the code
that wrote them: the bitmap's headers and pixels (and ImageMagick's reading
of it, where installed), the metafile's header and records, the text files'
encoding (and iconv's reading, where installed) and the decimal comma.

Usage: check_export_files.py FOLDER
"""
import os
import shutil
import struct
import subprocess
import sys

# What the Windows test exported, at which size.
BITMAPS = {"chart.bmp": (400, 300), "from-dialog.bmp": (400, 350)}
METAFILES = {"chart.emf": (120, 90)}  # millimetres
POINT_TEXT = "chart-point.txt"
COMMA_TEXT = "chart-comma.txt"

EMR_HEADER = 1
EMR_EOF = 14
EMF_SIGNATURE = 0x464D4520  # " EMF"

failures = []


def check(condition, what):
    print(("ok    " if condition else "FAIL  ") + what)
    if not condition:
        failures.append(what)
    return condition


def read(folder, name):
    path = os.path.join(folder, name)
    if not check(os.path.isfile(path), f"{name} exists"):
        return None
    with open(path, "rb") as f:
        return f.read()


# ---------------------------------------------------------------- bitmap

def check_bitmap(folder, name, width, height):
    data = read(folder, name)
    if data is None:
        return
    if not check(len(data) >= 54 and data[:2] == b"BM", f"{name}: starts with a BITMAPFILEHEADER 'BM'"):
        return
    file_size, _, off_bits = struct.unpack_from("<IIi", data, 2)
    (header_size, w, h, planes, bits, compression, image_size) = struct.unpack_from("<IiiHHII", data, 14)
    check(file_size == len(data), f"{name}: bfSize {file_size} is the file's size {len(data)}")
    check(header_size >= 40 and off_bits >= 14 + header_size, f"{name}: pixels after the headers")
    check((w, abs(h)) == (width, height), f"{name}: {w} x {abs(h)} is the chosen {width} x {height}")
    check(planes == 1 and bits == 24 and compression == 0, f"{name}: plain 24-bit pixels")
    stride = (w * 3 + 3) // 4 * 4
    check(image_size in (0, stride * abs(h)), f"{name}: biSizeImage {image_size} fits {stride} x {abs(h)}")
    if not check(off_bits + stride * abs(h) == len(data), f"{name}: the rows end where the file ends"):
        return

    def pixel(x, y):
        row = abs(h) - 1 - y if h > 0 else y  # positive heights run bottom-up
        at = off_bits + row * stride + x * 3
        return data[at + 2], data[at + 1], data[at]

    def dark_near(x, y):
        return any(max(pixel(min(max(x + dx, 0), w - 1), min(max(y + dy, 0), abs(h) - 1))) < 96
                   for dx in range(-2, 3) for dy in range(-2, 3))

    H = abs(h)
    check(dark_near(1, 1) and dark_near(w - 2, H - 2), f"{name}: the frame's corners")
    check(all(dark_near(w * k // 4, H * k // 4) for k in (1, 2, 3)), f"{name}: the diagonal from the top left")
    check(not dark_near(w * 3 // 4, H // 4) and pixel(w * 3 // 4, H // 4) == (255, 255, 255),
          f"{name}: the upper right is white")

    identify = shutil.which("identify")
    if identify:
        out = subprocess.run([identify, "-format", "%w %h", os.path.join(folder, name)],
                             capture_output=True, text=True)
        check(out.returncode == 0 and out.stdout.strip() == f"{width} {height}",
              f"{name}: ImageMagick reads {out.stdout.strip() or out.stderr.strip()}")


# ---------------------------------------------------------------- metafile

def check_metafile(folder, name, width_mm, height_mm):
    data = read(folder, name)
    if data is None:
        return
    if not check(len(data) >= 88, f"{name}: long enough for a header"):
        return
    record_type, record_size = struct.unpack_from("<II", data, 0)
    bounds = struct.unpack_from("<4i", data, 8)
    frame = struct.unpack_from("<4i", data, 24)
    signature, version, total, records = struct.unpack_from("<IIII", data, 40)
    device = struct.unpack_from("<2i", data, 72)
    millimetres = struct.unpack_from("<2i", data, 80)
    check(record_type == EMR_HEADER, f"{name}: the first record is EMR_HEADER ({record_type})")
    check(signature == EMF_SIGNATURE, f"{name}: signature ' EMF' ({signature:#x})")
    wanted = (0, 0, width_mm * 100, height_mm * 100)
    check(frame == wanted, f"{name}: rclFrame {frame} is {wanted} in 0.01 mm")
    check(total == len(data), f"{name}: nBytes {total} is the file's size {len(data)}")
    # The drawing fills the frame: its bounds reach the frame's far corner
    # in the reference device's pixels.
    far = (width_mm * device[0] / millimetres[0], height_mm * device[1] / millimetres[1])
    check(abs(bounds[2] - far[0]) <= 3 and abs(bounds[3] - far[1]) <= 3,
          f"{name}: rclBounds {bounds} reach the frame's corner {far[0]:.1f}, {far[1]:.1f}")

    at, count, last = 0, 0, None
    while at + 8 <= len(data):
        kind, size = struct.unpack_from("<II", data, at)
        if size < 8 or size % 4 or at + size > len(data):
            break
        at, count, last = at + size, count + 1, kind
    check(at == len(data) and last == EMR_EOF,
          f"{name}: {count} records walk to EMR_EOF at the end (type {last}, at {at} of {len(data)})")
    check(count == records, f"{name}: nRecords {records} is the count walked")
    check(record_size >= 88, f"{name}: header record of {record_size} bytes")


# ---------------------------------------------------------------- text

def check_text(folder, name):
    data = read(folder, name)
    if data is None:
        return None
    check(data[:2] == b"\xff\xfe", f"{name}: begins FF FE")
    check(len(data) % 2 == 0 and data[-2:] == b"\x00\x00", f"{name}: ends 00 00")
    try:
        text = data[2:].decode("utf-16-le")
    except UnicodeDecodeError as e:
        check(False, f"{name}: decodes as UTF-16LE ({e})")
        return None
    check(text.endswith("\0") and "\t" in text and "\r\n" in text, f"{name}: tab-separated lines and a closing NUL")
    iconv = shutil.which("iconv")
    if iconv:
        out = subprocess.run([iconv, "-f", "UTF-16", "-t", "UTF-8", os.path.join(folder, name)], capture_output=True)
        check(out.returncode == 0 and out.stdout.decode("utf-8") == text,
              f"{name}: iconv reads the same text")
    return text


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    folder = sys.argv[1]
    for name, (w, h) in BITMAPS.items():
        check_bitmap(folder, name, w, h)
    for name, (w, h) in METAFILES.items():
        check_metafile(folder, name, w, h)
    point = check_text(folder, POINT_TEXT)
    comma = check_text(folder, COMMA_TEXT)
    if point is not None and comma is not None:
        check("." in point and "0.5" in point, f"{POINT_TEXT}: decimals with points")
        check("." not in comma and comma == point.replace(".", ","), f"{COMMA_TEXT}: every point became a comma")
    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
