#!/usr/bin/env python3
"""bench/report.py writes one flavour's section of the performance file: a run of one flavour
must keep the other's recorded section byte for byte, replace its own, and leave one
introduction and one copy of the shared notes. The benchmark itself is not run by the tests,
so nothing else would notice a recorded table lost on the next run of the other flavour.
   report_sections.py REPORT_PY"""
import os
import subprocess
import sys
import tempfile

report = sys.argv[1]
scratch = tempfile.TemporaryDirectory(prefix="tarvel-report-")
work = scratch.name
out = os.path.join(work, "PERFORMANCE.md")


def path(name, text):
    p = os.path.join(work, name)
    with open(p, "w") as f:
        f.write(text)
    return p


def run(flavour, machine, ready):
    samples = path("samples.txt", f"SAMPLE ready_ms tarvel {ready}\nSAMPLE ready_ms samework 100\n")
    notes = path("notes.md", f"### Imported DLLs\n\n{flavour} notes\n")
    shared = path("shared.md", "## How each figure is taken\n\nshared notes\n")
    subprocess.run([sys.executable, report, flavour, samples, notes, shared, out, machine, "bench"], check=True)
    with open(out) as f:
        return f.read()


def section(text, heading):
    start = text.index(heading)
    return text[start:text.index("\n## ", start + 1)]


def check(ok, what):
    if not ok:
        sys.exit(f"FAILED: {what}")


X86, I686 = "## x86_64: the 64-bit Tarvel", "## i686: the 32-bit Tarvel under WoW64"
first = run("x86_64", "machine-one", 105)
check("Not measured yet: `scripts/bench.sh i686`" in section(first, I686), "an unmeasured flavour has its placeholder")
both = run("i686", "machine-two", 120)
check(section(both, X86) == section(first, X86), "the i686 run kept the x86_64 section byte for byte")
check("machine-two" in section(both, I686) and "| 1.20x |" in section(both, I686), "the i686 run wrote its own section")
again = run("x86_64", "machine-three", 90)
check(section(again, I686) == section(both, I686), "the x86_64 run kept the i686 section byte for byte")
check("machine-three" in section(again, X86) and "machine-one" not in again, "the x86_64 run replaced its own section")
check("**missed**" in section(both, I686) and "**missed**" not in section(again, X86), "each section judges its own figures")
for text, count in (("# Performance\n", 1), (X86 + "\n", 1), (I686 + "\n", 1), ("shared notes", 1), ("i686 notes", 1)):
    check(again.count(text) == count, f"{text.strip()!r} appears {count} time(s)")
print("report sections: each run kept the other flavour's section")
