#!/usr/bin/env python3
"""Turns the benchmark's "SAMPLE figure who value" lines into docs/PERFORMANCE.md.
   report.py SAMPLES_FILE NOTES_FILE OUTPUT_MD MACHINE_TEXT COMMAND"""
import statistics
import sys
from collections import defaultdict

# figure: (what the row says, unit, target text, check(tarvel_median, baseline_median) or None)
FIGURES = [
    ("ready_ms", "Ready time: process creation to ready", "ms", "<= 1.25x baseline", lambda t, b: t <= 1.25 * b),
    ("icon_ms", "… Tarvel: to its firmware subscription (its icon is added just before)", "ms", "", None),
    ("nvload_ms", "… Tarvel: to the NVIDIA library loaded (after the WMI subscription and ATI probe)", "ms", "", None),
    ("phase_wmi_ati_ms", "… Tarvel: firmware subscription to NVIDIA library loaded (WMI subscription, ATI probe)", "ms", "", None),
    ("phase_gpu_fw_ms", "… Tarvel: NVIDIA library loaded to ready (vendor and firmware calls)", "ms", "", None),
    ("phase_round_trips", "… Tarvel: of which round trips to the simulated notebook", "", "", None),
    ("committed_start_kib", "Committed (PagefileUsage) after start", "KiB", "<= 1.25x baseline", lambda t, b: t <= 1.25 * b),
    ("workingset_start_kib", "Working set after start", "KiB", "<= 1.25x baseline", lambda t, b: t <= 1.25 * b),
    ("committed_menus_kib", "Committed after 100 menu openings", "KiB", "<= 1.25x baseline", lambda t, b: t <= 1.25 * b),
    ("workingset_menus_kib", "Working set after 100 menu openings", "KiB", "<= 1.25x baseline", lambda t, b: t <= 1.25 * b),
    ("idle_cpu_ms", "Idle: CPU time over 60 s", "ms", "0", lambda t, b: t == 0),
    ("idle_wakeups", "Idle: wake-ups over 60 s (voluntary context switches, all threads)", "", "0", lambda t, b: t == 0),
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


def main():
    samples_file, notes_file, out, machine, command = sys.argv[1:6]
    data = defaultdict(lambda: defaultdict(list))
    with open(samples_file) as f:
        for line in f:
            parts = line.split()
            if len(parts) == 4 and parts[0] == "SAMPLE":
                data[parts[1]][parts[2]].append(float(parts[3]))
    rows = []
    for key, label, unit, target, check in FIGURES:
        t = data[key].get("tarvel", [])
        b = data[key].get("baseline", [])
        tm = statistics.median(t) if t else None
        bm = statistics.median(b) if b else None
        ratio = f"{tm / bm:.2f}x" if tm is not None and bm else "–"
        verdict = ""
        if check and tm is not None and (bm is not None or "baseline" not in target):
            verdict = "met" if check(tm, bm if bm is not None else 0) else "**missed**"
        runs = max(len(t), len(b))
        rows.append(f"| {label} | {unit} | {cell(t)} | {cell(b)} | {ratio} | {runs} | {target} | {verdict} |")
    wmi_rows = []
    for key, label in [("ready_ms", "Ready time"), ("committed_start_kib", "Committed after start (KiB)"),
                       ("workingset_start_kib", "Working set after start (KiB)")]:
        t = data[key].get("tarvel", [])
        w = data[key].get("baseline_wmi", [])
        if t and w:
            ratio = statistics.median(t) / statistics.median(w)
            verdict = "met" if ratio <= 1.25 else "**missed**"
            wmi_rows.append(f"| {label} | {cell(t)} | {cell(w)} | {ratio:.2f}x | {verdict} |")
    with open(notes_file) as f:
        notes = f.read().strip()
    with open(out, "w") as f:
        f.write("# Performance\n\n")
        f.write("Tarvel measured side by side with `bench/Baseline.cpp`, the smallest Win32 program that does\n"
                "the same visible work by the plainest means (hidden window, one tray icon, one plain popup\n"
                "menu), built by the same toolchain and flags. Each cell: median (minimum–maximum) over the\n"
                "repeated runs; the ratio is Tarvel's median over the baseline's.\n\n")
        f.write(f"Produced by `{command}` on {machine}.\n\n")
        f.write("| Figure | Unit | Tarvel | Baseline | Ratio | Samples | Target | |\n")
        f.write("|---|---|---|---|---|---|---|---|\n")
        f.write("\n".join(rows) + "\n\n")
        if wmi_rows:
            f.write("### Against the baseline connected to WMI\n\n"
                    "The same baseline started with `wmi`: before adding its icon it connects to WMI's `ROOT\\WMI`\n"
                    "namespace as Tarvel's monitor-brightness subscription does (COM, the WMI locator and what it\n"
                    "loads), and nothing else.\n\n")
            f.write("| Figure | Tarvel | Baseline + WMI | Ratio | 1.25x |\n|---|---|---|---|---|\n")
            f.write("\n".join(wmi_rows) + "\n\n")
        f.write(notes + "\n")


if __name__ == "__main__":
    main()
