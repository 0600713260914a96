#!/usr/bin/env python3
"""make_seeds.py -- writes the fuzzers' seed inputs into fuzz/corpus: small valid files, the
edges of each format, and cuts of the game's own font image and sounds.

    fuzz/make_seeds.py [DATA_DIR]

DATA_DIR holds bigfont.ppm and the .raw sounds as the build makes them (default build/release/data).
Files a fuzzer found are not written here but into its work folder in the build; reproducers of
crashes (crash-*) are kept beside the seeds and left alone by this script.
"""
import os
import sys

FUZZ = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(FUZZ)


def write(folder, name, data):
    os.makedirs(os.path.join(FUZZ, 'corpus', folder), exist_ok=True)
    with open(os.path.join(FUZZ, 'corpus', folder, name), 'wb') as out:
        out.write(data)


def ppm(width, height, samples, header_end=b'255\n'):
    return b'P6\n%d %d\n' % (width, height) + header_end + bytes(samples)


def strip(width, height, markers, marker=(255, 0, 255), ink=(250, 250, 250), transparent=(0, 0, 0), rows=None):
    """A glyph strip: row 1 holds the marker colour at the given columns (column 0 always), every
    other pixel alternates ink and the transparent colour, the last pixel is transparent.
    rows, when given, keeps only that many rows of samples: the rest reads as 255."""
    pixels = []
    for row in range(height):
        for column in range(width):
            if row == 1 and (column == 0 or column in markers):
                pixels.append(marker)
            elif (row + column) % 3 == 0:
                pixels.append(ink)
            else:
                pixels.append(transparent)
    pixels[-1] = transparent
    samples = b''.join(bytes(p) for p in pixels)
    if rows is not None:
        samples = samples[:rows * width * 3]
    return ppm(width, height, samples)


def font_seeds(data_dir):
    # Glyphs of widths 2, 0 and 1, then a column that belongs to no glyph.
    write('font', 'tiny_strip.ppm', strip(8, 4, {3, 4, 6}))
    # The first three glyphs (A, B, C) of the game's font, and the same cut short.
    with open(os.path.join(data_dir, 'bigfont.ppm'), 'rb') as image:
        magic, size, depth, samples = image.read().split(b'\n', 3)
    width, height = map(int, size.split())
    row1 = samples[width * 3:width * 6]
    marks = [c for c in range(1, width) if row1[3 * c:3 * c + 3] == row1[0:3]]
    keep = marks[2] + 1
    cut = b''.join(samples[(r * width) * 3:(r * width + keep) * 3] for r in range(height))
    cut = cut[:-3] + samples[-3:]   # keeps the transparent colour in the last pixel
    write('font', 'bigfont_abc.ppm', ppm(keep, height, cut))
    write('font', 'bigfont_abc_short.ppm', ppm(keep, height, cut[:len(cut) // 3]))
    # One column: no glyphs. A header alone: every sample reads as 255. No marker row.
    write('font', 'one_column.ppm', ppm(1, 3, range(9)))
    write('font', 'header_only.ppm', ppm(2, 3, b''))
    write('font', 'no_marker_row.ppm', ppm(5, 1, range(15)))
    # Glyphs 200 wide and 100 high: the second starts a new atlas row, the third would reach
    # below the atlas and is not kept. Only two rows are in the file.
    write('font', 'atlas_overflow.ppm', strip(603, 102, {201, 402, 602}, rows=2))
    # A glyph of width 2, then one of 300, wider than a byte holds.
    write('font', 'glyph_too_wide.ppm', strip(305, 4, {3, 304}, rows=2))
    # 199 markers in a row: 199 glyphs of width 0, more than the 128 slots.
    write('font', 'many_markers.ppm', strip(200, 3, set(range(200))))
    # Two glyphs of 128 end exactly at atlas column 256, a width-0 glyph sits there, and the
    # next glyph of width 1 starts a new row.
    write('font', 'row_ends_exactly.ppm', strip(262, 3, {129, 258, 259, 261}))
    # font_height 256, above what a byte holds.
    write('font', 'too_tall.ppm', strip(3, 258, {2}, rows=2))
    # A second line longer than the header buffer: its numbers are read, the rest dropped.
    write('font', 'long_size_line.ppm', b'P6\n4 3' + b' ' * 9000 + b'\n255\n' + bytes(range(36)))
    # Refused: CR LF line ends, a comment line, too many pixels, a number beyond int, no number.
    write('font', 'crlf.ppm', b'P6\r\n2 3\r\n255\r\n' + bytes(18))
    write('font', 'comment.ppm', b'P6\n# made by hand\n2 3\n255\n' + bytes(18))
    write('font', 'too_many_pixels.ppm', b'P6\n5000 5000\n255\n')
    write('font', 'beyond_int.ppm', b'P6\n99999999999 1\n255\n')
    write('font', 'negative.ppm', b'P6\n-3 4\n255\n')
    # A first line of "P6" and a 0 byte: not exactly "P6".
    write('font', 'magic_and_zero.ppm', b'P6\x00\n2 3\n255\n' + bytes(18))


def scores_seeds():
    names = [b'ann', b'ann\\20lee', b'.', b'bob\\5c', b'\xc3\xa9lodie', b'zed', b'a\\7fz', b'x' * 11]
    lines = []
    for row in range(100):
        name = names[row % len(names)] if row < 60 else b'.'
        score = 5000 - 50 * row if row < 60 else 0
        level = 12 - row // 6 if row < 60 else 0
        lines.append(b'%s %d %d\n' % (name, score, level))
    write('scores', 'table', b''.join(lines))
    # A name with a space: the line is four words and every later row shifts by one.
    write('scores', 'split_name', b'zed 50 5\nab cd 9 2\nbob 8 1\n')
    write('scores', 'empty', b'')
    write('scores', 'odd_lines', b'\n'.join([
        b'abcdefghijklmnop 16 1',     # cut to 11 characters
        b'big 99999999999 1',         # beyond int
        b'edge -2147483648 2147483647',
        b'over 2147483648 0',
        b'w' * 300 + b' 7 7',         # longer than the word buffer
        b'.hidden 5 5',               # a name that begins with '.' reads back empty
        b'\\00abc 1 1',               # an escaped zero byte
        b'\\2e 2 2',                  # an escaped '.'
        b'bad\\2 1 1',                # an escape with one digit
        b'q 12x 3',
        b'+7 +8 -9',
        b'\tlast\x0b4\x0c-4',         # other white space
        b'end 1',                      # no final newline, no level
    ]))


def sound_seeds(data_dir):
    pattern = bytes(i % 251 + 1 for i in range(4100))
    # The first byte picks the file: 0 row, 1 drop, 2 bigdrop, 3 swap, 4 gameover, 5 alert, 6 illegal.
    write('sound', 'row_one_block', b'\x00' + pattern[:2048])
    write('sound', 'drop_one_sample_more', b'\x01' + pattern[:2050])
    write('sound', 'bigdrop_empty', b'\x02')
    write('sound', 'swap_odd_length', b'\x03' + pattern[:3])
    write('sound', 'gameover_one_byte', b'\x04' + pattern[:1])
    with open(os.path.join(data_dir, 'alert.raw'), 'rb') as sound:
        write('sound', 'alert_cut', b'\x05' + sound.read(1025))
    write('sound', 'illegal_two_blocks_and_a_bit', b'\x06' + pattern[:4097])


def main():
    data_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'build', 'release', 'data')
    font_seeds(data_dir)
    scores_seeds()
    sound_seeds(data_dir)


if __name__ == '__main__':
    main()
