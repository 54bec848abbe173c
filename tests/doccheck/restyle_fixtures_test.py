#!/usr/bin/python3
"""Restyles copies of every Word 97-2003 fixture with glyphmere-batch (main text and page 1's header and
footer) and lets independent readers judge each result: scripts/doccheck/check_doc.py against the original
with the new font and size, and antiword and catdoc for the text. Then restyles the results again: with the
same font and size every byte stays, with another size every file keeps its size and is judged as before.
Exits 77 (skipped) while the program refuses every .doc as not supported.

Usage: restyle_fixtures_test.py GLYPHMERE_BATCH"""
import json
import pathlib
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "scripts" / "doccheck"))
import check_doc  # noqa: E402

FONT, POINTS = "DejaVu Serif", 13
SKIPPED = 77
READERS = (["antiword", "-m", "UTF-8.txt"], ["catdoc", "-d", "utf-8", "-w"])


def reader_text(command, path):
    result = subprocess.run(command + [str(path)], capture_output=True)
    return result.returncode, result.stdout


def problems(original, restyled, points=POINTS):
    findings = check_doc.check(str(original), str(restyled), FONT, 2 * points, ("main", "header", "footer"))
    found = list(findings.errors)
    for command in READERS:
        before = reader_text(command, original)
        if before[0] == 0 and reader_text(command, restyled) != before:
            found.append(f"{command[0]} reads a different text")
    return found


def restyle(batch, copies, points, report):
    subprocess.run([batch, "--font", FONT, "--size", str(points), "--headers-footers", "--report", str(report)]
                   + [str(c) for c in copies], capture_output=True)
    return json.loads(report.read_text())["documents"]


def restyled_again(batch, originals, copies, folder):
    """What is wrong with restyling the restyled copies again: first as before, then at another size."""
    found = []
    first = [c.read_bytes() for c in copies]
    restyle(batch, copies, POINTS, folder / "same.json")
    found += [f"{o.name}: the same restyle changed it" for o, c, b in zip(originals, copies, first) if c.read_bytes() != b]
    restyle(batch, copies, POINTS + 1, folder / "other.json")
    for original, copy, before in zip(originals, copies, first):
        if copy.stat().st_size != len(before):
            found.append(f"{original.name}: another size changed its size from {len(before)} to {copy.stat().st_size}")
        found += [f"{original.name} at another size: {p}" for p in problems(original, copy, POINTS + 1)]
    return found


def main(batch):
    with tempfile.TemporaryDirectory() as folder:
        folder = pathlib.Path(folder)
        originals = sorted((ROOT / "tests" / "data" / "doc").glob("*.do[ct]"))
        copies = []
        for original in originals:
            copies.append(folder / original.name)
            shutil.copyfile(original, copies[-1])
        outcomes = restyle(batch, copies, POINTS, folder / "report.json")
        if all("not supported" in outcome["reason"] for outcome in outcomes):
            print("skipped: the engine does not restyle Word 97-2003 documents yet")
            return SKIPPED
        failures = 0
        for original, copy, outcome in zip(originals, copies, outcomes):
            found = problems(original, copy) if outcome["status"] == "changed" else [outcome["reason"]]
            print(("FAIL " if found else "ok   ") + original.name + "".join("\n    " + p for p in found))
            failures += bool(found)
        if failures:
            return 1
        again = restyled_again(batch, originals, copies, folder)
        print("\n".join("FAIL " + problem for problem in again) or "ok   restyled again")
        return 1 if again else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
