"""Writes the flat ODT sources of the Word 97-2003 fixtures into the folder given, one file per feature
(and one with enough runs to need several character-property pages);
scripts/make-doc-fixtures.sh converts them with LibreOffice. Each source is small on purpose."""
import base64
import pathlib
import struct
import sys
import zlib

NAMESPACES = " ".join(f'xmlns:{prefix}="{uri}"' for prefix, uri in (
    ("office", "urn:oasis:names:tc:opendocument:xmlns:office:1.0"),
    ("style", "urn:oasis:names:tc:opendocument:xmlns:style:1.0"),
    ("text", "urn:oasis:names:tc:opendocument:xmlns:text:1.0"),
    ("table", "urn:oasis:names:tc:opendocument:xmlns:table:1.0"),
    ("draw", "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"),
    ("svg", "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"),
    ("fo", "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"),
    ("dc", "http://purl.org/dc/elements/1.1/"),
    ("xlink", "http://www.w3.org/1999/xlink")))

FONTS = """<office:font-face-decls>
 <style:font-face style:name="Liberation Serif" svg:font-family="'Liberation Serif'" style:font-family-generic="roman"/>
 <style:font-face style:name="Liberation Sans" svg:font-family="'Liberation Sans'" style:font-family-generic="swiss"/>
 <style:font-face style:name="DejaVu Sans" svg:font-family="'DejaVu Sans'" style:font-family-generic="swiss"/>
</office:font-face-decls>"""

STYLES = """<office:styles>
 <style:default-style style:family="paragraph">
  <style:text-properties style:font-name="Liberation Serif" fo:font-size="11pt"
      style:font-name-asian="DejaVu Sans" style:font-name-complex="DejaVu Sans"/>
 </style:default-style>
 <style:style style:name="Standard" style:family="paragraph"/>
 <style:style style:name="Heading" style:family="paragraph">
  <style:text-properties style:font-name="Liberation Sans" fo:font-size="16pt" fo:font-weight="bold"/>
 </style:style>
</office:styles>"""

PAGE_LAYOUT = """<style:page-layout style:name="Page">
  <style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm" fo:margin-top="2cm"
      fo:margin-bottom="2cm" fo:margin-left="2cm" fo:margin-right="2cm"/>
  <style:header-style/><style:footer-style/>
 </style:page-layout>
 <style:page-layout style:name="Mirrored" style:page-usage="mirrored">
  <style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm" fo:margin-top="2cm"
      fo:margin-bottom="2cm" fo:margin-left="2cm" fo:margin-right="2cm"/>
  <style:header-style/><style:footer-style/>
 </style:page-layout>"""

AUTOMATIC = """
 <style:style style:name="Bold" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>
 <style:style style:name="Italic" style:family="text">
  <style:text-properties fo:font-style="italic" style:font-name="Liberation Sans"/></style:style>
 <style:style style:name="Break" style:family="paragraph"><style:paragraph-properties fo:break-before="page"/></style:style>
 <style:style style:name="Asian" style:family="paragraph">
  <style:text-properties style:language-asian="ja" style:country-asian="JP"/></style:style>
 <style:style style:name="RightToLeft" style:family="paragraph">
  <style:paragraph-properties style:writing-mode="rl-tb" fo:text-align="end"/>
  <style:text-properties style:language-complex="ar" style:country-complex="EG"/></style:style>
 <style:style style:name="Frame" style:family="graphic">
  <style:graphic-properties style:wrap="none" style:vertical-pos="top" style:horizontal-pos="center"/></style:style>
 <text:list-style style:name="Bullets">
  <text:list-level-style-bullet text:level="1" text:bullet-char="•">
   <style:list-level-properties text:space-before="0.6cm" text:min-label-width="0.6cm"/></text:list-level-style-bullet>
 </text:list-style>
 <text:list-style style:name="Numbers">
  <text:list-level-style-number text:level="1" style:num-format="1" style:num-suffix=".">
   <style:list-level-properties text:space-before="0.6cm" text:min-label-width="0.6cm"/></text:list-level-style-number>
 </text:list-style>"""


