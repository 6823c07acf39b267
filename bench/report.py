#!/usr/bin/env python3
"""Turns the benchmark's "SAMPLE figure who value" lines into one flavour's section of
docs/PERFORMANCE.md.
   report.py FLAVOUR SAMPLES_FILE NOTES_FILE SHARED_NOTES_FILE OUTPUT_MD MACHINE_TEXT COMMAND

FLAVOUR is x86_64 or i686. The file has one shared introduction, a section for each flavour
and the shared notes (SHARED_NOTES_FILE) at its end; a run writes its own flavour's section
(its table and NOTES_FILE) and keeps the other flavour's section as the file has it, so that
each section stays the record of the run that made it.

"who" is tarvel, baseline (bench/Baseline.cpp), samework (bench/SameWorkBaseline.cpp) or
baseline_wmi. A "MODULES KIB name (size KiB)..." line names the modules the start-up work
loads beyond the plain baseline's."""
import os
import statistics
import sys
from collections import defaultdict

# Tarvel against the program that makes the same start-up calls: at most this much more.
SAME_WORK_LIMIT = 1.10
# Tarvel against the plain baseline, where no same-work figure exists.
BASELINE_LIMIT = 1.25

# The figures Tarvel is held to the same-work baseline for; against the plain baseline the
# required start-up work makes up the difference.
SAME_WORK_TARGETS = {"ready_ms", "committed_start_kib", "workingset_start_kib"}
# Memory after the menus: start-up work plus what 100 menus added, against that start figure.
MENU_GROWTH = {"committed_menus_kib": "committed_start_kib", "workingset_menus_kib": "workingset_start_kib"}

# figure: (what the row says, unit, target text, check(tarvel_median, baseline_median) or None)
FIGURES = [
    ("ready_ms", "Ready time: process creation to ready", "ms", None, None),
    ("icon_ms", "… to the firmware subscription (the icon is added just before)", "ms", "", None),
    ("nvload_ms", "… to the NVIDIA library loaded (after the WMI subscription and ATI probe)", "ms", "", None),
    ("phase_wmi_ati_ms", "… firmware subscription to NVIDIA library loaded (WMI subscription, ATI probe)", "ms", "", None),
    ("phase_gpu_fw_ms", "… NVIDIA library loaded to ready (vendor and firmware calls)", "ms", "", None),
    ("phase_round_trips", "… of which round trips to the simulated notebook", "", "", None),
    ("standin_vendor_call_ms", "Simulated notebook: one vendor call (the NVIDIA stand-in, a round trip to simnotebook.exe)", "ms", "", None),
    ("standin_firmware_call_ms", "Simulated notebook: one firmware request (the bridge stand-in's ORV_CallNamePipe, a round trip)", "ms", "", None),
    ("standin_share_ms", None, "ms", "", None),
    ("committed_start_kib", "Committed (PagefileUsage) after start", "KiB", None, None),
    ("workingset_start_kib", "Working set after start", "KiB", None, None),
    ("committed_menus_kib", "Committed after 100 menu openings", "KiB", "", None),
    ("workingset_menus_kib", "Working set after 100 menu openings", "KiB", "", None),
    ("idle_cpu_ms", "Idle: CPU time over {idle} s", "ms", "0", lambda t, b: t == 0),
    ("idle_wakeups", "Idle: wake-ups over {idle} s (voluntary context switches, all threads)", "", "0", lambda t, b: t == 0),
    ("menu_paint_ms", "Menu: measure + paint every entry into a DIB section (1,000 times)", "ms", "< 1 ms", lambda t, b: t < 1),
    ("menu_measure_ms", "… of which measuring (MeasureItem of every entry)", "ms", "", None),
    ("menu_draw_ms", "… of which painting (DrawItem of every entry)", "ms", "", None),
    ("menu_popup_ms", "Menu: TrackPopupMenu shown, painted and closed, in process", "ms", "", None),
    ("menu_click_ms", "Menu: right click (tray callback) to the painted menu on screen", "ms", "", None),
    ("switch_total_ms", "Switch: Enable to the AP:6 write verified", "ms", "", None),
    ("switch_vendor_ms", "Switch: of which vendor library calls", "ms", "", None),
    ("switch_bridge_ms", "Switch: of which firmware bridge round trips", "ms", "", None),
    ("size_exe_x86_64_kib", "Size: Tarvel.exe / Baseline.exe, x86_64", "KiB", "", None),
    ("size_exe_i686_kib", "Size: Tarvel.exe / Baseline.exe, i686", "KiB", "< 256 KiB", lambda t, b: t < 256),
]

