#!/usr/bin/env python3
"""Checks the names by which Tarvel binds to the bridge ORVWmiAcpi.dll against the flavour's .def.

  imports  FLAVOUR DEF TARVEL_EXE BRIDGE_DLL
      Tarvel.exe imports from ORVWmiAcpi.dll, by name, exactly the names the maker's library
      exports in that flavour, and nothing else; the .def lists them, and the stand-in DLL
      exports exactly those, in the byte order the loader's binary search needs. Both files
      are of the flavour's machine.
  pairs    CLANG GXX_I686 GXX_X86_64 HEADER_DIR PROBE_DIR DEF_I686 DEF_X86_64
      For each flavour, each line of its .def pairs the two names of one and the same
      declaration of ORVWmiAcpi.h: GCC's, as the flavour's mingw compiler gives it (left), and
      Microsoft's, as clang gives it for the flavour's MSVC target (right); and every
      declaration has its line.
"""
import os
import re
import subprocess
import sys
import tempfile

# The PE reader the scripts use too.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "scripts"))
import pe_tables  # noqa: E402

BRIDGE = "ORVWmiAcpi.dll"

# What Microsoft's compiler names the bridge's declarations, as clang gives them for the MSVC
# targets: the names a real notebook's ORVWmiAcpi.dll has to export (no maker's library has
# been at hand to compare with). Kept here as well as in the .def files, so that a change of the
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


def def_pairs(path):
    """The lines of a .def's EXPORTS as (GCC's name, exported name) pairs: `gcc == "name"` for a
    C++ member, a bare name for a C function, which both compilers name alike."""
    pairs = []
    in_exports = False
    with open(path, encoding="ascii") as f:
        for line in f:
            line = line.split(";", 1)[0].strip()
            if not line or line.startswith("LIBRARY"):
                continue
            if line == "EXPORTS":
                in_exports = True
                continue
            m = re.fullmatch(r'([A-Za-z_]\w*)\s*==\s*"([^"\s]+)"', line) or re.fullmatch(r"(([A-Za-z_]\w*))", line)
            if not in_exports or not m:
                sys.exit(f"{path}: not an export line: {line}")
            pairs.append((m.group(1), m.group(2)))
    if not pairs:
        sys.exit(f"{path}: no exports")
    return pairs


def def_exports(path):
    return [exported for _, exported in def_pairs(path)]


def imports_from(pe, dll):
    """Names imported from dll (any case), in every import descriptor that names it."""
    return [name for entry, names in pe.imports() if entry.lower() == dll.lower() for name in names]


def machine_fault(flavour, pe):
    machine = pe_tables.MACHINES.get(pe.machine, f"0x{pe.machine:04x}")
    return None if machine == flavour else f"{pe.path}: made for {machine}, not {flavour}"


def check_imports(flavour, def_path, exe, dll):
    wanted = sorted(MAKER_EXPORTS[flavour])
    faults = []
    listed = sorted(def_exports(def_path))
    if listed != wanted:
        faults.append(f"{def_path} lists:\n  " + "\n  ".join(listed))

    missing = [p for p in (exe, dll) if not os.path.isfile(p)]
    if missing:
        print("not built: " + ", ".join(missing))
    else:
        try:
            program, library = pe_tables.PEFile(exe), pe_tables.PEFile(dll)
        except pe_tables.PEError as e:
            print(f"FAIL {e}")
            return 1
        faults += [f for f in (machine_fault(flavour, program), machine_fault(flavour, library)) if f]
        imported = imports_from(program, BRIDGE)
        if sorted(imported) != wanted:
            faults.append(f"{exe} imports from {BRIDGE}:\n  " + "\n  ".join(imported))
        exported = library.export_names()
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


MSVC_TARGETS = {"i686": "i686-pc-windows-msvc", "x86_64": "x86_64-pc-windows-msvc"}

# In the compilers' assembly: the start of a symbol's definition, `.def NAME;` (COFF symbol
# records, which GCC and clang both write before each function), and a reference to an
# import's address slot, `__imp_NAME` (clang quotes names that are no plain identifiers).
SYMBOL_DEFINITION = re.compile(r'\s*\.def\s+(?:"([^"]+)"|([^\s";]+))\s*;')
IMPORT_REFERENCE = re.compile(r'(?<![\w$.@?])(?:"__imp_([^"]+)"|__imp_([\w$.@?]+))')
CALLER_PREFIX = "Calls"


def unprefixed(symbol, flavour):
    """A symbol's name as a .def line writes it: 32-bit C-level symbols carry a leading
    underscore (GCC's names and extern "C" ones alike); Microsoft's decorated names begin with
    `?` and carry none."""
    if flavour == "i686" and symbol.startswith("_"):
        return symbol[1:]
    return symbol