def paragraph(text, style="Standard"):
    return f'<text:p text:style-name="{style}">{text}</text:p>'


def body_text(count, subject):
    sentence = (f"This paragraph about {subject} has <text:span text:style-name=\"Bold\">bold words</text:span>"
                f" and <text:span text:style-name=\"Italic\">italic words</text:span> among plain ones.")
    return "".join(paragraph(f"{n + 1}. {sentence}") for n in range(count))


def master(name, header="", footer="", layout="Page", next_style="", even_header="", even_footer=""):
    parts = [f'<style:master-page style:name="{name}" style:page-layout-name="{layout}"'
             + (f' style:next-style-name="{next_style}"' if next_style else "") + ">"]
    for tag, text in (("header", header), ("header-left", even_header), ("footer", footer),
                      ("footer-left", even_footer)):
        if text:
            parts.append(f"<style:{tag}>{paragraph(text)}</style:{tag}>")
    return "".join(parts) + "</style:master-page>"


def document(body, masters=None, extra_styles=""):
    masters = masters or master("Standard")
    return (f'<?xml version="1.0" encoding="UTF-8"?>\n<office:document {NAMESPACES} office:version="1.3" '
            f'office:mimetype="application/vnd.oasis.opendocument.text">\n{FONTS}\n{STYLES}\n'
            f"<office:automatic-styles>{PAGE_LAYOUT}{AUTOMATIC}{extra_styles}</office:automatic-styles>\n"
            f"<office:master-styles>{masters}</office:master-styles>\n"
            f"<office:body><office:text>{body}</office:text></office:body></office:document>\n")