STARTUP_WORK = ("the common controls; the hidden main dialog and the About box from their templates; the "
                "system-menu item and the icons; the single-instance mutex; the tray icon; the firmware event "
                "subscription through the bridge; the WMI brightness subscription (on Wine as far as Wine goes: "
                "COM, the WMI locator and the `ROOT\\WMI` connection); the ATI probe and the NVIDIA probe with "
                "its GPU enumeration; the firmware option query; the overclock with its AP:6 record and read-back; "
                "the buttons; and the power notification")


def fmt(v):
    if v is None:
        return "–"
    if abs(v) >= 100:
        return f"{v:,.0f}"
    if abs(v) >= 10:
        return f"{v:.1f}"
    return f"{v:.3f}".rstrip("0").rstrip(".") if v != int(v) else f"{v:.0f}"


def cell(samples):
    if not samples:
        return "–"
    if len(samples) == 1:
        return fmt(samples[0])
    return f"{fmt(statistics.median(samples))} ({fmt(min(samples))}–{fmt(max(samples))})"


def median(samples):
    return statistics.median(samples) if samples else None


def ratio(a, b):
    return f"{a / b:.2f}x" if a is not None and b else "–"


class Report:
    def __init__(self, data, work_modules):
        self.data = data
        self.work_modules = work_modules

    def samples(self, key, who):
        return self.data[key].get(who, [])

    def med(self, key, who):
        return median(self.samples(key, who))

    def standin_share(self, who):
        """The round trips of the start-up, each at the median cost of one, in ms."""
        vendor, firmware = self.med("startup_vendor_calls", who), self.med("startup_firmware_requests", who)
        per_vendor, per_firmware = self.med("standin_vendor_call_ms", "tarvel"), self.med("standin_firmware_call_ms", "tarvel")
        if None in (vendor, firmware, per_vendor, per_firmware):
            return None
        return vendor * per_vendor + firmware * per_firmware

    def share_cell(self, who):
        share, ready = self.standin_share(who), self.med("ready_ms", who)
        if share is None:
            return "–"
        return f"{fmt(share)} ({100 * share / ready:.0f}% of ready)" if ready else fmt(share)

    def share_label(self):
        vendor, firmware = self.med("startup_vendor_calls", "tarvel"), self.med("startup_firmware_requests", "tarvel")
        counts = (f"{vendor:.0f} vendor calls and {firmware:.0f} firmware requests"
                  if vendor is not None and firmware is not None else "its round trips")
        return f"Simulated notebook's share of the ready time: {counts} up to ready, at the cost of one each"

    def verdict(self, key, check, target):
        t, b, s = self.med(key, "tarvel"), self.med(key, "baseline"), self.med(key, "samework")
        if key in SAME_WORK_TARGETS:
            if s is None:  # no same-work run: the plain baseline's old yardstick
                if t is None or b is None:
                    return f"<= {BASELINE_LIMIT:.2f}x baseline", ""
                return f"<= {BASELINE_LIMIT:.2f}x baseline", "met" if t <= BASELINE_LIMIT * b else "**missed**"
            met = "met" if t is not None and t <= SAME_WORK_LIMIT * s else "**missed**"
            above = " — the difference to the baseline is the design's required start-up work (below)" if b and t and t > b else ""
            return f"<= {SAME_WORK_LIMIT:.2f}x same-work", met + above
        if key in MENU_GROWTH:
            start = MENU_GROWTH[key]
            ts, bs = self.med(start, "tarvel"), self.med(start, "baseline")
            if None in (t, b, ts, bs):
                return target, ""
            return target, (f"the difference to the baseline is the design's required start-up work (below); the menus added "
                            f"{t - ts:,.0f} KiB (baseline {b - bs:,.0f} KiB)")
        if check and t is not None and (b is not None or "baseline" not in target):
            return target, "met" if check(t, b if b is not None else 0) else "**missed**"
        return target, ""

    def row(self, key, label, unit, target, check, idle_seconds="60"):
        if key == "standin_share_ms":
            t_cell, s_cell = self.share_cell("tarvel"), self.share_cell("samework")
            runs = len(self.samples("startup_vendor_calls", "tarvel"))
            return f"| {self.share_label()} | {unit} | {t_cell} | – | – | {s_cell} | – | {runs} |  |  |"
        label = label.replace("{idle}", idle_seconds)
        t, b, s = self.samples(key, "tarvel"), self.samples(key, "baseline"), self.samples(key, "samework")
        target, verdict = self.verdict(key, check, target)
        runs = max(len(t), len(b), len(s))
        return (f"| {label} | {unit} | {cell(t)} | {cell(b)} | {ratio(median(t), median(b))} | {cell(s)} | "
                f"{ratio(median(t), median(s))} | {runs} | {target} | {verdict} |")

    def startup_work_text(self):
        t, b, s = (self.med("ready_ms", w) for w in ("tarvel", "baseline", "samework"))
        if s is None:
            return ""
        lines = ["### Against the plain baseline: the required start-up work", ""]
        lines.append(
            "The plain baseline adds a tray icon and does nothing else. Before Tarvel is ready, its design requires "
            f"{STARTUP_WORK}. That work makes up the difference between Tarvel and the plain baseline. "
            "`bench/SameWorkBaseline.cpp` makes exactly these calls, in Tarvel's order, with its arguments and its "
            "own resources, through the same bridge and vendor stand-ins, written out against the Windows API "
            "without Tarvel's framework layer, and does nothing else: it is the yardstick for what Tarvel's own "
            "code costs on top of the work.")
        lines.append("")
        parts = []
        for key, what in (("ready_ms", "ready time"), ("committed_start_kib", "committed memory"),
                          ("workingset_start_kib", "working set")):
            tm, bm, sm = (self.med(key, w) for w in ("tarvel", "baseline", "samework"))
            if None not in (tm, bm, sm):
                parts.append(f"{what} {ratio(tm, bm)} the baseline's, {ratio(tm, sm)} the same-work baseline's")
        if parts:
            lines.append("Tarvel's " + "; ".join(parts) + ".")
            lines.append("")
        if self.work_modules:
            kib, names = self.work_modules
            lines.append(f"Modules the start-up work loads that the plain baseline does not ({fmt(kib)} KiB of images, "
                         f"as the same-work baseline loads them):{names}. COM and WMI bring most of them; on Windows the "
                         "WMI provider runs in a service process of its own, while Wine's `wbemprox.dll` loads "
                         "what it needs to answer queries (dxgi, wined3d, opengl32 and more) into the program.")
            lines.append("")
        return "\n".join(lines) + "\n"


