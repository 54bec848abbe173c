#!/usr/bin/env python3
"""Writes the window's hand cursor (HAND-M.CUR) and the list's drag image (drag.ico).

Each picture is drawn below as text: '#' black, '.' white, ' ' transparent. The files hold one
32 x 32 image with 32-bit colour and alpha, in the cursor and icon file layout. Run once; the
outputs are committed beside this script.
"""
import struct
import sys
from pathlib import Path

SIZE = 32

HAND = """
      ##
     #..#
     #..#
     #..#
     #..#
     #..###
     #..#..###
     #..#..#..##
  ## #..#..#..#.#
 #..##........#.#
 #...#..........#
  #.............#
   #............#
   #...........#
    #..........#
    #.........#
     #........#
     #........#
     ##########
"""
HAND_HOTSPOT = (7, 1)  # the tip of the finger

DRAG = """
###########
#.........##
#.........#.#
#.........####
#............#
#..######....#
#............#
#..########..#
#............#
#..#######...#
#............#
#..########..#
#............#
#............#
##############
"""


def pixels(picture):
    rows = picture.strip("\n").split("\n")
    grid = [[" "] * SIZE for _ in range(SIZE)]
    for y, row in enumerate(rows):
        for x, mark in enumerate(row):
            grid[y][x] = mark
    return grid


def image_data(grid):
    colours = {"#": (0, 0, 0, 255), ".": (255, 255, 255, 255), " ": (0, 0, 0, 0)}
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour_rows = b""
    mask_rows = b""
    for row in reversed(grid):  # bottom-up, as in a bitmap
        mask_bits = 0
        for x, mark in enumerate(row):
            r, g, b, a = colours[mark]
            colour_rows += bytes((b, g, r, a))
            if a == 0:
                mask_bits |= 1 << (SIZE - 1 - x)
        mask_rows += mask_bits.to_bytes(SIZE // 8, "big")
    return header + colour_rows + mask_rows


def picture_file(grid, file_type, hotspot):
    data = image_data(grid)
    directory = struct.pack("<HHH", 0, file_type, 1)
    planes_or_x, bits_or_y = hotspot if file_type == 2 else (1, 32)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, planes_or_x, bits_or_y, len(data), 6 + 16)
    return directory + entry + data


def main():
    folder = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent
    (folder / "HAND-M.CUR").write_bytes(picture_file(pixels(HAND), 2, HAND_HOTSPOT))
    (folder / "drag.ico").write_bytes(picture_file(pixels(DRAG), 1, None))


if __name__ == "__main__":
    main()
