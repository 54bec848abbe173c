#!/usr/bin/python3
"""Times the Linux glyphmere-batch beside glyphmere-batch.exe under Wine on the same copies of the same
documents with the same options, at one job and two, and prints documents per second and time per document
for both, with Wine's start-up (the program's --version) apart so the steady rate shows. Also says whether
the two programs wrote the same bytes for every document, apart from the time stamps that a .docx package
gives its changed parts (the time of the run).

Usage: bench/windows_bench.py [LINUX_BUILD_DIR [WINDOWS_BUILD_DIR]]
  (defaults: build-release, as in bench/batch_bench.py, and build-windows-package, which
  scripts/package-windows.sh builds)
The documents are tests/data (.docx and .doc), and ../shared/corpus/doc beside the repository and every other
folder of .docx files in ../shared/corpus (or $GLYPHMERE_CORPUS), when there is one; each set is copied COPIES
times so that a run takes long enough to time. Runs in a new Wine prefix of its own with a running
wineserver, so every run pays Wine's per-process start but not the server's. Besides the wall-clock time it
prints the processor time per document (under Wine the wineserver's too), which a busy machine moves less."""
import hashlib
import io
import json
import os
import resource
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
CORPUS = os.environ.get("GLYPHMERE_CORPUS", os.path.join(os.path.dirname(ROOT), "shared", "corpus"))
COPIES = 8
REPETITIONS = 3
JOBS = (1, 2)
OPTIONS = ["--font", "Liberation Serif", "--size", "11", "--headers-footers"]
DOCUMENT_EXTENSIONS = (".docx", ".doc", ".dot")


def document_sets():
    """(name, [document paths]) for tests/data and the corpus folders that exist."""
    data = os.path.join(ROOT, "tests", "data")
    sets = [("tests/data", documents_in(data) + documents_in(os.path.join(data, "doc")))]
    if os.path.isdir(CORPUS):
        for folder in sorted(os.listdir(CORPUS)):
            found = documents_in(os.path.join(CORPUS, folder))
            if found and (folder == "doc" or any(f.endswith(".docx") for f in found)):
                sets.append(("corpus/" + folder, found))
    return sets


def documents_in(folder):
    if not os.path.isdir(folder):
        return []
    return sorted(os.path.join(folder, f) for f in os.listdir(folder) if f.lower().endswith(DOCUMENT_EXTENSIONS))


def fresh_copies(documents, folder):
    """COPIES copies of every document in a new folder, named so that each copy's original shows."""
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    copies = []
    for copy in range(COPIES):
        for index, document in enumerate(documents):
            name = "%d-%03d-%s" % (copy, index, os.path.basename(document))
            shutil.copyfile(document, os.path.join(folder, name))
            copies.append(os.path.join(folder, name))
    return copies


def processor_seconds():
    """User and system time of the finished child processes and of this prefix's wineserver (wineserver64),
    which serves every Wine process's handle and synchronisation calls."""
    children = resource.getrusage(resource.RUSAGE_CHILDREN)
    total = children.ru_utime + children.ru_stime
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/comm" % pid) as f:
                if not f.read().startswith("wineserver"):
                    continue
            with open("/proc/%s/environ" % pid, "rb") as f:
                if ("WINEPREFIX=" + os.environ["WINEPREFIX"]).encode() not in f.read().split(b"\0"):
                    continue
            with open("/proc/%s/stat" % pid) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
        except OSError:
            continue
    return total


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


class Contender:
    """One program: how to run it, and how it names files."""

    def __init__(self, name, command, name_file):
        self.name, self.command, self.name_file = name, command, name_file

    def run(self, files, jobs, scratch):
        """Seconds of one run over files, the processor seconds it took (the program's, and for Wine the
        wineserver's too), and how many documents it changed. Documents the engine refuses are counted as
        documents done (a refusal reads the whole document too); a usage error or a crash ends the
        benchmark."""
        listing = os.path.join(scratch, "list.txt")
        report = os.path.join(scratch, "report.json")
        with open(listing, "w", encoding="utf-8") as f:
            f.write("".join(self.name_file(path) + "\n" for path in files))
        argv = self.command + OPTIONS + ["--jobs", str(jobs), "--files-from", self.name_file(listing),
                                         "--report", self.name_file(report)]
        start, processor = time.monotonic(), processor_seconds()
        status = subprocess.call(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                 stdin=subprocess.DEVNULL)
        seconds, processor = time.monotonic() - start, processor_seconds() - processor
        if status not in (0, 1):
            sys.exit("%s ended with exit status %d" % (" ".join(argv[:2]), status))
        with open(report, encoding="utf-8") as f:
            return seconds, processor, sum(d["status"] == "changed" for d in json.load(f)["documents"])

    def start_up(self):
        """Seconds of --version, the cost of starting the program at all."""
        start = time.monotonic()
        subprocess.check_call(self.command + ["--version"], stdout=subprocess.DEVNULL)
        return time.monotonic() - start


