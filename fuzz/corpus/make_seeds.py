#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (one folder per target).

page_file: the pages of the three reports as the report tool saves them
against the demo database at its smallest scale (QUORVA_DEMO_SCALE=0.05),
condominium 101:

    quorva-report --cond 101 --password ipe101 --report balancete --output balancete.rpf
    (and inadimplencia, compromissados)

    python3 make_seeds.py DIR-WITH-THOSE-FILES

keeps the first page of each, and adds a small page with one object of
every kind. The other targets get the patterns, values and texts the
program itself uses, in the layout each target reads (see its source).
"""
import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def i32(v):
    return struct.pack('<i', v)


def read_storage(data):
    """The macros and the page records of a storage file."""
    at = data.index(b'\x1a') + 1
    macros = []
    (n,) = struct.unpack_from('<i', data, at)
    at += 4
    for _ in range(n):
        (length,) = struct.unpack_from('<i', data, at)
        macros.append(data[at + 4:at + 4 + length])
        at += 4 + length
    (count,) = struct.unpack_from('<i', data, at)
    positions = struct.unpack_from('<%di' % count, data, at + 4)
    pages = []
    for p in positions:
        (length,) = struct.unpack_from('<i', data, p)
        pages.append(data[p + 4:p + 4 + length])
    return macros, pages


def write_storage(macros, pages):
    head = b'RLGraphicStorage3\x1a' + i32(len(macros)) + b''.join(i32(len(m)) + m for m in macros)
    at = len(head) + 4 + 4 * len(pages)
    table, records = b'', b''
    for p in pages:
        table += i32(at)
        records += i32(len(p)) + p
        at += 4 + len(p)
    return head + i32(len(pages)) + table + records


def obj(code, box, rest=b''):
    payload = b''.join(i32(v) for v in box) + i32(1) + i32(0) + rest
    return bytes([code]) + i32(len(payload)) + payload


def every_kind():
    pen = b'\x00\x00\x80' + b'\x05' + b'\x02' + i32(2)
    brush = b'\xe6\xec\xf4' + b'\x01'
    font = i32(96) + b'\x01' + b'\x00\x00\x00' + i32(-12) + i32(0) + b'\x01' + i32(9) + b'\x01'
    points = i32(3) + i32(10) + i32(60) + i32(40) + i32(30) + i32(70) + i32(60)
    bmp = (b'BM' + struct.pack('<IHHI', 14 + 40 + 16, 0, 0, 54) +
           struct.pack('<IiiHHIIiiII', 40, 2, 2, 1, 24, 0, 16, 2835, 2835, 0, 0) +
           b'\x00\x00\xff\xff\xff\xff\x00\x00' * 2)
    words = b'Total: {LastPageNumber}'
    text = (b'\x02\x01' + i32(300) + i32(20) + struct.pack('<H', 4) + i32(len(words)) + words +
            brush + font)
    objects = [
        obj(1, (5, 5, 6, 6), b'\xff\x00\x00'),
        obj(2, (10, 10, 200, 11), i32(10) + i32(10) + i32(200) + i32(10) + pen + brush),
        obj(3, (10, 20, 200, 40), pen + brush),
        obj(10, (0, 0, 400, 300)),
        obj(4, (100, 20, 380, 40), text),
        obj(5, (10, 50, 100, 55), brush),
        obj(6, (120, 50, 200, 90), pen + brush),
        obj(7, (10, 30, 71, 61), pen + brush + points),
        obj(8, (10, 30, 71, 61), pen + points),
        obj(9, (250, 50, 290, 90), i32(3 + len(bmp)) + b'BMP' + bmp + b'\x00'),
        obj(11, (0, 0, 400, 300)),
    ]
    page = (b'RLGraphicSurface3\x1a' + i32(400) + i32(300) + i32(1) + i32(13) + b'Orientation=1' +
            i32(1) + i32(5) + b'Arial' + i32(len(objects)) + b''.join(objects))
    macros = [b'FirstPageNumber=1', b'LastPageNumber=1', b'Title=Seed', b'Orientation=1',
              b'PaperWidth=105.8333', b'PaperHeight=79.3750']
    return write_storage(macros, [page])


def number_seed(settings, amount, value, pattern, cell):
    # An x87 extended value: 8 bytes of mantissa, 2 of sign and exponent.
    mantissa, exponent = 0, 0
    if value != 0:
        m, e = math.frexp(abs(value))
        mantissa = int(m * (1 << 64))
        exponent = e - 1 + 16383
    sign = 0x8000 if value < 0 else 0
    extended = struct.pack('<QH', mantissa, sign | exponent)
    return bytes([settings]) + struct.pack('<q', amount) + extended + pattern.encode() + b'\0' + cell.encode()


def date_seed(settings, value, pattern, text):
    return bytes([settings]) + struct.pack('<d', value) + pattern.encode() + b'\0' + text.encode()


PATTERNS = ['###,###,##0.00 ;###,###,##0.00 -; ', '###,###,##0.00 ;###,###,##0.00-; ',
            '###,###,##0.00 ;###,###,##0.00-;  ', '###,###,###.00;###,###,###.00; ', '#########']

SEEDS = {
    'number_format': [
        number_seed(0, 12345000, 1234.5, PATTERNS[0], '1.234,56'),
        number_seed(0, -12345000, -1234.5, PATTERNS[1], '1.234,56-'),
        number_seed(0, 0, 0.0, PATTERNS[2], ''),
        number_seed(1, 12341260, 1234567890.126, PATTERNS[3], '1,234.56'),
        number_seed(0, 1010000, 101.0, PATTERNS[4], '101'),
    ],
    'date_format': [
        date_seed(0, 42070.0, 'dd/mm/yyyy', '07/03/2015'),
        date_seed(0, 42064.0, 'mm/yyyy', '01/03/2015'),
        date_seed(1, 42070.5, 'mm/yy', '1/3/15'),
        date_seed(0, 42070.378506944, 'c', '07/03/2015 09:05:03'),
        date_seed(0, 42070.0, 'dddddd', '31/02/2015'),
    ],
    'ini_file': [
        b'[CONFIG]\r\nCond=101\r\n',
        b'; remote client\r\n[Geral]\r\nx=1\r\n\r\n[CONFIG]\r\nCond=102\r\nOutro="a"\r\n\r\n[Fim]\r\n',
    ],
}


def main():
    for target, seeds in SEEDS.items():
        os.makedirs(os.path.join(HERE, target), exist_ok=True)
        for i, data in enumerate(seeds, 1):
            with open(os.path.join(HERE, target, 'seed-%d' % i), 'wb') as f:
                f.write(data)
    pages_dir = os.path.join(HERE, 'page_file')
    os.makedirs(pages_dir, exist_ok=True)
    with open(os.path.join(pages_dir, 'every-kind.rpf'), 'wb') as f:
        f.write(every_kind())
    if len(sys.argv) > 1:
        for name in ('balancete', 'inadimplencia', 'compromissados'):
            with open(os.path.join(sys.argv[1], name + '.rpf'), 'rb') as f:
                macros, pages = read_storage(f.read())
            with open(os.path.join(pages_dir, name + '.rpf'), 'wb') as f:
                f.write(write_storage(macros, pages[:1]))


if __name__ == '__main__':
    main()
