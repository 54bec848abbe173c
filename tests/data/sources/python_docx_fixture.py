"""Writes the python-docx fixture: a header, a footer, a first-page header and footer, a table, a
bulleted list and a hyperlink, with runs in more than one font."""
import sys

import docx
from docx.enum.text import WD_BREAK
from docx.opc.constants import RELATIONSHIP_TYPE
from docx.oxml import OxmlElement
from docx.oxml.ns import qn
from docx.shared import Pt


def add_hyperlink(paragraph, text, address):
    relationship_id = paragraph.part.relate_to(address, RELATIONSHIP_TYPE.HYPERLINK, is_external=True)
    link = OxmlElement("w:hyperlink")
    link.set(qn("r:id"), relationship_id)
    run = OxmlElement("w:r")
    text_element = OxmlElement("w:t")
    text_element.text = text
    run.append(text_element)
    link.append(run)
    paragraph._p.append(link)


def main(path):
    document = docx.Document()
    section = document.sections[0]
    section.different_first_page_header_footer = True
    section.first_page_header.paragraphs[0].text = "First page header"
    section.first_page_footer.paragraphs[0].text = "First page footer"
    section.header.paragraphs[0].text = "Running header"
    section.footer.paragraphs[0].text = "Running footer"

    document.add_heading("A document made by python-docx", level=1)
    paragraph = document.add_paragraph("Plain text, ")
    styled = paragraph.add_run("a run in Liberation Mono")
    styled.font.name = "Liberation Mono"
    styled.font.size = Pt(9)
    paragraph.add_run(" and   three spaces kept. ")
    add_hyperlink(paragraph, "A hyperlink", "https://example.org/")
    document.add_paragraph("First bullet", style="List Bullet")
    document.add_paragraph("Second bullet", style="List Bullet")
    table = document.add_table(rows=2, cols=2)
    for row, (region, sales) in enumerate([("Region", "Sales"), ("North", "1 204")]):
        table.cell(row, 0).text = region
        table.cell(row, 1).text = sales
    document.add_paragraph("Second page follows.").add_run().add_break(WD_BREAK.PAGE)
    document.add_paragraph("Text on the second page.")
    document.save(path)


if __name__ == "__main__":
    main(sys.argv[1])