def without_zip_times(data):
    """data with the modification time and date of every entry of a zip package zeroed, in the local headers
    and in the central directory."""
    try:
        package = zipfile.ZipFile(io.BytesIO(data))
    except zipfile.BadZipFile:
        return data
    masked = bytearray(data)
    for item in package.infolist():
        masked[item.header_offset + 10:item.header_offset + 14] = bytes(4)
    at = package.start_dir
    for _ in package.infolist():
        masked[at + 12:at + 16] = bytes(4)
        name, extra, comment = struct.unpack_from("<HHH", masked, at + 28)
        at += 46 + name + extra + comment
    return bytes(masked)


def digests(files):
    result = {}
    for path in files:
        with open(path, "rb") as f:
            result[os.path.basename(path)] = hashlib.sha256(without_zip_times(f.read())).hexdigest()
    return result


def machine():
    with open("/proc/cpuinfo") as f:
        model = next((line.split(":", 1)[1].strip() for line in f if line.startswith("model name")), "unknown")
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    load = os.getloadavg()[0]
    return "%s, %d cores, %s, load average %.1f at the start" % (model, os.cpu_count(), wine, load)


def measure(contender, documents, jobs, scratch):
    """The medians of REPETITIONS runs on fresh copies (seconds, processor seconds), the documents changed,
    and the digests of the first run's results."""
    runs, results = [], None
    for _ in range(REPETITIONS):
        files = fresh_copies(documents, os.path.join(scratch, "documents"))
        runs.append(contender.run(files, jobs, scratch))
        results = results or digests(files)
    return (statistics.median(r[0] for r in runs), statistics.median(r[1] for r in runs), runs[0][2],
            results)


def bench_set(name, documents, contenders, scratch, start_ups):
    count = len(documents) * COPIES
    print("\n%s: %d documents (%d files, %d copies each), median of %d runs"
          % (name, count, len(documents), COPIES, REPETITIONS))
    print("%-40s %8s %8s %9s %8s %10s %8s" % ("", "changed", "seconds", "docs/s", "ms/doc", "steady ms",
                                              "cpu ms"))
    results = {}
    for jobs in JOBS:
        for contender in contenders:
            seconds, processor, changed, digest = measure(contender, documents, jobs, scratch)
            results.setdefault(contender.name, digest)
            steady = (seconds - start_ups[contender.name]) / count
            print("%-40s %8d %8.2f %9.1f %8.2f %10.2f %8.2f" % (
                "%s, --jobs %d" % (contender.name, jobs), changed, seconds, count / seconds,
                1000 * seconds / count, 1000 * steady, 1000 * processor / count))
    linux, wine = (results[c.name] for c in contenders)
    different = sorted({n.split("-", 2)[2] for n in linux if linux[n] != wine.get(n)})
    print("same bytes from both programs (apart from zip time stamps): %d of %d documents%s"
          % (sum(linux[n] == wine.get(n) for n in linux), count,
             "; differing: " + ", ".join(different) if different else ""))


def main():
    linux_build = sys.argv[1] if len(sys.argv) > 1 else "build-release"
    windows_build = sys.argv[2] if len(sys.argv) > 2 else "build-windows-package"
    linux = os.path.abspath(os.path.join(linux_build, "src", "batch", "glyphmere-batch"))
    exe = os.path.abspath(os.path.join(windows_build, "batch", "glyphmere-batch.exe"))
    for program in (linux, exe):
        if not os.path.isfile(program):
            sys.exit("%s is missing: build it first (see the usage at the top of %s)" % (program, __file__))
    scratch = tempfile.mkdtemp(prefix="glyphmere-windows-bench.")
    os.environ.update(WINEPREFIX=os.path.join(scratch, "wine"), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                      LC_ALL="C.UTF-8")
    contenders = [Contender("Linux glyphmere-batch", [linux], lambda path: path),
                  Contender("glyphmere-batch.exe under Wine", ["wine", exe], windows_path)]
    try:
        os.makedirs(os.environ["WINEPREFIX"])
        subprocess.check_call(["wineserver", "-p"])
        subprocess.check_call(["wineboot", "--init"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        print(machine())
        for contender in contenders:
            contender.start_up()
        start_ups = {c.name: statistics.median(c.start_up() for _ in range(5)) for c in contenders}
        for contender in contenders:
            print("start-up (--version, median of 5) of %s: %.3f s" % (contender.name, start_ups[contender.name]))
        print("steady ms: time per document without the start-up; cpu ms: processor time per document, the\n"
              "program's and, under Wine, the wineserver's")
        for name, documents in document_sets():
            bench_set(name, documents, contenders, scratch, start_ups)
    finally:
        subprocess.call(["wineserver", "-k"], stderr=subprocess.DEVNULL)
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
