#!/usr/bin/env python3
# Writes a valid black PNG of any declared size, quickly and small:
# identical rows compress to identical deflate blocks once each block ends
# with a full flush, so one block is compressed and repeated.
#   make_png.py <out.png> <width> <height> <result file>
import struct
import sys
import zlib


def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)


def main():
    out, width, height, result = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    rows_per_block = max(1, (4 << 20) // (width * 3 + 1))
    while height % rows_per_block:
        rows_per_block -= 1
    block_raw = bytes((width * 3 + 1) * rows_per_block)  # filter byte 0 and black pixels
    co = zlib.compressobj(9)
    head = co.compress(block_raw) + co.flush(zlib.Z_FULL_FLUSH)
    again = co.compress(block_raw) + co.flush(zlib.Z_FULL_FLUSH)
    blocks = height // rows_per_block
    # The first output carries the two-byte zlib header before the block.
    assert head[2:] == again
    adler = 1
    for _ in range(blocks):
        adler = zlib.adler32(block_raw, adler)
    tail = co.flush(zlib.Z_FINISH)[:-4] + struct.pack('>I', adler)
    idat = head + again * (blocks - 1) + tail
    ihdr = struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)
    with open(out, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', idat) + chunk(b'IEND', b''))
    with open(result, 'w') as f:
        f.write('ok')


main()
