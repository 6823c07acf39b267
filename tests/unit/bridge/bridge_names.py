#!/usr/bin/env python3
"""Checks the names by which Tarvel binds to the bridge ORVWmiAcpi.dll against the flavour's .def.

  imports  FLAVOUR DEF OBJDUMP TARVEL_EXE BRIDGE_DLL
      Tarvel.exe imports from ORVWmiAcpi.dll, by name, exactly the names the maker's library
      exports in that flavour, and nothing else; the .def lists them, and the stand-in DLL
      exports exactly those, in the byte order the loader's binary search needs.
  msvc     CLANG HEADER_DIR PROBE_DIR DEF_I686 DEF_X86_64
      Microsoft's names of the declarations in ORVWmiAcpi.h, as clang gives them for the two
      MSVC targets, are the names the .def files export.
"""
import os
import re
import subprocess
import sys
import tempfile

BRIDGE = "ORVWmiAcpi.dll"

# What Microsoft's compiler names the bridge's declarations: the names a real notebook's
# ORVWmiAcpi.dll exports. Kept here as well as in the .def files, so that a change of the
# header together with the .def files cannot pass unseen.
MAKER_EXPORTS = {
    "i686": [
        "??0CORVWmiAcpi@@QAE@XZ",
        "??1CORVWmiAcpi@@QAE@XZ",
        "?AddHWND@CORVWmiAcpi@@QAEXPAUHWND__@@@Z",
        "?ORVWMIEvent@CORVWmiAcpi@@QAE_NPB_WPAD00@Z",
        "ORV_CallNamePipe",
    ],
    "x86_64": [
        "??0CORVWmiAcpi@@QEAA@XZ",
        "??1CORVWmiAcpi@@QEAA@XZ",
        "?AddHWND@CORVWmiAcpi@@QEAAXPEAUHWND__@@@Z",
        "?ORVWMIEvent@CORVWmiAcpi@@QEAA_NPEB_WPEAD00@Z",
        "ORV_CallNamePipe",
    ],
}


def def_exports(path):
    """The exported names of a .def: the quoted right side of `gcc == "name"`, or a bare name."""
    names = []
    in_exports = False
    with open(path, encoding="ascii") as f:
        for line in f:
            line = line.split(";", 1)[0].strip()
            if not line or line.startswith("LIBRARY"):
                continue
            if line == "EXPORTS":
                in_exports = True
                continue
            m = re.fullmatch(r'[A-Za-z_]\w*\s*==\s*"([^"\s]+)"', line) or re.fullmatch(r"([A-Za-z_]\w*)", line)
            if not in_exports or not m:
                sys.exit(f"{path}: not an export line: {line}")
            names.append(m.group(1))
    if not names:
        sys.exit(f"{path}: no exports")
    return names


def objdump(tool, path):
    return subprocess.run([tool, "-p", path], check=True, capture_output=True, text=True).stdout


def imports_from(dump, dll):
    """Names imported from dll (any case), in every import descriptor that names it."""
    names = []
    current = None
    for line in dump.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            current = m.group(1)
            continue
        if not line.strip():
            current = None
            continue
        if current is not None and current.lower() == dll.lower():
            m = re.match(r"\t[0-9a-fA-F]+\t\s*(\d+)\s+(.*)$", line)
            if m:
                names.append(m.group(2).strip())
            elif "Hint/Ord" not in line:
                names.append("<unreadable: " + line.strip() + ">")
    return names


def export_names(dump):
    m = re.search(r"\[Ordinal/Name Pointer\] Table\n((?:\t\[\s*\d+\] .*\n)*)", dump)
    if not m:
        return []
    return [re.match(r"\t\[\s*\d+\] (.*)", line).group(1) for line in m.group(1).splitlines()]


def check_imports(flavour, def_path, tool, exe, dll):
    wanted = sorted(MAKER_EXPORTS[flavour])
    faults = []
    listed = sorted(def_exports(def_path))
    if listed != wanted:
        faults.append(f"{def_path} lists:\n  " + "\n  ".join(listed))

    missing = [p for p in (exe, dll) if not os.path.isfile(p)]
    if missing:
        print("not built: " + ", ".join(missing))
    else:
        imported = imports_from(objdump(tool, exe), BRIDGE)
        if sorted(imported) != wanted:
            faults.append(f"{exe} imports from {BRIDGE}:\n  " + "\n  ".join(imported))
        exported = export_names(objdump(tool, dll))
        if sorted(exported) != wanted:
            faults.append(f"{dll} exports:\n  " + "\n  ".join(exported))
        elif exported != sorted(exported, key=lambda n: n.encode("ascii")):
            faults.append(f"{dll}: export name table not in byte order (the loader cannot find names):\n  " +
                          "\n  ".join(exported))

    for fault in faults:
        print("FAIL " + fault)
    if faults:
        print("wanted exactly:\n  " + "\n  ".join(wanted))
        return 1
    if missing:
        return 1
    print(f"{exe}: imports from {BRIDGE} exactly " + ", ".join(wanted))
    print(f"{dll}: exports the same, in byte order")
    return 0


def msvc_names(clang, header_dir, probe_dir, target):
    """The bridge names the probe's compiled code imports, as the library exports them."""
    with tempfile.TemporaryDirectory() as tmp:
        asm = os.path.join(tmp, "probe.s")
        subprocess.run([clang, f"--target={target}", "-std=c++17", "-Wall", "-Werror", "-S",
                        "-I", probe_dir, "-I", header_dir, "-o", asm,
                        os.path.join(probe_dir, "CallsIntoBridge.cpp")], check=True)
        with open(asm, encoding="ascii", errors="replace") as f:
            symbols = set(re.findall(r"__imp_([^\s,()\"]+)", f.read()))
    # 32-bit C names carry a leading underscore as symbols, not as exported names.
    if target.startswith("i686"):
        symbols = {s[1:] if s.startswith("_") else s for s in symbols}
    return sorted(symbols)


def check_msvc(clang, header_dir, probe_dir, def_i686, def_x86_64):
    faults = 0
    for target, def_path in (("i686-pc-windows-msvc", def_i686), ("x86_64-pc-windows-msvc", def_x86_64)):
        got = msvc_names(clang, header_dir, probe_dir, target)
        wanted = sorted(def_exports(def_path))
        if got != wanted:
            faults += 1
            print(f"FAIL {target}: clang names\n  " + "\n  ".join(got) +
                  f"\n{os.path.basename(def_path)} exports\n  " + "\n  ".join(wanted))
        else:
            print(f"{target}: " + ", ".join(got))
    return 1 if faults else 0


def main(argv):
    if len(argv) == 6 and argv[0] == "imports" and argv[1] in MAKER_EXPORTS:
        return check_imports(*argv[1:6])
    if len(argv) == 6 and argv[0] == "msvc":
        return check_msvc(*argv[1:6])
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
