#!/usr/bin/python3
"""Checks the structure of a Word 97-2003 document (.doc, .dot) from the format's own rules, independently of
the engine that wrote it.

    check_doc.py FILE
        every invariant of the character-property structures (FIB, piece table, bin table, FKP pages,
        font table) on FILE alone
    check_doc.py ORIGINAL RESTYLED [--expect-font NAME --expect-half-points N --stories main,header,footer]
        the invariants on RESTYLED, plus what a restyle in place must keep: every stream but WordDocument and
        the table stream byte-identical, the compound file's directory and the other streams' sectors
        unchanged, the two streams only appended to (apart from the FIB fields a restyle updates), the same
        text, and no text that had character properties before without them now; with --expect-font,
        every character of the stories named (main text, page 1's header and footer) carries that font and
        size as the last word of its properties, and all other text keeps its properties exactly.

Prints one line per finding and a verdict; exits 0 when sound, 1 on a violation, 2 when the file is not a
Word 97-2003 document that can be checked (Word 6/95, encrypted, unreadable container)."""
import argparse
import bisect
import copy
import struct
import sys

import olefile

MAX_RUNS_PER_PAGE = 101
PAGE = 512
# fc/lcb pair numbers in FibRgFcLcb97.
PAIR_PLCF_SED, PAIR_PLCF_HDD, PAIR_BTE_CHPX, PAIR_BTE_PAPX, PAIR_FFN, PAIR_DOP, PAIR_CLX = 6, 11, 12, 13, 15, 31, 33
# Character sprms the font check follows.
FTC0, FTC1, FTC2, FTC_BI, HPS, HPS_BI = 0x4A4F, 0x4A50, 0x4A51, 0x4A5E, 0x4A43, 0x4A61
RESETS = {0x4A30, 0xCA31, 0x2A33, 0xCA47, 0xCA4C, 0x2A32, 0x4A3D}          # istd, plain, majority, default
SIZE_CHANGES = {0xEA3F, 0x2A44, 0x2A46, 0xCA49, 0xCA4A, 0x4A4D}          # obsolete relative or packed sizes
FONT_SPRMS = {FTC0, FTC1, FTC2, FTC_BI}
PRM0_PLAIN = 0x53
# FIB fields that a restyle in place may change: cbMac, pnChpFirst/cpnBteChp, and the pairs it relocates.
FIB_FIELDS_UPDATED = [(0x40, 4), (0x70, 8)] + [(0x9A + 8 * pair, 8) for pair in (PAIR_BTE_CHPX, PAIR_FFN, PAIR_CLX)]


class Unsupported(Exception):
    """The file is not a Word 97-2003 document that the checker can read; not a violation."""


class Findings:
    def __init__(self):
        self.errors, self.notes = [], []

    def error(self, text):
        self.errors.append(text)

    def note(self, text):
        self.notes.append(text)


def u16(data, at):
    return struct.unpack_from("<H", data, at)[0]


def u32(data, at):
    return struct.unpack_from("<I", data, at)[0]


def sprms(grpprl):
    """(sprm, operand) pairs of a property list; ValueError when a Prl runs past the end."""
    at, out = 0, []
    while at < len(grpprl):
        if at + 2 > len(grpprl):
            raise ValueError(f"a sprm is cut short at byte {at}")
        sprm = u16(grpprl, at)
        at += 2
        spra = sprm >> 13
        if spra == 6:
            size = variable_operand_size(sprm, grpprl[at:])
        else:
            size = (1, 1, 2, 4, 2, 2, None, 3)[spra]
        if at + size > len(grpprl):
            raise ValueError(f"sprm 0x{sprm:04X} at byte {at - 2} runs past the end")
        out.append((sprm, grpprl[at:at + size]))
        at += size
    return out


def variable_operand_size(sprm, rest):
    """The operand size of a spra-6 sprm: its first byte counts the rest, except for sprmTDefTable (a 2-byte
    count that includes itself less one) and sprmPChgTabs with count 255 (sized by its two tab lists)."""
    if not rest:
        return 1
    if sprm == 0xD608:
        return 2 + u16(rest, 0) - 1 if len(rest) >= 2 else 2
    if sprm == 0xC615 and rest[0] == 255 and len(rest) >= 2:
        added_at = 2 + 4 * rest[1]
        return added_at + 1 + 3 * rest[added_at] if added_at < len(rest) else len(rest) + 1
    return 1 + rest[0]


# 8-bit text as Word stores it: cp1252, with the bytes that code page leaves undefined kept as they are.
CP1252 = [bytes([b]).decode("cp1252", errors="ignore") or chr(b) for b in range(256)]


