#!/usr/bin/python3
"""Times glyphmere-batch on a generated corpus of realistic documents beside the zip-only floor and a
python-docx peer, then on one document holding 50 MiB of text, and prints the figures side by side.

Usage: bench/batch_bench.py [BUILD_DIR]   (default: build-release; build it with
  cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DGLYPHMERE_BUILD_GUI=OFF -DGLYPHMERE_BUILD_TESTS=OFF
  cmake --build build-release --target glyphmere-batch package_floor)
Needs Debian's python3-docx. The corpus is kept in $TMPDIR/glyphmere-bench between runs."""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

import docx

DOCUMENTS = 300
FONT, POINTS = "Liberation Serif", "11"
BIG_TEXT_BYTES = 50 << 20
HERE = os.path.dirname(os.path.abspath(__file__))
WORDS = ("the report shows that our quarterly results improved across every region while costs stayed "
         "within the budget agreed by the board and the teams delivered their projects on time").split()


def sentence(rnd, count):
    return " ".join(rnd.choice(WORDS) for _ in range(count)).capitalize() + "."


def make_document(path, seed):
    """A few pages: heading, paragraphs with bold and italic runs, a list, a table, header and footer."""
    rnd = random.Random(seed)
    document = docx.Document()
    section = document.sections[0]
    section.header.paragraphs[0].text = "Quarterly report %d" % seed
    section.footer.paragraphs[0].text = "Confidential - page footer"
    document.add_heading("Report %d" % seed, level=1)
    for index in range(rnd.randint(25, 45)):
        paragraph = document.add_paragraph(sentence(rnd, rnd.randint(20, 60)) + " ")
        paragraph.add_run(sentence(rnd, 8)).bold = index % 3 == 0
        paragraph.add_run(" " + sentence(rnd, 12)).italic = index % 4 == 0
        if index == 10:
            for item in range(8):
                document.add_paragraph(sentence(rnd, 10), style="List Bullet")
        if index == 20:
            table = document.add_table(rows=8, cols=4)
            for row in table.rows:
                for cell in row.cells:
                    cell.text = sentence(rnd, 3)
    document.save(path)


def make_big_document(path, template):
    """template with a main part that holds 50 MiB of text in paragraphs of about 1,000 characters."""
    rnd = random.Random(7)
    paragraphs, size = [], 0
    while size < BIG_TEXT_BYTES:
        text = " ".join(sentence(rnd, 30) for _ in range(6))
        paragraphs.append('<w:p><w:r><w:t xml:space="preserve">%s</w:t></w:r></w:p>' % text)
        size += len(text)
    body = "".join(paragraphs)
    with zipfile.ZipFile(template) as source, zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as target:
        for item in source.infolist():
            data = source.read(item.filename)
            if item.filename == "word/document.xml":
                head, tail = data.decode().split("<w:body>", 1)
                data = (head + "<w:body>" + body + tail[tail.index("<w:sectPr"):]).encode()
            target.writestr(item, data)
    return size


def corpus_folder():
    folder = os.path.join(tempfile.gettempdir(), "glyphmere-bench", "corpus")
    if len(os.listdir(folder) if os.path.isdir(folder) else []) != DOCUMENTS:
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for index in range(DOCUMENTS):
            make_document(os.path.join(folder, "doc%03d.docx" % index), index)
    return folder


def fresh_copy(folder, name):
    copy = os.path.join(tempfile.gettempdir(), "glyphmere-bench", name)
    shutil.rmtree(copy, ignore_errors=True)
    shutil.copytree(folder, copy)
    return copy, sorted(os.path.join(copy, f) for f in os.listdir(copy))


