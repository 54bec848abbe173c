#!/usr/bin/env python3
"""Writes the fuzz target's seed corpus into the folder given: small packages (as files), part lists
(document, settings, header and footer markup separated by the target's part separator) and small Word
97-2003 compound files (the project's fixtures)."""
import pathlib
import shutil
import struct
import sys
import zipfile

W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
W_STRICT = "http://purl.oclc.org/ooxml/wordprocessingml/main"
R = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
R_STRICT = "http://purl.oclc.org/ooxml/officeDocument/relationships"
DECL = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
MAIN_TYPE = "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"
SEPARATOR = "\n#PART#\n"
DOC_FIXTURES = pathlib.Path(__file__).resolve().parents[1] / "tests" / "data" / "doc"
COMPOUND_SEED_LIMIT = 16 * 1024

BODIES = {
    "plain": '<w:p><w:r><w:t xml:space="preserve">Hello </w:t></w:r></w:p>',
    "sections": '<w:p><w:r><w:t>A</w:t></w:r></w:p><w:sectPr><w:headerReference w:type="default" r:id="rH1"/>'
                '<w:footerReference w:type="default" r:id="rF1"/><w:titlePg/></w:sectPr>',
    "numbered": '<w:p><w:pPr><w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr></w:pPr>'
                '<w:r><w:rPr><w:rFonts w:asciiTheme="minorHAnsi"/><w:sz w:val="20"/></w:rPr><w:t>x</w:t></w:r></w:p>',
    "tracked": '<w:p><w:ins w:id="1" w:author="a" w:date="2020-01-01T00:00:00Z"><w:r><w:t>n</w:t></w:r></w:ins>'
               '<w:del w:id="2" w:author="a"><w:r><w:delText>o</w:delText></w:r></w:del>'
               '<w:r><w:rPr><w:b/><w:rPrChange w:id="3" w:author="a"><w:rPr/></w:rPrChange></w:rPr>'
               '<w:t>c</w:t></w:r></w:p>',
    "nested": '<w:tbl><w:tr><w:tc><w:p><w:hyperlink r:id="x"><w:r><w:t>l</w:t></w:r></w:hyperlink>'
              '<w:sdt><w:sdtPr><w:rPr/></w:sdtPr><w:sdtContent><w:r><w:t>s</w:t></w:r></w:sdtContent></w:sdt>'
              '<mc:AlternateContent><mc:Choice Requires="w14"><w:r/></mc:Choice><mc:Fallback><w:r/>'
              '</mc:Fallback></mc:AlternateContent></w:p></w:tc></w:tr></w:tbl>',
}


def document(body, ns=W, rel_ns=R):
    return (f'{DECL}<w:document xmlns:w="{ns}" xmlns:r="{rel_ns}" '
            'xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006" '
            f'xmlns:m="http://schemas.openxmlformats.org/officeDocument/2006/math"><w:body>{body}</w:body></w:document>')


def story(root, ns=W):
    return f'{DECL}<w:{root} xmlns:w="{ns}"><w:p><w:r><w:t>{root}</w:t></w:r></w:p></w:{root}>'


def settings(inner, ns=W):
    return f'{DECL}<w:settings xmlns:w="{ns}">{inner}</w:settings>'


def rels(entries):
    body = "".join(f'<Relationship Id="{i}" Type="{t}" Target="{g}"/>' for i, t, g in entries)
    return f'{DECL}<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">{body}</Relationships>'


def package(path, doc, rel_base=R.replace("/relationships", "/relationships/"), extra=(), stored=False,
            main_type=MAIN_TYPE):
    types = (f'{DECL}<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
             '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
             '<Default Extension="xml" ContentType="application/xml"/>'
             f'<Override PartName="/word/document.xml" ContentType="{main_type}"/></Types>')
    doc_rels = [("rS", rel_base + "settings", "settings.xml"), ("rH1", rel_base + "header", "header1.xml"),
                ("rF1", rel_base + "footer", "footer1.xml"), ("rN", rel_base + "numbering", "numbering.xml")]
    method = zipfile.ZIP_STORED if stored else zipfile.ZIP_DEFLATED
    with zipfile.ZipFile(path, "w", method) as archive:
        archive.writestr("[Content_Types].xml", types)
        archive.writestr("_rels/.rels", rels([("rId1", rel_base + "officeDocument", "word/document.xml")]))
        archive.writestr("word/document.xml", doc)
        archive.writestr("word/_rels/document.xml.rels", rels(doc_rels))
        for name, data in extra:
            archive.writestr(name, data)