def tiny_png():
    """A 16x16 two-colour picture, built here so that no image file is needed."""
    rows = b"".join(b"\0" + b"".join(bytes((255 if (x // 4 + y // 4) % 2 else 40, 90, 160)) for x in range(16))
                    for y in range(16))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    header = struct.pack(">IIBBBBB", 16, 16, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")


def frame(name, inner, width="4cm", height="2cm", anchor="paragraph"):
    return (f'<draw:frame draw:style-name="Frame" draw:name="{name}" text:anchor-type="{anchor}" '
            f'svg:width="{width}" svg:height="{height}">{inner}</draw:frame>')


def note(number, note_class, text):
    return (f'<text:note text:id="{note_class}{number}" text:note-class="{note_class}"><text:note-citation>'
            f"{number}</text:note-citation><text:note-body>{paragraph(text)}</text:note-body></text:note>")


def table(rows, columns):
    cells = "".join("<table:table-row>" + "".join(
        f"<table:table-cell office:value-type=\"string\">{paragraph(f'Cell {r + 1}.{c + 1}')}</table:table-cell>"
        for c in range(columns)) + "</table:table-row>" for r in range(rows))
    return (f'<table:table table:name="Table{rows}x{columns}"><table:table-column '
            f'table:number-columns-repeated="{columns}"/>{cells}</table:table>')


def fixtures():
    heading = paragraph("A heading for the fixture", "Heading")
    page_number = '<text:page-number text:select-page="current">1</text:page-number>'
    yield "headers", document(heading + body_text(6, "headers"), master(
        "Standard", header="Running header text", footer=f"Footer, page {page_number}"))
    yield "first-page", document(
        paragraph("The title page", "Heading").replace('"Heading"', '"TitlePage"') + body_text(4, "title pages")
        + paragraph("Second page text.", "Break") + body_text(3, "later pages"),
        master("Standard", header="Header of later pages", footer="Footer of later pages")
        + master("First_20_Page", header="First page header", footer="First page footer", next_style="Standard"),
        '<style:style style:name="TitlePage" style:family="paragraph" style:master-page-name="First_20_Page">'
        '<style:text-properties fo:font-size="16pt"/></style:style>')
    yield "even-odd", document(
        heading + body_text(3, "odd pages") + paragraph("Page two.", "Break") + body_text(3, "even pages")
        + paragraph("Page three.", "Break"),
        master("Standard", header="Odd page header", footer="Odd page footer", layout="Mirrored",
               even_header="Even page header", even_footer="Even page footer"))
    section_styles = "".join(
        f'<style:style style:name="Start{n}" style:family="paragraph" style:master-page-name="Part{n}"/>'
        for n in (1, 2, 3))
    yield "sections", document(
        "".join(paragraph(f"Section {n} begins here.", f"Start{n}") + body_text(2, f"section {n}")
                for n in (1, 2, 3)),
        "".join(master(f"Part{n}", header=f"Header of section {n}", footer=f"Footer of section {n}")
                for n in (1, 2, 3)) + master("Standard"), section_styles)
    yield "tables", document(heading + table(3, 3) + paragraph("Between the tables.") + table(2, 4))
    yield "fields", document(
        paragraph(f"Page {page_number} of <text:page-count>1</text:page-count>, printed on "
                  '<text:date style:data-style-name="" text:date-value="2024-05-06">2024-05-06</text:date> at '
                  '<text:time text:time-value="12:30:00">12:30</text:time>.')
        + body_text(2, "fields"), master("Standard", footer=f"Page {page_number}"))
    image = '<draw:image><office:binary-data>' + base64.b64encode(tiny_png()).decode() + "</office:binary-data></draw:image>"
    yield "picture", document(
        paragraph("An inline picture " + frame("Inline", image, "1cm", "1cm", "as-char") + " in a line.")
        + paragraph("A floating picture follows." + frame("Floating", image, "3cm", "3cm")) + body_text(4, "pictures"))
    yield "notes", document(
        paragraph("Text with a footnote" + note(1, "footnote", "The footnote's text.") + " and an endnote"
                  + note(1, "endnote", "The endnote's text.") + ".") + body_text(2, "notes")
        + paragraph("A second footnote" + note(2, "footnote", "Another footnote.") + " here."))
    items = "".join(f"<text:list-item>{paragraph(f'Item {n} of the list')}</text:list-item>" for n in (1, 2, 3))
    yield "lists", document(
        heading + f'<text:list text:style-name="Bullets">{items}</text:list>' + paragraph("Between the lists.")
        + f'<text:list text:style-name="Numbers">{items}</text:list>' + body_text(4, "lists"))
    yield "east-asian", document(
        paragraph("Mixed Latin and Japanese text: 日本語の文章です。漢字とかな。", "Asian")
        + paragraph("中文段落，包含一些汉字。한국어 문장도 있습니다.", "Asian") + body_text(5, "scripts"))
    yield "right-to-left", document(
        paragraph("هذه فقرة باللغة العربية من اليمين إلى اليسار.", "RightToLeft")
        + paragraph("זוהי פסקה בעברית עם מספר 123.", "RightToLeft") + body_text(5, "directions"))
    yield "comment", document(
        paragraph("A sentence with a comment<office:annotation><dc:creator>Reviewer</dc:creator>"
                  "<dc:date>2024-05-06T10:00:00</dc:date>"
                  f"{paragraph('A reviewer remark.')}</office:annotation> in the middle.") + body_text(5, "comments"))
    yield "textbox", document(
        paragraph("A text box follows." + frame("Box", "<draw:text-box>" + paragraph("Text inside the box.")
                                                + "</draw:text-box>")) + body_text(2, "text boxes"))
    yield "many-runs", document(heading + body_text(70, "character pages"),
                                master("Standard", header="Header over many runs", footer="Footer"))
    yield "template", document(
        paragraph("Template heading", "Heading") + body_text(2, "templates"),
        master("Standard", header="Template header", footer="Template footer"))


def main(folder):
    out = pathlib.Path(folder)
    out.mkdir(parents=True, exist_ok=True)
    for name, text in fixtures():
        (out / f"{name}.fodt").write_text(text, encoding="utf-8")


if __name__ == "__main__":
    main(sys.argv[1])
