#!/usr/bin/env python3
"""Writes COUNT small, varied Word packages as d/NNNNN.docx under the folder given, with every tenth a Word
97-2003 document d/NNNNN.doc (and a copy of each in o/), plus DISK_FULL larger ones as f/NNN.docx (copies
in o/f/) for the full-disk batch. A few templates vary in text, header and footer, tracked changes, strict
namespaces, UTF-16 and refusals by design."""
import os
import pathlib
import random
import shutil
import sys
import zipfile

W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
W_STRICT = "http://purl.oclc.org/ooxml/wordprocessingml/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
REL_STRICT = "http://purl.oclc.org/ooxml/officeDocument/relationships"
DECL = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
TYPES = (DECL + '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
         '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
         '<Default Extension="xml" ContentType="application/xml"/><Default Extension="bin" ContentType="application/octet-stream"/>'
         '<Override PartName="/word/document.xml" '
         'ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/></Types>')
# Every tenth document is a Word 97-2003 file, a copy of one of the project's fixtures in turn.
DOC_FIXTURES = sorted((pathlib.Path(__file__).resolve().parents[2] / "tests" / "data" / "doc").glob("*.doc"))
WORDS = "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu".split()


def rels(entries):
    inner = "".join(f'<Relationship Id="{i}" Type="{t}" Target="{g}"/>' for i, t, g in entries)
    return DECL + f'<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">{inner}</Relationships>'


def paragraphs(rng, count):
    out = []
    for _ in range(count):
        text = " ".join(rng.choice(WORDS) for _ in range(rng.randint(1, 12)))
        props = rng.choice(["", '<w:rPr><w:b/></w:rPr>', '<w:rPr><w:rFonts w:asciiTheme="minorHAnsi"/><w:sz w:val="20"/></w:rPr>'])
        out.append(f'<w:p><w:r>{props}<w:t xml:space="preserve">{text}</w:t></w:r></w:p>')
    return "".join(out)


def build(index, rng, padding=0):
    kind = index % 10
    strict = kind == 3
    ns, rel_ns = (W_STRICT, REL_STRICT) if strict else (W, REL)
    body = paragraphs(rng, rng.randint(1, 8))
    section = ('<w:sectPr><w:headerReference w:type="default" r:id="rH1"/>'
               '<w:footerReference w:type="default" r:id="rF1"/></w:sectPr>')
    settings = "<w:trackRevisions/>" if kind == 2 else ""
    if index % 97 == 5:
        settings += '<w:documentProtection w:edit="readOnly" w:enforcement="1"/>'
    document = (DECL + f'<w:document xmlns:w="{ns}" xmlns:r="{rel_ns}"><w:body>{body}{section}</w:body></w:document>')
    parts = [("[Content_Types].xml", TYPES.encode()),
             ("_rels/.rels", rels([("rId1", rel_ns + "/officeDocument", "word/document.xml")]).encode()),
             ("word/document.xml", document.encode() if kind != 4 else
              b"\xff\xfe" + document.replace('encoding="UTF-8"', 'encoding="UTF-16"').encode("utf-16-le")),
             ("word/_rels/document.xml.rels", rels([(f"r{n}", f"{rel_ns}/{t}", f"{t}1.xml" if t != "settings" else "settings.xml")
                                                    for n, t in (("H1", "header"), ("F1", "footer"), ("S", "settings"))]).encode()),
             ("word/settings.xml", (DECL + f'<w:settings xmlns:w="{ns}">{settings}</w:settings>').encode())]
    for story in ("hdr", "ftr"):
        name = "header1.xml" if story == "hdr" else "footer1.xml"
        parts.append((f"word/{name}", (DECL + f'<w:{story} xmlns:w="{ns}">{paragraphs(rng, 1)}</w:{story}>').encode()))
    if index % 89 == 7:
        parts.append(("_xmlsignatures/sig1.xml", b"<Signature/>"))
    if padding:
        parts.append(("word/media/padding.bin", rng.randbytes(padding)))
    return parts


def write(path, parts):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in parts:
            archive.writestr(name, data)


def main(folder, count, disk_full):
    root = pathlib.Path(folder)
    rng = random.Random(20240506)
    for sub in ("d", "f", "o/d", "o/f"):
        (root / sub).mkdir(parents=True, exist_ok=True)
    for index in range(1, count + 1):
        if index % 10 == 9 and DOC_FIXTURES:
            name = f"d/{index:05d}.doc"
            shutil.copyfile(DOC_FIXTURES[index // 10 % len(DOC_FIXTURES)], root / name)
        else:
            name = f"d/{index:05d}.docx"
            write(root / name, build(index, rng))
        shutil.copyfile(root / name, root / "o" / name)
    for index in range(1, disk_full + 1):
        name = f"f/{index:03d}.docx"
        write(root / name, build(index, rng, padding=48 * 1024))
        shutil.copyfile(root / name, root / "o" / name)


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]), int(sys.argv[3]))