def timed(argv):
    """Seconds and peak resident memory (MiB) of one child process; fails loudly on a failed run. The peak
    comes from /usr/bin/time, a small parent: a child forked from this interpreter would be counted with
    the interpreter's own memory."""
    with tempfile.NamedTemporaryFile("r") as peak:
        start = time.monotonic()
        status = subprocess.call(["/usr/bin/time", "-f", "%M", "-o", peak.name] + argv, stdout=subprocess.DEVNULL)
        seconds = time.monotonic() - start
        if status != 0:
            sys.exit("%s failed with exit status %d" % (argv[0], status))
        return seconds, int(peak.read().split()[-1]) / 1024


def parallel_capacity():
    """How much more pure computation two processes get done than one in the same time: the most that
    more jobs can gain on this machine (virtual cores may share one physical core)."""
    loop = [sys.executable, "-c", "sum(i * i for i in range(6000000))"]
    start = time.monotonic()
    subprocess.check_call(loop)
    one = time.monotonic() - start
    start = time.monotonic()
    children = [subprocess.Popen(loop) for _ in range(os.cpu_count())]
    for child in children:
        child.wait()
    return os.cpu_count() * one / (time.monotonic() - start)


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build-release"
    batch = os.path.join(build, "src", "batch", "glyphmere-batch")
    floor = os.path.join(build, "bench", "package_floor")
    restyle = [batch, "--font", FONT, "--size", POINTS, "--headers-footers"]
    cores = os.cpu_count()
    corpus = corpus_folder()
    sizes = [os.path.getsize(os.path.join(corpus, f)) for f in os.listdir(corpus)]
    contenders = [
        ("glyphmere-batch --jobs 1", lambda files: restyle + ["--jobs", "1"] + files),
        ("glyphmere-batch --jobs %d" % cores, lambda files: restyle + ["--jobs", str(cores)] + files),
        ("floor (zip work only)", lambda files: [floor] + files),
        ("python-docx peer", lambda files: ["/usr/bin/python3", os.path.join(HERE, "docx_peer.py"), FONT, POINTS]
         + files),
    ]
    print("%d documents of %d-%d KB (mean %d KB), %d cores that together compute %.2f x as fast as one"
          % (DOCUMENTS, min(sizes) // 1024, max(sizes) // 1024, sum(sizes) // len(sizes) // 1024, cores,
             parallel_capacity()))
    print("%-28s %10s %10s %10s" % ("", "docs/s", "seconds", "peak MiB"))
    rates = {}
    for name, command in contenders:
        _, files = fresh_copy(corpus, "run")
        seconds, peak = timed(command(files))
        rates[name] = DOCUMENTS / seconds
        print("%-28s %10.1f %10.2f %10.1f" % (name, rates[name], seconds, peak))

    big_folder = os.path.join(tempfile.gettempdir(), "glyphmere-bench", "big")
    shutil.rmtree(big_folder, ignore_errors=True)
    os.makedirs(big_folder)
    big = os.path.join(big_folder, "big.docx")
    text = make_big_document(big, os.path.join(corpus, "doc000.docx"))
    with zipfile.ZipFile(big) as package:
        largest = max(item.file_size for item in package.infolist())
    pristine = big + ".orig"
    shutil.copyfile(big, pristine)
    print("\none document with %d MiB of text (largest part %.1f MiB, package %.1f MiB):"
          % (text >> 20, largest / 2**20, os.path.getsize(big) / 2**20))
    for name, command in (("glyphmere-batch", restyle + [big]), ("floor (zip work only)", [floor, big])):
        shutil.copyfile(pristine, big)
        seconds, peak = timed(command)
        print("%-28s %10.2f s %10.1f MiB peak = %.1f x the largest part" % (name, seconds, peak,
                                                                         peak * 2**20 / largest))

    one_job, every_core = rates["glyphmere-batch --jobs 1"], rates["glyphmere-batch --jobs %d" % cores]
    peer = rates["python-docx peer"]
    print("\ntargets: one job / floor = %.2f (>= 0.8); one job / python-docx = %.1f (>= 15); "
          "%d jobs / python-docx = %.1f (>= 30)"
          % (one_job / rates["floor (zip work only)"], one_job / peer, cores, every_core / peer))


if __name__ == "__main__":
    main()
