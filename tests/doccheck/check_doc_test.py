#!/usr/bin/python3
"""Shows that scripts/doccheck/check_doc.py passes the sound fixtures and catches each kind of fault that a
restyle in place could bring: every case damages one thing in a copy of a fixture, in place with the
compound file's own sizes, and expects the checker to name it."""
import os
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

import olefile

ROOT = pathlib.Path(__file__).resolve().parents[2]
FIXTURES = ROOT / "tests" / "data" / "doc"
CHECKER = ROOT / "scripts" / "doccheck" / "check_doc.py"
sys.path.insert(0, str(CHECKER.parent))
import check_doc  # noqa: E402


def run_checker(*arguments):
    """The checker's exit status and output, as a separate program."""
    result = subprocess.run([sys.executable, str(CHECKER), *map(str, arguments)], capture_output=True, text=True)
    return result.returncode, result.stdout


def findings_of(*paths, font=None, half_points=None, stories=("main",)):
    """The checker's findings, in this process (quicker than a program per case); all errors as one text."""
    findings = check_doc.check(*map(str, paths), font=font, half_points=half_points, stories=stories)
    return "\n".join(findings.errors)


def structures(path):
    doc = check_doc.Document(str(path), check_doc.Findings())
    doc.read_fonts()
    doc.read_pieces()
    doc.read_runs()
    return doc


def first_formatted_run(doc):
    """The page offset of the first Chpx that sets a font, and its page's start in WordDocument."""
    for index, pn in enumerate(doc.chpx_pages):
        page = doc.word[pn * 512:(pn + 1) * 512]
        crun = page[511]
        for j in range(crun):
            offset = 2 * page[4 * (crun + 1) + j]
            if offset and check_doc.FTC0 in dict(check_doc.sprms(page[offset + 1:offset + 1 + page[offset]])):
                return pn * 512, offset
    raise AssertionError("the fixture has no Chpx that sets a font")


def put(data, at, fmt, value):
    data = bytearray(data)
    struct.pack_into(fmt, data, at, value)
    return bytes(data)


# Each case: (name, fixture, change of the WordDocument stream, text the checker must print).
def bad_crun(doc):
    return put(doc.word, doc.chpx_pages[0] * 512 + 511, "<B", 102)


def bad_rgb(doc):
    page = doc.chpx_pages[0] * 512
    return put(doc.word, page + 4 * (doc.word[page + 511] + 1), "<B", 1)


def unsorted_fkp(doc):
    page = doc.chpx_pages[0] * 512
    return put(doc.word, page + 4, "<I", struct.unpack_from("<I", doc.word, page)[0])


def font_out_of_range(doc):
    page, offset = first_formatted_run(doc)
    grpprl_at = page + offset + 1
    sprm_at = next(at for at in range(grpprl_at, grpprl_at + doc.word[page + offset])
                   if struct.unpack_from("<H", doc.word, at)[0] == check_doc.FTC0)
    return put(doc.word, sprm_at + 2, "<h", len(doc.fonts))


def cb_mac_past_end(doc):
    return put(doc.word, 0x40, "<I", len(doc.word) + 512)


def too_many_bin_pages(doc):
    return put(doc.word, doc.lw + 4 * 13, "<I", len(doc.chpx_pages) + 1)


def changed_text(doc):
    return put(doc.word, doc.pieces[0][2], "<B", ord("Z"))


def moved_fib_field(doc):
    return put(doc.word, doc.pairs_at + 8 * check_doc.PAIR_BTE_PAPX, "<I", 0)


SINGLE_FILE_CASES = [
    ("crun above 101", "headers.doc", bad_crun, "crun 102"),
    ("rgb inside the arrays", "headers.doc", bad_rgb, "outside the Chpx area"),
    ("rgfc not rising", "headers.doc", unsorted_fkp, "rgfc does not rise"),
    ("font index past the table", "headers.doc", font_out_of_range, "names font 7 of 7"),
    ("cbMac past the stream", "notes.doc", cb_mac_past_end, "cbMac"),
    ("cpnBteChp above the entries", "tables.doc", too_many_bin_pages, "cpnBteChp 2 exceeds"),
]
PAIR_CASES = [
    ("a character of the text", "lists.doc", changed_text, "text: the document's text differs"),
    ("a FIB field a restyle keeps", "fields.doc", moved_fib_field, "old bytes changed outside the FIB fields"),
]


class CheckerTest(unittest.TestCase):
    def setUp(self):
        self.folder = pathlib.Path(tempfile.mkdtemp())

    def tearDown(self):
        shutil.rmtree(self.folder)

    def damaged_copy(self, fixture, stream, change):
        path = self.folder / fixture
        shutil.copyfile(FIXTURES / fixture, path)
        with olefile.OleFileIO(str(path), write_mode=True) as ole:
            ole.write_stream(stream, change(structures(path)) if stream == "WordDocument" else change(ole))
        return path

    def test_every_fixture_is_sound_alone_and_against_itself(self):
        for fixture in sorted(os.listdir(FIXTURES)):
            with self.subTest(fixture):
                self.assertEqual(findings_of(FIXTURES / fixture), "")
                self.assertEqual(findings_of(FIXTURES / fixture, FIXTURES / fixture), "")

    def test_the_program_exits_with_the_verdict(self):
        self.assertEqual(run_checker(FIXTURES / "headers.doc"), (0, "sound: 0 violations, 0 notes\n"))
        path = self.damaged_copy("headers.doc", "WordDocument", bad_crun)
        self.assertEqual(run_checker(path)[0], 1)
        path.write_bytes(b"not a compound file")
        self.assertEqual(run_checker(path)[0], 2)

    def test_single_file_faults(self):
        for name, fixture, change, expected in SINGLE_FILE_CASES:
            with self.subTest(name):
                self.assertIn(expected, findings_of(self.damaged_copy(fixture, "WordDocument", change)))

    def test_faults_against_the_original(self):
        for name, fixture, change, expected in PAIR_CASES:
            with self.subTest(name):
                damaged = self.damaged_copy(fixture, "WordDocument", change)
                self.assertIn(expected, findings_of(FIXTURES / fixture, damaged))

    def test_another_stream_changed(self):
        def summary_changed(ole):
            data = bytearray(ole.openstream("\x05SummaryInformation").read())
            data[-1] ^= 0xFF
            return bytes(data)
        path = self.damaged_copy("picture.doc", "\x05SummaryInformation", summary_changed)
        self.assertIn("stream '\\x05SummaryInformation' changed", findings_of(FIXTURES / "picture.doc", path))

    def test_directory_entry_changed(self):
        path = self.folder / "headers.doc"
        shutil.copyfile(FIXTURES / "headers.doc", path)
        with olefile.OleFileIO(str(path)) as ole:
            root_entry = (ole.first_dir_sector + 1) * ole.sectorsize
        with open(path, "r+b") as f:
            f.seek(root_entry + 0x60)          # the root's state bits
            f.write(b"\x01")
        self.assertIn("directory entry 0", findings_of(FIXTURES / "headers.doc", path))

    def test_unrestyled_text_fails_the_expected_font(self):
        output = findings_of(FIXTURES / "headers.doc", FIXTURES / "headers.doc", font="DejaVu Serif",
                             half_points=26, stories=("main", "header", "footer"))
        for story in ("main:", "header:", "footer:"):
            self.assertIn(story, output)


if __name__ == "__main__":
    unittest.main()
