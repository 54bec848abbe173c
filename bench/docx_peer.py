#!/usr/bin/python3
"""The python-docx peer of the restyle benchmark: gives every run of the main text (tables included) and
of the first section's header and footer the font and size, and saves each document in place.

Usage: docx_peer.py FONT POINTS FILE..."""
import sys

import docx
from docx.shared import Pt


def paragraphs_of(container):
    yield from container.paragraphs
    for table in container.tables:
        for row in table.rows:
            for cell in row.cells:
                yield from paragraphs_of(cell)


def restyle(path, font, points):
    document = docx.Document(path)
    section = document.sections[0]
    for container in (document, section.header, section.footer):
        for paragraph in paragraphs_of(container):
            for run in paragraph.runs:
                run.font.name = font
                run.font.size = points
    document.save(path)


def main():
    font, points = sys.argv[1], Pt(float(sys.argv[2]))
    for path in sys.argv[3:]:
        restyle(path, font, points)


if __name__ == "__main__":
    main()