def with_trailing_data(fixture):
    """The fixture (512-byte sectors, one FAT sector) with its Data stream grown to 8 KiB of regular sectors
    appended at the end of the file, after the directory, as in files whose pictures come last: cutting such a
    file short cuts a stream the restyle does not read, and leaves the structures it reads whole."""
    data = bytearray(fixture)
    fat_at = (struct.unpack_from("<I", data, 0x4C)[0] + 1) * 512
    directory = struct.unpack_from("<I", data, 0x30)[0]
    first = len(data) // 512 - 1
    count = 16
    if first + count > 128:
        return None
    for i in range(count):
        struct.pack_into("<I", data, fat_at + (first + i) * 4, first + i + 1 if i + 1 < count else 0xFFFFFFFE)
    data += bytes(range(256)) * (count * 2)
    while directory < 0xFFFFFFFA:
        for slot in range(4):
            entry = (directory + 1) * 512 + slot * 128
            if data[entry:entry + 8] == "Data".encode("utf-16-le"):
                struct.pack_into("<II", data, entry + 0x74, first, count * 512)
                return bytes(data)
        directory = struct.unpack_from("<I", data, fat_at + directory * 4)[0]
    return None


def main(folder):
    out = pathlib.Path(folder)
    out.mkdir(parents=True, exist_ok=True)
    numbering = (f'{DECL}<w:numbering xmlns:w="{W}"><w:abstractNum w:abstractNumId="0"><w:lvl w:ilvl="0">'
                 '<w:numFmt w:val="bullet"/><w:rPr><w:rFonts w:ascii="Symbol" w:hAnsi="Symbol"/></w:rPr></w:lvl>'
                 '</w:abstractNum><w:num w:numId="1"><w:abstractNumId w:val="0"/></w:num></w:numbering>')
    parts = [("word/settings.xml", settings('<w:trackRevisions/><w:evenAndOddHeaders/>')),
             ("word/header1.xml", story("hdr")), ("word/footer1.xml", story("ftr")),
             ("word/numbering.xml", numbering)]
    for name, body in BODIES.items():
        package(out / f"seed-{name}.docx", document(body), extra=parts)
        (out / f"parts-{name}.txt").write_text(
            SEPARATOR.join([document(body), settings('<w:trackRevisions/>'), story("hdr"), story("ftr")]))
    package(out / "seed-stored.docx", document(BODIES["plain"]), extra=parts, stored=True)
    strict_parts = [("word/header1.xml", story("hdr", W_STRICT)), ("word/footer1.xml", story("ftr", W_STRICT))]
    package(out / "seed-strict.docx", document(BODIES["sections"], W_STRICT, R_STRICT),
            rel_base=R_STRICT + "/", extra=strict_parts)
    utf16 = document(BODIES["plain"]).replace('encoding="UTF-8"', 'encoding="UTF-16"')
    package(out / "seed-utf16.docx", "\ufeff".encode("utf-16-le") + utf16.encode("utf-16-le"), extra=parts)
    package(out / "seed-macro.docm", document(BODIES["numbered"]), extra=parts,
            main_type="application/vnd.ms-word.document.macroEnabled.main+xml")
    for fixture in sorted(DOC_FIXTURES.glob("*.do[ct]")):
        if fixture.stat().st_size <= COMPOUND_SEED_LIMIT:
            shutil.copyfile(fixture, out / f"seed-{fixture.name}")
    trailing = with_trailing_data((DOC_FIXTURES / "picture.doc").read_bytes())
    if trailing:
        (out / "seed-trailing-data.doc").write_bytes(trailing)
    (out / "parts-doctype.txt").write_text(
        SEPARATOR.join(['<?xml version="1.0"?><!DOCTYPE w:document [<!ENTITY a "aaaa"><!ENTITY b "&a;&a;">]>'
                        + document(BODIES["plain"]).split("?>", 1)[1].replace("Hello", "&b;")]))


if __name__ == "__main__":
    main(sys.argv[1])
