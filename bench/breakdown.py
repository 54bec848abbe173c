#!/usr/bin/python3
"""Where a restyle's time goes: parse, passes, serialise, deflate, archive writing, flush and rename.

Usage: bench/breakdown.py [BUILD_DIR] [DOCUMENTS]   (default: build-release, 30; see batch_bench.py for
the Release build). Runs `glyphmere-batch --jobs 1 --headers-footers` over fresh copies of the first
DOCUMENTS documents of batch_bench.py's corpus (made by it; kept in $TMPDIR/glyphmere-bench) three times:
  - under callgrind, whose instruction counts (the same on every run, whatever else the machine does)
    split the processor work into phases by the functions that do it;
  - under strace, which times the flushes and renames (waiting on the disk, which callgrind cannot see);
  - on its own, for the processor time that the instruction shares are spread over.
Also: `bench/breakdown.py [BUILD_DIR] --big` does the same for the 50 MiB document of batch_bench.py.
Needs Debian's valgrind and strace."""
import os
import re
import shutil
import subprocess
import sys
import tempfile

FONT, POINTS = "Liberation Serif", "11"
BENCH = os.path.join(tempfile.gettempdir(), "glyphmere-bench")

# Phases by the functions that do their work, counted inclusively. Each pattern matches the start of a
# demangled name; a phase is the sum of its patterns, which never call one another.
PHASES = [
    ("parse", [r"pugi::xml_document::load_buffer"]),
    ("well-formedness check of edited parts", [r"glyphmere::docengine::xmlWellFormednessProblem"]),
    ("inflate and check", [r"glyphmere::docengine::readZipEntry", r"glyphmere::docengine::verifyZipEntry",
                           r"glyphmere::docengine::inflateEntry", r"glyphmere::docengine::checkEntryData"]),
    ("passes", [r"glyphmere::docengine::EngineSession::setFont\w*$", r"glyphmere::docengine::\w+Document::select$"]),
    ("serialise", [r"glyphmere::docengine::XmlPart::serialize"]),
    ("deflate", [r"deflate$", r"glyphmere::docengine::deflateWhole$"]),
    ("fontconfig start-up", [r"FcInitLoadConfigAndFonts$"]),
]
LINE = re.compile(r"^\s*([\d,]+) \(\s*[\d.]+%\)\s+\S*?:(.*?)(?: \[[^\]]*\])?\s*$")


def inclusive_costs(callgrind_out):
    report = subprocess.run(["callgrind_annotate", "--inclusive=yes", "--threshold=100", callgrind_out],
                            capture_output=True, text=True, check=True).stdout
    costs = {}
    for line in report.splitlines():
        totals = re.match(r"^\s*([\d,]+) \(100.0%\)\s+PROGRAM TOTALS", line)
        if totals:  # every thread's, the background flushes' and checks' too
            costs["PROGRAM TOTALS"] = int(totals.group(1).replace(",", ""))
        match = LINE.match(line)
        if match:
            name = match.group(2)
            costs[name] = max(costs.get(name, 0), int(match.group(1).replace(",", "")))
    return costs


def total_of(costs, patterns):
    """Sums the functions that match; a recursive function's inner calls ('name'2) are not counted twice."""
    total = 0
    for name, cost in costs.items():
        bare = re.sub(r"\(.*$", "", name)
        if "'" not in bare and any(re.match(pattern, bare) for pattern in patterns):
            total += cost
    return total


def fresh_folder(documents, name):
    folder = os.path.join(BENCH, name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for document in documents:
        shutil.copy(document, folder)
    return sorted(os.path.join(folder, os.path.basename(d)) for d in documents)


def syscall_seconds(argv):
    """Seconds spent in fsync and in rename, summed over every call (strace -T)."""
    with tempfile.NamedTemporaryFile("r") as trace:
        subprocess.run(["strace", "-f", "-T", "-qq", "-o", trace.name, "-e",
                        "trace=fsync,fdatasync,rename,renameat,renameat2"] + argv,
                       stdout=subprocess.DEVNULL, check=True)
        sums = {"flush": 0.0, "rename": 0.0}
        for line in trace:
            match = re.search(r"(\w+)\(.*<([\d.]+)>\s*$", line)
            if match:
                sums["flush" if "sync" in match.group(1) else "rename"] += float(match.group(2))
        return sums


def processor_seconds(argv):
    with tempfile.NamedTemporaryFile("r") as times:
        subprocess.run(["/usr/bin/time", "-f", "%e %U %S", "-o", times.name] + argv,
                       stdout=subprocess.DEVNULL, check=True)
        wall, user, system = (float(v) for v in times.read().split()[-3:])
        return wall, user + system


def main():
    args = [a for a in sys.argv[1:] if a != "--big"]
    build = args[0] if args else "build-release"
    count = int(args[1]) if len(args) > 1 else 30
    batch = [os.path.join(build, "src", "batch", "glyphmere-batch"), "--font", FONT, "--size", POINTS,
             "--headers-footers", "--jobs", "1"]
    if "--big" in sys.argv:
        documents = [os.path.join(BENCH, "big", "big.docx.orig")]
    else:
        corpus = os.path.join(BENCH, "corpus")
        documents = sorted(os.path.join(corpus, f) for f in os.listdir(corpus))[:count]
    if not all(os.path.exists(d) for d in documents):
        sys.exit("run bench/batch_bench.py first: it makes the documents")
    count = len(documents)

    with tempfile.TemporaryDirectory() as scratch:
        callgrind_out = os.path.join(scratch, "callgrind.out")
        subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + callgrind_out] + batch
                       + fresh_folder(documents, "breakdown"), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=True)
        costs = inclusive_costs(callgrind_out)
    waits = syscall_seconds(batch + fresh_folder(documents, "breakdown"))
    wall, processor = processor_seconds(batch + fresh_folder(documents, "breakdown"))

    total = costs["PROGRAM TOTALS"]
    rows = [(name, total_of(costs, patterns)) for name, patterns in PHASES]
    # zip_close deflated the parts itself before libdeflate did it beforehand
    archive = total_of(costs, [r"zip_close$"]) - total_of(costs, [r"deflate$"])
    rows.insert(6, ("archive writing", archive))
    # Parts read while selecting are parsed (and checked) inside the passes, so a little is counted twice:
    # never below 0.
    rows.append(("the rest (checks, dispatch, start-up)", max(total - sum(cost for _, cost in rows), 0)))

    print("%d document%s, glyphmere-batch --jobs 1 --headers-footers: %.2f s wall, %.2f s processor"
          % (count, "" if count == 1 else "s", wall, processor))
    print("%-40s %14s %8s %12s" % ("", "M instr/doc", "share", "ms/doc"))
    for name, cost in rows:
        print("%-40s %14.2f %7.1f%% %12.3f" % (name, cost / count / 1e6, 100.0 * cost / total,
                                              1000.0 * processor * cost / total / count))
    for name in ("flush", "rename"):
        print("%-40s %14s %8s %12.3f" % (name + " (waiting, strace)", "-", "-", 1000.0 * waits[name] / count))
    print("processor ms/doc are the processor time spread by instruction share; the last two are the time "
          "the system calls took")


if __name__ == "__main__":
    main()
