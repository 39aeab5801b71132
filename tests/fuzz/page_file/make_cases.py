#!/usr/bin/env python3
"""Writes the hand-made hostile page files of this folder.

Each file is a storage file that a damaged disk or a hostile sender could
hand the preview or the report tool, made to hit one fault: sizes that
overflow, boxes that make loops run per pixel, page entries that share a
record, macros that multiply. The replay test reads every file of the
folder through the loader, painting and both writers; the storage tests
check what some of them must give.

    python3 make_cases.py      # rewrites the files next to this script
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def i32(v):
    return struct.pack('<i', v)


def string(b):
    return i32(len(b)) + b


def font(size=10, height=-13, ppi=96, name=0, style=0):
    return i32(ppi) + b'\x01' + b'\x00\x00\x00' + i32(height) + i32(name) + b'\x01' + i32(size) + bytes([style])


def brush(style=2):
    return b'\xff\xff\xff' + bytes([style])


def pen(width=1):
    return b'\x00\x00\x00' + b'\x05' + b'\x01' + i32(width)


def common(box, group=1):
    return b''.join(i32(v) for v in box) + i32(group) + i32(0)


def text(box, origin, txt, align=1, layout=1, flags=4, **f):
    payload = (common(box) + bytes([align, layout]) + i32(origin[0]) + i32(origin[1]) +
               struct.pack('<H', flags) + string(txt) + brush() + font(**f))
    return bytes([4]) + i32(len(payload)) + payload


def fill(box):
    payload = common(box) + brush(1)
    return bytes([5]) + i32(len(payload)) + payload


def line(a, b, width=1):
    edge = lambda v: min(v + 1, 2**31 - 1)
    payload = common((min(a[0], b[0]), min(a[1], b[1]), edge(max(a[0], b[0])), edge(max(a[1], b[1]))))
    payload += i32(a[0]) + i32(a[1]) + i32(b[0]) + i32(b[1]) + pen(width) + brush()
    return bytes([2]) + i32(len(payload)) + payload


def image(box, data):
    payload = common(box) + string(data) + b'\x00'
    return bytes([9]) + i32(len(payload)) + payload


def surface(objects, width=794, height=1123, macros=(), fonts=(b'Arial',)):
    out = b'RLGraphicSurface3\x1a' + i32(width) + i32(height)
    out += i32(len(macros)) + b''.join(string(m) for m in macros)
    out += i32(len(fonts)) + b''.join(string(f) for f in fonts)
    out += i32(len(objects)) + b''.join(objects)
    return out


def storage(pages, macros=(b'Orientation=1', b'PaperWidth=210.0000', b'PaperHeight=297.0000'),
            positions=None):
    head = b'RLGraphicStorage3\x1a' + i32(len(macros)) + b''.join(string(m) for m in macros)
    count = len(pages) if positions is None else len(positions)
    table_at = len(head) + 4
    records, at = [], table_at + 4 * count
    starts = []
    for p in pages:
        starts.append(at)
        records.append(i32(len(p)) + p)
        at += 4 + len(p)
    if positions is None:
        positions = starts
    else:
        positions = [starts[i] for i in positions]
    return head + i32(count) + b''.join(i32(p) for p in positions) + b''.join(records)


def bmp_rle8_empty(width, height):
    """An 8-bit run-length bitmap of width x height pixels whose data is the
    end-of-bitmap mark alone: a few dozen bytes that decode to the whole
    picture."""
    palette = b'\x00\x00\x00\x00\xff\xff\xff\x00'
    data = b'\x00\x01'
    offset = 14 + 40 + len(palette)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 1, len(data), 2835, 2835, 2, 2)
    return b'BMP' + b'BM' + struct.pack('<IHHI', offset + len(data), 0, 0, offset) + info + palette + data


CASES = {
    # A right-aligned text at 0x40000000 points: the PDF writer measured it at
    # 4 * size pixels, which wraps to 0, and divided by it.
    'font-size-2-30.rpf': storage([surface([
        text((100, 100, 300, 120), (100, 100), b'Total', align=2, size=0x40000000)])]),
    # A justified text in a box 2,000,000,000 pixels wide: painting widened
    # its spaces one pixel per turn of a loop.
    'justify-2e9-wide.rpf': storage([surface([
        text((0, 100, 2000000000, 120), (0, 100), b'a b c d', align=4)])]),
    # The most negative int as a font size, and as a height with size 0:
    # negating it is undefined.
    'font-size-int-min.rpf': storage([surface([
        text((10, 10, 200, 30), (10, 10), b'x', size=-2**31),
        text((10, 40, 200, 60), (10, 40), b'y', size=0, height=-2**31)])]),
    # Boxes and points at the ends of the int range: every pixel conversion
    # overflowed.
    'coordinates-int-max.rpf': storage([surface([
        fill((-2**31, -2**31, 2**31 - 1, 2**31 - 1)),
        line((-2**31, 0), (2**31 - 1, 5), width=2**31 - 1),
        text((2**31 - 100, 0, 2**31 - 1, 2**31 - 1), (2**31 - 100, 0), b'r', align=2)],
        width=1, height=1)]),
    # 5,000 page entries naming one record: the loader copied the record
    # 5,000 times into the spool file.
    'shared-record.rpf': storage([surface([
        text((38, 38 + 20 * i, 756, 55 + 20 * i), (41, 38 + 20 * i), b'Linha %d do relat\xf3rio' % i,
             flags=5) for i in range(50)])], positions=[0] * 5000),
    # A text of 2,000 macro names and a macro 20,000 characters long:
    # expanding it would make a text of 40 million characters.
    'macro-blow-up.rpf': storage([surface(
        [text((10, 10, 700, 30), (10, 10), b'{M}' * 2000, flags=5)],
        macros=(b'M=' + b'x' * 20000,))]),
    # Many opening braces before a single closing one: each was searched
    # for its name up to the far brace.
    'braces.rpf': storage([surface([text((10, 10, 700, 30), (10, 10), b'{' * 30000 + b'}')])]),
    # A compressed bitmap of 5,500 x 5,500 pixels in 70 bytes: decoded, drawn
    # and written into the PDF as 180 MB of hexadecimal samples.
    'image-rle-huge.rpf': storage([surface([image((10, 10, 100, 100), bmp_rle8_empty(5500, 5500))])]),
}


def overlapping_records():
    page = surface([fill((0, 0, 10, 10))])
    data = bytearray(storage([page, page]))
    # The second entry points 4 bytes into the first record.
    table = data.index(b'RLGraphicStorage3\x1a') + 18
    count_at = table + 4 + sum(4 + len(m) for m in (b'Orientation=1', b'PaperWidth=210.0000', b'PaperHeight=297.0000'))
    first = struct.unpack_from('<i', data, count_at + 4)[0]
    struct.pack_into('<i', data, count_at + 8, first + 4)
    return bytes(data)


# Two entries whose records overlap: the second starts inside the first.
CASES['overlapping-records.rpf'] = overlapping_records()

if __name__ == '__main__':
    for name, data in CASES.items():
        with open(os.path.join(HERE, name), 'wb') as f:
            f.write(data)
        print(f'{name}: {len(data)} bytes')