# Each flavour's section, in the file's order: its heading and the command that writes it.
SECTIONS = [
    ("x86_64", "## x86_64: the 64-bit Tarvel", "scripts/bench.sh"),
    ("i686", "## i686: the 32-bit Tarvel under WoW64", "scripts/bench.sh i686"),
]

INTRODUCTION = (
    "# Performance\n\n"
    "Tarvel measured side by side with two programs built by the same toolchain and flags:\n"
    "`bench/Baseline.cpp`, the smallest Win32 program that does the same visible work by the\n"
    "plainest means (hidden window, one tray icon, one plain popup menu), and\n"
    "`bench/SameWorkBaseline.cpp`, which makes Tarvel's own start-up calls with Tarvel's\n"
    "resources and without its framework layer, and nothing else (the same-work baseline; it has\n"
    "no menu, so only start-up figures have a same-work column). Each cell: median\n"
    "(minimum–maximum) over the repeated runs; each ratio is Tarvel's median over the other's.\n\n"
    "Each flavour has its own section. `scripts/bench.sh` measures the x86_64 build under 64-bit\n"
    "Wine; `scripts/bench.sh i686` measures the i686 build (Tarvel, both baselines and the\n"
    "drivers) as on 64-bit Windows, under WoW64, with 32-bit Wine run natively. Both run against\n"
    "the same 64-bit simulated notebook. A run rewrites its own flavour's section and keeps the\n"
    "other's, so each section names the command and the machine of the run that made it.\n\n")


