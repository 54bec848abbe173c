#!/usr/bin/python3
"""Classifies every soak document after the runs: changed (a sound package carrying the new font, every
other entry and all text as before; for a .doc, what scripts/doccheck/check_doc.py checks), refused (a
reason was printed and the file is byte-identical to what it was, or gone because the soak removed it), or
damaged (anything else, including stray files and documents the batch never reported). Prints the counts;
the last line is "damaged N"."""
import collections
import pathlib
import re
import sys
import zipfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "doccheck"))
import check_doc  # noqa: E402

FONT = 'w:ascii="DejaVu Sans"'
STORIES = {"word/document.xml", "word/header1.xml", "word/footer1.xml"}
TEXT = re.compile(r"<w:t(?: [^>]*)?>([^<]*)</w:t>")


def read_results(logs):
    results = {}
    for log in logs:
        for line in pathlib.Path(log).read_text(errors="replace").splitlines():
            if line.startswith("changed: "):
                results[line[9:]] = ("changed", "")
            elif line.startswith("failed: "):
                path, _, reason = line[8:].partition(": ")
                results[path] = ("failed", reason)
    return results


def decoded(data):
    return data[2:].decode("utf-16-le") if data.startswith(b"\xff\xfe") else data.decode("utf-8")


def carries_new_font(path, original):
    with zipfile.ZipFile(path) as saved, zipfile.ZipFile(original) as before:
        if saved.testzip() is not None or saved.namelist() != before.namelist():
            return False
        for name in before.namelist():
            old, new = before.read(name), saved.read(name)
            if name not in STORIES:
                if old != new:
                    return False
            elif TEXT.findall(decoded(old)) != TEXT.findall(decoded(new)) or FONT not in decoded(new):
                return False
        return True


def carries_new_font_binary(path, original):
    """A Word 97-2003 document: sound against its original, the new font on page 1's stories."""
    try:
        findings = check_doc.check(str(original), str(path), "DejaVu Sans", 22, ("main", "header", "footer"))
    except check_doc.Unsupported:
        return False
    return not findings.errors


def classify(root, name, result, fault):
    path, original = root / name, root / "o" / name
    verdict, reason = result or ("missing", "")
    if verdict == "failed":
        if fault == "removed" and not path.exists():
            return "refused", reason
        if path.exists() and path.read_bytes() == original.read_bytes() and reason:
            return "refused", reason
        return "damaged", "refused but changed: " + reason
    if verdict == "changed" and path.exists():
        try:
            if (carries_new_font_binary if name.endswith(".doc") else carries_new_font)(path, original):
                return "changed", ""
        except (zipfile.BadZipFile, UnicodeDecodeError, KeyError) as error:
            return "damaged", f"reported changed, unreadable ({error})"
        return "damaged", "reported changed, content differs"
    return "damaged", f"{verdict} (file {'present' if path.exists() else 'gone'})"


def main(root, faults_file, *logs):
    root = pathlib.Path(root)
    faults = dict(line.split() for line in pathlib.Path(faults_file).read_text().splitlines() if line.strip())
    results = read_results(logs)
    documents = sorted(str(p.relative_to(root / "o")) for p in (root / "o").rglob("*.doc*"))
    counts, reasons, damage = collections.Counter(), collections.Counter(), []
    for name in documents:
        verdict, detail = classify(root, name, results.get(name), faults.get(name))
        counts[verdict] += 1
        if verdict == "refused":
            reasons[re.sub(r"[\w/.~$#-]*\d{3,5}\.docx?", "FILE", detail)] += 1
        elif verdict == "damaged":
            damage.append(f"{name}: {detail}")
    expected = set(documents) | {f for f in faults if f.startswith(("d/~$", "d/.~lock"))}
    for stray in sorted(str(p.relative_to(root)) for sub in ("d", "f") for p in (root / sub).iterdir()):
        if stray not in expected:
            counts["damaged"] += 1
            damage.append(f"{stray}: stray file left in the folder")
    for line in damage[:20]:
        print("  damaged:", line)
    injected = sum(1 for kind in faults.values() if kind != "lockfile")
    print(f"documents {len(documents)}, faults injected {injected}")
    for reason, count in reasons.most_common():
        print(f"  refused {count:5d}: {reason}")
    print(f"changed {counts['changed']}")
    print(f"refused {counts['refused']}")
    print(f"damaged {counts['damaged']}")
    return 1 if counts["damaged"] else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