def decode_compressed(data):
    return "".join(map(CP1252.__getitem__, data))


class Document:
    """The structures of one Word 97-2003 file that carry character properties, read from its bytes."""

    def __init__(self, path, findings):
        self.path, self.findings = path, findings
        try:
            self.ole = olefile.OleFileIO(path)
        except (OSError, ValueError, struct.error) as error:
            raise Unsupported(f"not a readable compound file ({error})")
        if not self.ole.exists("WordDocument"):
            raise Unsupported("no WordDocument stream")
        self.word = self.read_stream("WordDocument")
        self.read_fib()
        self.table = self.read_stream(self.table_name) if self.ole.exists(self.table_name) else None
        if self.table is None:
            raise Unsupported(f"the FIB names the table stream {self.table_name}, which is missing")

    def read_stream(self, name):
        try:
            return self.ole.openstream(name).read()
        except (OSError, ValueError, struct.error) as error:
            raise Unsupported(f"stream {name} cannot be read ({error})")

    # --- FIB -------------------------------------------------------------------------------------------
    def read_fib(self, base=0):
        """The FIB at base: 0 for the document, pnNext x 512 for a template's AutoText (glossary) document."""
        word = self.word
        if len(word) < base + 0x9A + 8 * 0x5D:
            raise Unsupported("the WordDocument stream is shorter than a Word 97 FIB")
        ident, self.nfib = u16(word, base), u16(word, base + 2)
        csw = u16(word, base + 0x20)
        if ident != 0xA5EC or csw != 14 or u16(word, base + 0x22 + 2 * csw) != 22:
            raise Unsupported(f"Word 6/95 or older (wIdent 0x{ident:04X}, nFib {self.nfib})")
        flags = u16(word, base + 0x0A)
        if flags & 0x0100:
            raise Unsupported("encrypted or obfuscated")
        self.is_template, self.is_glossary = bool(flags & 0x0001), bool(flags & 0x0002)
        self.table_name = "1Table" if flags & 0x0200 else "0Table"
        self.pn_next = u16(word, base + 0x08)
        self.lw = base + 0x22 + 2 * csw + 2
        self.pairs_at = self.lw + 4 * 22 + 2
        self.pair_count = u16(word, self.pairs_at - 2)
        if self.pair_count < 0x5D or self.pairs_at + 8 * self.pair_count + 2 > len(word):
            self.findings.error(f"FIB: cbRgFcLcb {self.pair_count} is too small or runs past the stream")
            self.pair_count = min(self.pair_count, 0x5D)
        self.fib_end = self.pairs_at + 8 * self.pair_count + 2
        self.fib_end += 2 * u16(word, self.fib_end - 2) if self.fib_end <= len(word) else 0
        self.cb_mac = self.lw_field(0)
        self.ccp = dict(zip(("text", "ftn", "hdd", "mcr", "atn", "edn", "txbx", "hdrtxbx"),
                            struct.unpack_from("<8i", word, self.lw + 12)))
        self.cpn_bte_chp = self.lw_field(13)

    def lw_field(self, index):
        return u32(self.word, self.lw + 4 * index)

    def pair(self, number):
        return struct.unpack_from("<II", self.word, self.pairs_at + 8 * number)

    def table_slice(self, number, name):
        """The table-stream bytes of an fc/lcb pair; None (with a finding) when they lie outside the stream."""
        fc, lcb = self.pair(number)
        if lcb == 0:
            return b""
        if fc + lcb > len(self.table):
            self.findings.error(f"FIB: {name} [{fc}, +{lcb}) runs past the table stream ({len(self.table)} bytes)")
            return None
        return self.table[fc:fc + lcb]

    # --- piece table -----------------------------------------------------------------------------------
    def read_pieces(self):
        """Pieces as (cp_start, cp_end, fc, compressed, prm); the Prcs' property lists."""
        clx = self.table_slice(PAIR_CLX, "the Clx")
        if not clx:
            raise Unsupported("no Clx (piece table)")
        at, self.prcs = 0, []
        while at < len(clx) and clx[at] == 1:
            size = struct.unpack_from("<h", clx, at + 1)[0] if at + 3 <= len(clx) else -1
            if size < 0 or size > 0x3FA2 or at + 3 + size > len(clx):
                self.findings.error(f"Clx: the Prc at byte {at} has a bad size {size}")
                raise Unsupported("unreadable piece table")
            self.prcs.append(clx[at + 3:at + 3 + size])
            at += 3 + size
        if at + 5 > len(clx) or clx[at] != 2:
            self.findings.error(f"Clx: no Pcdt at byte {at}")
            raise Unsupported("unreadable piece table")
        lcb = u32(clx, at + 1)
        plc = clx[at + 5:at + 5 + lcb]
        if len(plc) != lcb or (lcb - 4) % 12 or lcb < 16:
            self.findings.error(f"Clx: PlcPcd size {lcb} is not 4 + 12n or runs past the Clx")
            raise Unsupported("unreadable piece table")
        count = (lcb - 4) // 12
        cps = struct.unpack_from(f"<{count + 1}I", plc)
        self.pieces = []
        for i in range(count):
            flags, fc_value, prm = struct.unpack_from("<HIH", plc, 4 * (count + 1) + 8 * i)
            compressed = bool(fc_value & 0x40000000)
            fc = (fc_value & 0x3FFFFFFF) // 2 if compressed else fc_value & 0x3FFFFFFF
            self.pieces.append((cps[i], cps[i + 1], fc, compressed, prm))
        self.check_pieces(cps)

    def check_pieces(self, cps):
        error = self.findings.error
        if cps[0] != 0 or any(a >= b for a, b in zip(cps, cps[1:])):
            error("piece table: the CPs do not start at 0 and rise strictly")
        parts = [self.ccp[k] for k in ("text", "ftn", "hdd", "atn", "edn", "txbx", "hdrtxbx")]
        expected = parts[0] if not any(parts[1:]) else sum(parts) + 1
        if cps[-1] != expected:
            error(f"piece table: the last CP is {cps[-1]}, the FIB's counts give {expected}")
        spans = []
        for start, end, fc, compressed, prm in self.pieces:
            fc_end = fc + (end - start) * (1 if compressed else 2)
            if fc_end > min(self.cb_mac, len(self.word)):
                error(f"piece table: the text of CPs [{start}, {end}) ends at FC {fc_end}, past cbMac {self.cb_mac}")
            if prm & 1 and (prm >> 1) >= len(self.prcs):
                error(f"piece table: the piece at CP {start} names Prc {prm >> 1} of {len(self.prcs)}")
            spans.append((fc, fc_end, start))
        spans.sort()
        for (_, end_a, cp_a), (start_b, _, cp_b) in zip(spans, spans[1:]):
            if start_b < end_a:
                error(f"piece table: the text of the pieces at CP {cp_a} and CP {cp_b} overlaps")

    def text_spans(self, cp_start, cp_end):
        """The FC intervals (fc, fc_end, compressed, prm, cp) of a CP range, in CP order."""
        out = []
        for start, end, fc, compressed, prm in self.pieces:
            a, b = max(start, cp_start), min(end, cp_end)
            if a < b:
                width = 1 if compressed else 2
                out.append((fc + (a - start) * width, fc + (b - start) * width, compressed, prm, a))
        return out

    def text(self, cp_start, cp_end):
        parts = []
        for fc, fc_end, compressed, _, _ in self.text_spans(cp_start, cp_end):
            data = self.word[fc:fc_end]
            parts.append(decode_compressed(data) if compressed else data.decode("utf-16-le", errors="surrogatepass"))
        return "".join(parts)

    def last_cp(self):
        return self.pieces[-1][1] if self.pieces else 0

    def parts_end(self):
        """The CP after the last document part: the extra paragraph mark after the parts is in none."""
        return sum(self.ccp[k] for k in ("text", "ftn", "hdd", "atn", "edn", "txbx", "hdrtxbx"))

    # --- bin table and FKP pages -----------------------------------------------------------------------
    def read_runs(self):
        """Character runs as sorted (fc, fc_end, grpprl or None), from the bin table and its pages."""
        error = self.findings.error
        plc = self.table_slice(PAIR_BTE_CHPX, "PlcBteChpx")
        self.runs, self.bte_fcs, self.chpx_pages = [], [], []
        if plc is None:
            return
        if len(plc) < 12 or (len(plc) - 4) % 8:
            error(f"PlcBteChpx: size {len(plc)} is not 4 + 8n with n > 0")
            return
        count = (len(plc) - 4) // 8
        fcs = list(struct.unpack_from(f"<{count + 1}I", plc))
        pns = [pn & 0x3FFFFF for pn in struct.unpack_from(f"<{count}I", plc, 4 * (count + 1))]
        self.bte_fcs, self.chpx_pages = fcs, pns
        if any(a >= b for a, b in zip(fcs, fcs[1:])):
            error("PlcBteChpx: aFC does not rise strictly")
        if self.cpn_bte_chp > count:
            error(f"FIB: cpnBteChp {self.cpn_bte_chp} exceeds the {count} bin-table entries")
        for i, pn in enumerate(pns):
            self.read_page(i, pn, fcs[i], fcs[i + 1])
        self.runs.sort()

    def read_page(self, index, pn, bte_start, bte_end):
        error = self.findings.error
        where = f"CHPX page {index} (pn {pn})"
        if (pn + 1) * PAGE > min(self.cb_mac, len(self.word)):
            error(f"{where} lies past cbMac {self.cb_mac} or the stream")
            return
        if pn * PAGE < self.fib_end:
            error(f"{where} overlaps the FIB")
        page = self.word[pn * PAGE:(pn + 1) * PAGE]
        crun = page[511]
        if not 1 <= crun <= MAX_RUNS_PER_PAGE:
            error(f"{where}: crun {crun} is outside 1..{MAX_RUNS_PER_PAGE}")
            return
        rgfc = struct.unpack_from(f"<{crun + 1}I", page)
        if any(a >= b for a, b in zip(rgfc, rgfc[1:])):
            error(f"{where}: rgfc does not rise strictly")
        if rgfc[0] != bte_start or rgfc[-1] != bte_end:
            self.findings.note(f"{where}: rgfc spans [{rgfc[0]}, {rgfc[-1]}), its bin-table entry "
                               f"[{bte_start}, {bte_end})")
        array_end = 4 * (crun + 1) + crun
        for j in range(crun):
            offset = 2 * page[array_end - crun + j]
            grpprl = None
            if offset:
                if offset < array_end or offset >= 511:
                    error(f"{where}: rgb[{j}] points at byte {offset}, outside the Chpx area [{array_end}, 511)")
                    continue
                cb = page[offset]
                if offset + 1 + cb > 511:
                    error(f"{where}: the Chpx at byte {offset} ({cb} bytes) runs past the page")
                    continue
                grpprl = page[offset + 1:offset + 1 + cb]
                self.check_grpprl(grpprl, f"{where}, run {j}")
            start, end = max(rgfc[j], bte_start), min(rgfc[j + 1], bte_end)
            if start < end:
                self.runs.append((start, end, grpprl))

    def papx_pages(self):
        plc = self.table_slice(PAIR_BTE_PAPX, "PlcBtePapx") or b""
        count = (len(plc) - 4) // 8 if len(plc) >= 12 else 0
        return [pn & 0x3FFFFF for pn in struct.unpack_from(f"<{count}I", plc, 4 * (count + 1))]

    def check_grpprl(self, grpprl, where):
        try:
            for sprm, operand in sprms(grpprl):
                if sprm in FONT_SPRMS and struct.unpack("<h", operand)[0] not in range(len(self.fonts)):
                    self.findings.error(f"{where}: sprm 0x{sprm:04X} names font {struct.unpack('<h', operand)[0]}"
                                        f" of {len(self.fonts)}")
                if sprm == HPS and not 2 <= u16(operand, 0) <= 3276:
                    self.findings.error(f"{where}: sprmCHps {u16(operand, 0)} is outside 2..3276")
        except ValueError as problem:
            self.findings.error(f"{where}: {problem}")

    def covered(self):
        """Merged FC intervals that have a run."""
        return merged((start, end) for start, end, _ in self.runs)

    # --- font table ------------------------------------------------------------------------------------
    def read_fonts(self):
        self.fonts = []
        data = self.table_slice(PAIR_FFN, "SttbfFfn")
        if not data or len(data) < 4:
            self.findings.error("SttbfFfn: missing or too short")
            return
        count, extra = u16(data, 0), u16(data, 2)
        if count == 0xFFFF or extra != 0 or count > 0x7FF0:
            self.findings.error(f"SttbfFfn: cData {count} or cbExtra {extra} is not allowed")
            return
        at = 4
        for index in range(count):
            size = data[at] if at < len(data) else 0
            ffn = data[at + 1:at + 1 + size]
            if size < 41 or len(ffn) < size:
                self.findings.error(f"SttbfFfn: font {index} ({size} bytes) is short or runs past the table")
                return
            name = ffn[39:].decode("utf-16-le", errors="replace").split("\0")[0]
            self.fonts.append(name)
            at += 1 + size

    # --- stories ---------------------------------------------------------------------------------------
    def header_stories(self):
        """CPs (absolute) where each header story starts, plus the end; [] without headers or when the plex
        is damaged (its CPs must rise to ccpHdd - 1, the last story's guard mark)."""
        data = self.table_slice(PAIR_PLCF_HDD, "Plcfhdd")
        if not data or self.ccp["hdd"] <= 0:
            return []
        cps = struct.unpack_from(f"<{len(data) // 4}I", data)[:-1]
        if not cps or any(a > b for a, b in zip(cps, cps[1:])) or cps[-1] != self.ccp["hdd"] - 1:
            return []
        base = self.ccp["text"] + self.ccp["ftn"]
        return [base + cp for cp in cps]

    def check_header_plex(self):
        if self.ccp["hdd"] <= 0:
            return
        data = self.table_slice(PAIR_PLCF_HDD, "Plcfhdd")
        if data is not None and (len(data) < 8 or len(data) % 4):
            self.findings.error(f"Plcfhdd: {len(data)} bytes for a header document of {self.ccp['hdd']} CPs")
        elif data and not self.header_stories():
            self.findings.error(f"Plcfhdd: the story CPs are out of order or do not end at ccpHdd - 1 "
                                f"({self.ccp['hdd'] - 1})")

    def first_page_stories(self):
        """(header, footer) CP ranges that page 1 shows, each None when empty or absent (title page ->
        first-page stories; facing pages with an even first page number -> even stories; else odd)."""
        starts = self.header_stories()
        if len(starts) < 6 + 6 + 1:
            return None, None
        title, restart, start_number = False, False, 0
        sed = self.table_slice(PAIR_PLCF_SED, "PlcfSed")
        if sed and len(sed) >= 4 + 4 + 12:
            fc_sepx = struct.unpack_from("<i", sed, 4 * ((len(sed) - 4) // 16 + 1) + 2)[0]
            if 0 <= fc_sepx and fc_sepx + 2 <= len(self.word):
                size = struct.unpack_from("<h", self.word, fc_sepx)[0]
                try:
                    for sprm, operand in sprms(self.word[fc_sepx + 2:fc_sepx + 2 + max(size, 0)]):
                        if sprm == 0x300A:
                            title = operand[0] != 0
                        elif sprm == 0x3011:
                            restart = operand[0] != 0
                        elif sprm in (0x501C, 0x7044):
                            start_number = u16(operand, 0) if sprm == 0x501C else u32(operand, 0)
                except ValueError:
                    pass
        dop = self.table_slice(PAIR_DOP, "Dop") or b"\0"
        facing = bool(dop[0] & 1)
        even = facing and (start_number if restart else 1) % 2 == 0
        header, footer = (4, 5) if title else (0, 2) if even else (1, 3)

        def story(k):
            start, end = starts[6 + k], starts[7 + k]
            return (start, end - 1) if end > start + 1 else None     # the guard paragraph mark is not in it
        return story(header), story(footer)


def merged(intervals):
    """Sorted (start, end) intervals with the touching and overlapping ones joined."""
    out = []
    for start, end in intervals:
        if out and start <= out[-1][1]:
            out[-1] = (out[-1][0], max(out[-1][1], end))
        else:
            out.append((start, end))
    return out


# --- checks ----------------------------------------------------------------------------------------------
def subtract(spans, covered):
    """The parts of the (fc, fc_end) spans that no covered interval holds."""
    starts = [c[0] for c in covered]
    gaps = []
    for fc, fc_end in spans:
        at = fc
        i = max(bisect.bisect_right(starts, at) - 1, 0)
        while at < fc_end and i < len(covered):
            start, end = covered[i]
            if end <= at:
                i += 1
                continue
            if start > at:
                gaps.append((at, min(start, fc_end)))
            at = max(at, end)
            i += 1
        if at < fc_end:
            gaps.append((at, fc_end))
    return gaps


def check_invariants(doc, findings, full_coverage=True):
    error = findings.error
    if doc.cb_mac > len(doc.word):
        error(f"FIB: cbMac {doc.cb_mac} is past the end of WordDocument ({len(doc.word)} bytes)")
    doc.read_fonts()
    doc.read_pieces()
    doc.read_runs()
    doc.check_header_plex()
    if doc.text(doc.ccp["text"] - 1, doc.ccp["text"]) != "\r":
        error("main text: the last character is not a paragraph mark")
    for i, grpprl in enumerate(doc.prcs):
        doc.check_grpprl(grpprl, f"Prc {i}")
    spans = doc.text_spans(0, doc.parts_end())
    text = merged(sorted((fc, fc_end) for fc, fc_end, *_ in spans))
    gaps = subtract(text, doc.covered())
    if gaps and full_coverage:
        error(f"bin table: {sum(b - a for a, b in gaps)} bytes of text have no run, first FC {gaps[0][0]}")
    papx_pages = set(doc.papx_pages())
    for index, pn in enumerate(doc.chpx_pages):
        page = (pn * PAGE, (pn + 1) * PAGE)
        if subtract([page], text) != [page]:
            error(f"CHPX page {index} (pn {pn}) overlaps text")
        if pn in papx_pages:
            error(f"CHPX page {index} (pn {pn}) is also a paragraph-property page")
    wide = sorted((start, end, cp) for start, end, compressed, _, cp in spans if not compressed)
    wide_starts = [piece[0] for piece in wide]
    for fc in sorted({run[0] for run in doc.runs} | {run[1] for run in doc.runs}):
        i = bisect.bisect_right(wide_starts, fc) - 1
        if i >= 0 and wide[i][0] < fc < wide[i][1] and (fc - wide[i][0]) % 2:
            error(f"bin table: the run edge FC {fc} splits a character of the piece at CP {wide[i][2]}")
    if doc.pn_next and doc.is_template:
        check_glossary_coverage(doc, findings, full_coverage)
        glossary = doc.pn_next * PAGE
        same = [(0x40, 4)] + [(0x9A + 8 * pair, 8) for pair in (PAIR_BTE_CHPX, PAIR_BTE_PAPX)]
        shifted = [doc.word[glossary + at:glossary + at + size] for at, size in same]
        if [doc.word[at:at + size] for at, size in same] != shifted:
            error("glossary FIB: cbMac or the bin-table pointers differ from the main FIB's")


def check_glossary_coverage(doc, findings, full_coverage):
    """A template's AutoText document shares the bin table: its text must be covered too."""
    glossary = copy.copy(doc)
    try:
        glossary.read_fib(doc.pn_next * PAGE)
        glossary.table = glossary.read_stream(glossary.table_name)
        glossary.read_pieces()
    except Unsupported as problem:
        findings.error(f"glossary FIB at page {doc.pn_next}: {problem}")
        return
    text = merged(sorted((fc, end) for fc, end, *_ in glossary.text_spans(0, glossary.parts_end())))
    gaps = subtract(text, doc.covered())
    if gaps and full_coverage:
        findings.error(f"bin table: {sum(b - a for a, b in gaps)} bytes of AutoText have no run, first FC {gaps[0][0]}")


def check_container(original, restyled, findings):
    """Every stream but the two changed ones, the directory and the header are as they were."""
    error = findings.error
    changed = {"worddocument", original.table_name.lower()}
    old_ole, new_ole = original.ole, restyled.ole
    old_paths = sorted("/".join(p) for p in old_ole.listdir(streams=True, storages=True))
    new_paths = sorted("/".join(p) for p in new_ole.listdir(streams=True, storages=True))
    if old_paths != new_paths:
        error("container: the streams and storages differ: "
              f"{sorted(set(old_paths) ^ set(new_paths))}")
        return
    for path in old_paths:
        if path.lower() in changed or old_ole.get_type(path) != olefile.STGTY_STREAM:
            continue
        if old_ole.openstream(path).read() != new_ole.openstream(path).read():
            error(f"container: stream {path!r} changed")
    with open(original.path, "rb") as f:
        old_header = f.read(512)
    with open(restyled.path, "rb") as f:
        new_header = f.read(512)
    for start, end, what in ((0, 0x2C, "signature, CLSID, version or sector sizes"), (0x30, 0x3C, "directory start,"
                             " transaction signature or mini-stream cutoff")):
        if old_header[start:end] != new_header[start:end]:
            error(f"container: the header's {what} changed")
    old_dir, new_dir = raw_directory(old_ole), raw_directory(new_ole)
    may_move = {0} | {kid.sid for kid in old_ole.root.kids if kid.name.lower() in changed}
    for sid in range(max(len(old_dir), len(new_dir))):
        old_entry, new_entry = old_dir[sid:sid + 1], new_dir[sid:sid + 1]
        if not old_entry or not new_entry:
            if (old_entry or new_entry)[0][0x42] != 0:
                error(f"container: directory entry {sid} was added or removed")
            continue
        limit = 0x74 if sid in may_move else 128
        if old_entry[0][:limit] != new_entry[0][:limit]:
            error(f"container: directory entry {sid} ({name_of(old_entry[0])}) changed")
        elif sid not in may_move and old_entry[0][0x42] == 2 and chain(old_ole, sid) != chain(new_ole, sid):
            error(f"container: the sectors of {name_of(old_entry[0])} moved")


def raw_directory(ole):
    ole.directory_fp.seek(0)
    data = ole.directory_fp.read()
    return [data[i:i + 128] for i in range(0, len(data) - 127, 128)]


def name_of(entry):
    length = min(u16(entry, 0x40), 64)
    return entry[:max(length - 2, 0)].decode("utf-16-le", errors="replace")


def chain(ole, sid):
    """The sector numbers of a stream, in its FAT or mini FAT; bounded so that a loop cannot hang."""
    entry = ole.direntries[sid] or ole._load_direntry(sid)
    mini = entry.size < ole.minisectorcutoff
    if mini and ole.minifat is None:
        ole.loadminifat()
    table = ole.minifat if mini else ole.fat
    out, sector = [], entry.isectStart
    while sector < len(table) and len(out) <= len(table):
        out.append(sector)
        sector = table[sector]
    return ("mini" if mini else "fat", out)


def check_appended(original, restyled, findings):
    """The two changed streams keep their old bytes: WordDocument apart from the FIB fields a restyle
    updates (in the glossary FIB too), the table stream as a prefix."""
    old, new = original.word, restyled.word
    if len(new) < len(old) or len(restyled.table) < len(original.table):
        findings.error("WordDocument or the table stream shrank")
        return
    if restyled.table[:len(original.table)] != original.table:
        first = next(i for i, (a, b) in enumerate(zip(original.table, restyled.table)) if a != b)
        findings.error(f"table stream: old bytes changed (first at {first}); new data must be appended")
    allowed = bytearray(len(old))
    bases = [0] + ([original.pn_next * PAGE] if original.pn_next and original.is_template else [])
    for base in bases:
        for at, size in FIB_FIELDS_UPDATED:
            allowed[base + at:base + at + size] = b"\1" * size
    diff = [i for i in range(len(old)) if old[i] != new[i] and not allowed[i]] if old != new[:len(old)] else []
    if diff:
        findings.error(f"WordDocument: {len(diff)} old bytes changed outside the FIB fields a restyle "
                       f"updates (first at {diff[0]})")
    if new != old and restyled.cb_mac != len(new):
        findings.error(f"FIB: cbMac {restyled.cb_mac} is not the grown WordDocument's length {len(new)}")


def check_compared(original, restyled, findings):
    check_container(original, restyled, findings)
    check_appended(original, restyled, findings)
    if original.text(0, original.last_cp()) != restyled.text(0, restyled.last_cp()):
        findings.error("text: the document's text differs")
    if original.ccp != restyled.ccp:
        findings.error("FIB: the CP counts of the document parts differ")
    old_text = merged(sorted((fc, fc_end) for fc, fc_end, *_ in original.text_spans(0, original.parts_end())))
    lost = subtract(subtract(old_text, subtract(old_text, original.covered())), restyled.covered())
    if lost:
        findings.error(f"bin table: {sum(b - a for a, b in lost)} bytes of text lost their run, first FC {lost[0][0]}")
    if original.bte_fcs and restyled.bte_fcs:
        # The bin table keeps its ends; it may only reach further to take in text that had no run.
        (old_first, old_last), (new_first, new_last) = ((d.bte_fcs[0], d.bte_fcs[-1]) for d in (original, restyled))
        if new_first > old_first or new_first < min(old_first, old_text[0][0]):
            findings.error(f"bin table: aFC[0] moved from {old_first} to {new_first}")
        if new_last < old_last or new_last > max(old_last, old_text[-1][1]):
            findings.error(f"bin table: aFC[n] moved from {old_last} to {new_last}")


def formatting_by_cp(doc, cp_start, cp_end):
    """The direct formatting over a CP range as (cp, cp_end, (run grpprl, piece Prm or its Prc)), joined where
    equal; text without a run counts as a run without properties."""
    out, starts = [], [run[0] for run in doc.runs]
    for fc, fc_end, compressed, prm, cp in doc.text_spans(cp_start, cp_end):
        width = 1 if compressed else 2
        piece = doc.prcs[prm >> 1] if prm & 1 and (prm >> 1) < len(doc.prcs) else prm
        at, i = fc, max(bisect.bisect_right(starts, fc) - 1, 0)
        while at < fc_end:
            run = doc.runs[i] if i < len(doc.runs) else None
            if run and run[1] <= at:
                i += 1
                continue
            inside = run is not None and run[0] <= at
            end = min(run[1] if inside else run[0] if run else fc_end, fc_end)
            formatting = ((run[2] or b"") if inside else b"", piece)
            a, b = cp + (at - fc) // width, cp + (end - fc) // width
            if out and out[-1][1] == a and out[-1][2] == formatting:
                out[-1] = (out[-1][0], b, formatting)
            else:
                out.append((a, b, formatting))
            at, i = end, i + inside
    return out


def effective_font_and_size(doc, formatting):
    """(ascii font, other font, half-points, complex-script half-points) that a run's direct formatting sets
    last, None where a later reset hands it back to the style."""
    grpprl, piece = formatting
    sequence = sprms(grpprl)
    if isinstance(piece, bytes):
        sequence += sprms(piece)
    elif (piece >> 1) & 0x7F == PRM0_PLAIN:
        sequence.append((0x2A33, b"\0"))
    values = [None] * 4
    for sprm, operand in sequence:
        if sprm in RESETS:
            values = [None] * 4
        elif sprm in SIZE_CHANGES:
            values[2] = values[3] = None
        elif sprm in (FTC0, FTC2, HPS, HPS_BI):
            values[(FTC0, FTC2, HPS, HPS_BI).index(sprm)] = struct.unpack("<h", operand)[0]
    names = [doc.fonts[v].lower() if v is not None and 0 <= v < len(doc.fonts) else v for v in values[:2]]
    return names + values[2:]


def story_ranges(doc, stories, findings):
    header, footer = doc.first_page_stories()
    ranges = {"main": (0, doc.ccp["text"]), "header": header, "footer": footer}
    for story in stories:
        if ranges.get(story) is None:
            findings.note(f"{story}: page 1 shows no such story; nothing to check")
    return {story: ranges[story] for story in stories if ranges.get(story)}


def check_expected_font(doc, findings, font, half_points, ranges):
    wanted = [font.lower(), font.lower(), half_points, half_points]
    for story, (start, end) in ranges.items():
        wrong = [(a, values) for a, _, formatting in formatting_by_cp(doc, start, end)
                 if (values := effective_font_and_size(doc, formatting)) != wanted]
        for cp, values in wrong[:3]:
            findings.error(f"{story}: the text at CP {cp} ends with font, other font, size, complex-script size "
                           f"{values}, expected {wanted}")
        if len(wrong) > 3:
            findings.error(f"{story}: {len(wrong)} runs in all lack the expected font and size")


def check_untouched(original, restyled, findings, ranges):
    """Text outside the restyled stories keeps exactly its direct formatting."""
    edges = sorted(ranges.values())
    outside, at = [], 0
    for start, end in edges + [(original.last_cp(), original.last_cp())]:
        if at < start:
            outside.append((at, start))
        at = max(at, end)
    for start, end in outside:
        before, after = formatting_by_cp(original, start, end), formatting_by_cp(restyled, start, end)
        if before != after:
            cp = next((a[0] for a, b in zip(before, after) if a != b), start)
            findings.error(f"outside the restyled stories: the formatting at CP {cp} changed")
            return


def check(original_path, restyled_path=None, font=None, half_points=None, stories=("main",)):
    """Findings about one file, or about a restyled file against its original; raises Unsupported."""
    findings = Findings()
    try:
        original = Document(original_path, Findings() if restyled_path else findings)
        if not restyled_path:
            check_invariants(original, findings)
            return findings
        restyled = Document(restyled_path, findings)
        original.read_fonts()
        original.read_pieces()
        original.read_runs()
        check_invariants(restyled, findings, full_coverage=False)
        check_compared(original, restyled, findings)
        if font:
            ranges = story_ranges(original, stories, findings)
            check_expected_font(restyled, findings, font, half_points, ranges)
            check_untouched(original, restyled, findings, ranges)
    except (struct.error, IndexError, ValueError) as problem:
        findings.error(f"a structure could not be read ({type(problem).__name__}: {problem})")
    return findings


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("original")
    parser.add_argument("restyled", nargs="?")
    parser.add_argument("--expect-font")
    parser.add_argument("--expect-half-points", type=int)
    parser.add_argument("--stories", default="main")
    parser.add_argument("--quiet", action="store_true", help="print only the verdict line")
    args = parser.parse_args()
    try:
        findings = check(args.original, args.restyled or (args.original if args.expect_font else None),
                         args.expect_font, args.expect_half_points, args.stories.split(","))
    except Unsupported as reason:
        print(f"unsupported: {reason}")
        return 2
    if not args.quiet:
        for line in findings.errors:
            print("error:", line)
        for line in findings.notes:
            print("note:", line)
    print(f"{'FAILED' if findings.errors else 'sound'}: {len(findings.errors)} violations, {len(findings.notes)} notes")
    return 1 if findings.errors else 0


if __name__ == "__main__":
    sys.exit(main())
