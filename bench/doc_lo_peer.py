#!/usr/bin/python3
"""The LibreOffice peer of the Word 97-2003 benchmark: one headless LibreOffice, driven through UNO, opens
each document, gives the whole main text (tables included) and the first page style's header and footer the
font and size, and saves it in place as Word 97-2003.

Usage: doc_lo_peer.py FONT POINTS FILE...   (Debian's python3-uno)"""
import os
import subprocess
import sys
import tempfile
import time

import uno
from com.sun.star.beans import PropertyValue


def properties(**values):
    return tuple(PropertyValue(Name=name, Value=value) for name, value in values.items())


def start_office(profile):
    pipe = "glyphmere-bench-%d" % os.getpid()
    office = subprocess.Popen(["soffice", "-env:UserInstallation=file://" + profile, "--headless", "--invisible",
                               "--norestore", "--accept=pipe,name=%s;urp;" % pipe],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    resolver = uno.getComponentContext().ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", uno.getComponentContext())
    for _ in range(600):
        try:
            context = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
            return office, context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
        except Exception:  # the office is not listening yet
            time.sleep(0.1)
    office.kill()
    sys.exit("LibreOffice did not start")


def restyle_text(text, font, points):
    cursor = text.createTextCursor()
    cursor.gotoStart(False)
    cursor.gotoEnd(True)
    cursor.CharFontName = font
    cursor.CharHeight = points


def restyle(desktop, path, font, points):
    url = uno.systemPathToFileUrl(os.path.abspath(path))
    document = desktop.loadComponentFromURL(url, "_blank", 0, properties(Hidden=True))
    restyle_text(document.Text, font, points)
    for table in document.TextTables:
        for name in table.CellNames:
            restyle_text(table.getCellByName(name), font, points)
    first = document.Text.createTextCursor()
    style = document.StyleFamilies.getByName("PageStyles").getByName(first.PageStyleName)
    for switch, text in (("HeaderIsOn", "HeaderText"), ("FooterIsOn", "FooterText")):
        if style.getPropertyValue(switch):
            restyle_text(style.getPropertyValue(text), font, points)
    document.storeToURL(url, properties(FilterName="MS Word 97", Overwrite=True))
    document.close(True)


def main():
    font, points, files = sys.argv[1], float(sys.argv[2]), sys.argv[3:]
    with tempfile.TemporaryDirectory() as profile:
        office, desktop = start_office(profile)
        try:
            for path in files:
                restyle(desktop, path, font, points)
        finally:
            try:
                desktop.terminate()
            except Exception:  # the bridge closes while the office quits
                pass
            office.wait(timeout=60)


if __name__ == "__main__":
    main()