def sections_of(text):
    """The flavour sections of an existing file: flavour -> its text, heading included, up
    to the next second-level heading."""
    lines = text.splitlines()
    found = {}
    for flavour, heading, _ in SECTIONS:
        if heading not in lines:
            continue
        start = lines.index(heading)
        end = next((i for i in range(start + 1, len(lines)) if lines[i].startswith("## ")), len(lines))
        found[flavour] = "\n".join(lines[start:end]).rstrip() + "\n"
    return found


def write_document(out, flavour, section, shared_notes):
    """Writes the file with this flavour's section new and the other flavours' kept."""
    kept = {}
    if os.path.exists(out):
        with open(out) as f:
            kept = sections_of(f.read())
    kept[flavour] = section.rstrip() + "\n"
    parts = [INTRODUCTION]
    for name, heading, command in SECTIONS:
        parts.append(kept.get(name, f"{heading}\n\nNot measured yet: `{command}` writes this section.\n"))
        parts.append("\n")
    parts.append(shared_notes.strip() + "\n")
    with open(out, "w") as f:
        f.write("".join(parts))


def main():
    flavour, samples_file, notes_file, shared_notes_file, out, machine, command = sys.argv[1:8]
    headings = {name: heading for name, heading, _ in SECTIONS}
    if flavour not in headings:
        sys.exit(f"report.py: unknown flavour '{flavour}' ({', '.join(headings)})")
    data = defaultdict(lambda: defaultdict(list))
    work_modules = None
    settings = {}
    with open(samples_file) as f:
        for line in f:
            parts = line.split()
            if len(parts) == 3 and parts[0] == "SETTING":
                settings[parts[1]] = parts[2]
            elif len(parts) == 4 and parts[0] == "SAMPLE":
                data[parts[1]][parts[2]].append(float(parts[3]))
            elif len(parts) >= 2 and parts[0] == "MODULES":
                fields = line.strip().split(" ", 2)
                work_modules = (float(fields[1]), " " + (fields[2] if len(fields) > 2 else "none"))
    report = Report(data, work_modules)
    rows = [report.row(*figure, idle_seconds=settings.get("idle_seconds", "60")) for figure in FIGURES]
    wmi_rows = []
    for key, label in [("ready_ms", "Ready time"), ("committed_start_kib", "Committed after start (KiB)"),
                       ("workingset_start_kib", "Working set after start (KiB)")]:
        t = data[key].get("tarvel", [])
        w = data[key].get("baseline_wmi", [])
        if t and w:
            r = statistics.median(t) / statistics.median(w)
            verdict = "met" if r <= BASELINE_LIMIT else "**missed**"
            wmi_rows.append(f"| {label} | {cell(t)} | {cell(w)} | {r:.2f}x | {verdict} |")
    with open(notes_file) as f:
        notes = f.read().strip()
    with open(shared_notes_file) as f:
        shared_notes = f.read()
    section = [f"{headings[flavour]}\n\n", f"Produced by `{command}` on {machine}.\n\n",
               "| Figure | Unit | Tarvel | Baseline | Tarvel / baseline | same-work | Tarvel / same-work | Samples | Target | |\n",
               "|---|---|---|---|---|---|---|---|---|---|\n",
               "\n".join(rows) + "\n\n",
               report.startup_work_text()]
    if wmi_rows:
        section.append("### Against the baseline connected to WMI\n\n"
                       "The same baseline started with `wmi`: before adding its icon it connects to WMI's `ROOT\\WMI`\n"
                       "namespace as Tarvel's monitor-brightness subscription does (COM, the WMI locator and what it\n"
                       "loads), and nothing else.\n\n")
        section.append("| Figure | Tarvel | Baseline + WMI | Ratio | 1.25x |\n|---|---|---|---|---|\n")
        section.append("\n".join(wmi_rows) + "\n\n")
    section.append(notes + "\n")
    write_document(out, flavour, "".join(section), shared_notes)


if __name__ == "__main__":
    main()