def imports_by_caller(assembly, flavour):
    """{declaration: imported name} from the probe's assembly, each declaration named by the
    probe function that calls it (CallsX calls X); and the faults found on the way."""
    imports = {}
    faults = []
    function = None
    for line in assembly.splitlines():
        m = SYMBOL_DEFINITION.match(line)
        if m:
            function = unprefixed(m.group(1) or m.group(2), flavour)
            if function.startswith(CALLER_PREFIX):
                imports.setdefault(function[len(CALLER_PREFIX):], set())
            continue
        for m in IMPORT_REFERENCE.finditer(line):
            name = unprefixed(m.group(1) or m.group(2), flavour)
            if function is None or not function.startswith(CALLER_PREFIX):
                faults.append(f"{name} is referred to outside the probe's functions ({function})")
            else:
                imports[function[len(CALLER_PREFIX):]].add(name)
    names = {}
    for declaration, found in sorted(imports.items()):
        if len(found) != 1:
            faults.append(f"{CALLER_PREFIX}{declaration} refers to {len(found)} imports: " + ", ".join(sorted(found)))
        else:
            names[declaration] = found.pop()
    if not imports:
        faults.append("no probe functions found")
    return names, faults


def compiled_names(command, flavour):
    """Compiles the probe to assembly with command and reads each declaration's name."""
    with tempfile.TemporaryDirectory() as tmp:
        asm = os.path.join(tmp, "probe.s")
        try:
            subprocess.run(command + ["-o", asm], check=True)
        except (OSError, subprocess.CalledProcessError) as e:
            return {}, [f"cannot compile the probe ({e})"]
        with open(asm, encoding="ascii", errors="replace") as f:
            return imports_by_caller(f.read(), flavour)


def def_line(gcc_name, exported):
    return gcc_name if gcc_name == exported else f'{gcc_name} == "{exported}"'


def names_of_both_compilers(flavour, gxx, clang, header_dir, probe_dir):
    """{declaration: its .def line}, each line made of the names the two compilers give the
    declaration; and the faults found on the way."""
    probe = os.path.join(probe_dir, "CallsIntoBridge.cpp")
    common = ["-std=c++17", "-Wall", "-Werror", "-S", "-I", header_dir]
    target = MSVC_TARGETS[flavour]
    # GCC takes mingw's own <windows.h>, as the program's build does; clang for an MSVC target
    # takes the probe's stand-in for the SDK's.
    gcc, gcc_faults = compiled_names([gxx] + common + [probe], flavour)
    msvc, msvc_faults = compiled_names([clang, f"--target={target}", "-I", probe_dir] + common + [probe], flavour)
    faults = [f"{gxx}: {f}" for f in gcc_faults] + [f"clang --target={target}: {f}" for f in msvc_faults]
    if not faults and sorted(gcc) != sorted(msvc):
        faults.append(f"the compilers found different declarations: {sorted(gcc)} and {sorted(msvc)}")
    if faults:
        return {}, faults
    return {declaration: def_line(gcc[declaration], msvc[declaration]) for declaration in gcc}, []


def check_flavour_pairs(flavour, gxx, clang, header_dir, probe_dir, def_path):
    """The flavour's .def against the pairs its two compilers make of the probe."""
    name = os.path.basename(def_path)
    wanted, faults = names_of_both_compilers(flavour, gxx, clang, header_dir, probe_dir)
    if faults:
        print(f"FAIL {name}: " + "\n  ".join(faults))
        return 1
    listed = [def_line(g, e) for g, e in def_pairs(def_path)]
    if sorted(wanted.values()) == sorted(listed):
        print(f"{name}: each line pairs the names of one declaration, as {gxx} and clang give them:\n  " +
              "\n  ".join(f"{d}: {line}" for d, line in sorted(wanted.items())))
        return 0

    print(f"FAIL {name}: its lines do not pair the names of each declaration as {gxx} and "
          f"clang --target={MSVC_TARGETS[flavour]} give them")
    for declaration, line in sorted(wanted.items()):
        print(f"  {declaration}: {line}" + ("" if line in listed else "    <- no such line in the .def"))
    for line in listed:
        if line not in wanted.values():
            print(f"  the .def's {line}    <- not the two names of one declaration")
    for line in sorted({line for line in listed if listed.count(line) > 1}):
        print(f"  the .def's {line}    <- more than once")
    return 1


def check_pairs(clang, gxx_i686, gxx_x86_64, header_dir, probe_dir, def_i686, def_x86_64):
    faults = 0
    for flavour, gxx, def_path in (("i686", gxx_i686, def_i686), ("x86_64", gxx_x86_64, def_x86_64)):
        faults += check_flavour_pairs(flavour, gxx, clang, header_dir, probe_dir, def_path)
    return 1 if faults else 0


def main(argv):
    if len(argv) == 5 and argv[0] == "imports" and argv[1] in MAKER_EXPORTS:
        return check_imports(*argv[1:5])
    if len(argv) == 8 and argv[0] == "pairs":
        return check_pairs(*argv[1:8])
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
