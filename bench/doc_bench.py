#!/usr/bin/python3
"""Times glyphmere-batch at one job on Word 97-2003 documents (.doc) beside .docx documents of the same text,
and beside LibreOffice doing the same restyle through UNO (doc_lo_peer.py), and prints the figures.

Usage: bench/doc_bench.py [BUILD_DIR]   (default: build-release; build it with
  cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DGLYPHMERE_BUILD_GUI=OFF -DGLYPHMERE_BUILD_TESTS=OFF
  cmake --build build-release --target glyphmere-batch)
Both corpora come from the same flat ODT sources through LibreOffice and are kept in $TMPDIR/glyphmere-bench
between runs. Needs Debian's LibreOffice and python3-uno. A run counts only the documents it changed, so it
also works while the engine still refuses .doc files."""
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "data", "sources"))
import doc_fixtures as odt  # noqa: E402

DOCUMENTS = 120
PEER_DOCUMENTS = 30
FONT, POINTS = "Liberation Serif", "11"
WORDS = ("the report shows that our quarterly results improved across every region while costs stayed "
         "within the budget agreed by the board and the teams delivered their projects on time").split()


def make_source(seed):
    """A few pages like batch_bench's documents: heading, paragraphs with bold and italic runs, a list, a
    table, header and footer."""
    rnd = random.Random(seed)

    def sentence(count):
        return " ".join(rnd.choice(WORDS) for _ in range(count)).capitalize() + "."
    body = [odt.paragraph("Report %d" % seed, "Heading")]
    for index in range(rnd.randint(25, 45)):
        bold = '<text:span text:style-name="Bold">%s</text:span>' % sentence(8)
        italic = '<text:span text:style-name="Italic"> %s</text:span>' % sentence(12)
        body.append(odt.paragraph(sentence(rnd.randint(20, 60)) + " " + bold + italic))
        if index == 10:
            items = "".join("<text:list-item>%s</text:list-item>" % odt.paragraph(sentence(10)) for _ in range(8))
            body.append('<text:list text:style-name="Bullets">%s</text:list>' % items)
        if index == 20:
            body.append(odt.table(8, 4))
    return odt.document("".join(body), odt.master("Standard", header="Quarterly report %d" % seed,
                                                  footer="Confidential - page footer"))


def corpus_folders():
    """The .doc and .docx folders, remade when incomplete: one LibreOffice call per format."""
    base = os.path.join(tempfile.gettempdir(), "glyphmere-bench", "doc-corpus")
    folders = {kind: os.path.join(base, kind) for kind in ("doc", "docx")}
    if all(os.path.isdir(f) and len(os.listdir(f)) == DOCUMENTS for f in folders.values()):
        return folders
    shutil.rmtree(base, ignore_errors=True)
    sources = os.path.join(base, "sources")
    os.makedirs(sources)
    for index in range(DOCUMENTS):
        with open(os.path.join(sources, "report%03d.fodt" % index), "w", encoding="utf-8") as f:
            f.write(make_source(index))
    names = sorted(os.path.join(sources, f) for f in os.listdir(sources))
    for kind, folder in folders.items():
        subprocess.run(["soffice", "-env:UserInstallation=file://" + os.path.join(base, "profile"), "--headless",
                        "--convert-to", kind, "--outdir", folder] + names, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    return folders


def fresh_copy(folder, count):
    copy = os.path.join(tempfile.gettempdir(), "glyphmere-bench", "doc-run")
    shutil.rmtree(copy, ignore_errors=True)
    os.makedirs(copy)
    names = sorted(os.listdir(folder))[:count]
    for name in names:
        shutil.copyfile(os.path.join(folder, name), os.path.join(copy, name))
    return [os.path.join(copy, name) for name in names]


def changed_count(report):
    with open(report) as f:
        return sum(d["status"] == "changed" for d in json.load(f)["documents"])


def run_batch(batch, files):
    """Seconds and the number of documents changed; refusals are counted, not fatal."""
    report = os.path.join(tempfile.gettempdir(), "glyphmere-bench", "doc-report.json")
    start = time.monotonic()
    subprocess.call([batch, "--font", FONT, "--size", POINTS, "--headers-footers", "--jobs", "1",
                     "--report", report] + files, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.monotonic() - start, changed_count(report)


def run_peer(files):
    start = time.monotonic()
    subprocess.run(["/usr/bin/python3", os.path.join(HERE, "doc_lo_peer.py"), FONT, POINTS] + files, check=True)
    return time.monotonic() - start, len(files)


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build-release"
    batch = os.path.join(build, "src", "batch", "glyphmere-batch")
    folders = corpus_folders()
    mean = {kind: sum(os.path.getsize(os.path.join(f, n)) for n in os.listdir(f)) // DOCUMENTS // 1024
            for kind, f in folders.items()}
    contenders = [
        ("glyphmere-batch, .doc", lambda: run_batch(batch, fresh_copy(folders["doc"], DOCUMENTS))),
        ("glyphmere-batch, .docx", lambda: run_batch(batch, fresh_copy(folders["docx"], DOCUMENTS))),
        ("LibreOffice (UNO), .doc", lambda: run_peer(fresh_copy(folders["doc"], PEER_DOCUMENTS))),
    ]
    print("the same %d documents as .doc (mean %d KB) and .docx (mean %d KB); one job each"
          % (DOCUMENTS, mean["doc"], mean["docx"]))
    print("%-26s %10s %10s %10s %12s" % ("", "documents", "changed", "seconds", "restyled/s"))
    rates = {}
    for name, run in contenders:
        documents = DOCUMENTS if name.startswith("glyphmere") else PEER_DOCUMENTS
        seconds, changed = run()
        rates[name] = changed / seconds
        print("%-26s %10d %10d %10.2f %12.1f" % (name, documents, changed, seconds, rates[name]))
    doc, docx, peer = (rates[name] for name, _ in contenders)
    if doc and docx and peer:
        print("\ntarget: .doc / .docx = %.2f (>= 1); .doc / LibreOffice = %.1f" % (doc / docx, doc / peer))
    else:
        print("\nno ratio: a contender restyled nothing (the engine refuses these documents)")


if __name__ == "__main__":
    main()
