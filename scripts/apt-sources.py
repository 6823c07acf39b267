#!/usr/bin/env python3
"""Prints the system's Debian apt sources for this release as one-line entries for other
architectures, for a private apt state (scripts/wine32-setup.sh), or for another release
(the Debian 13 root of scripts/test-debian13.sh).

    apt-sources.py [--release CODENAME] ARCH[,ARCH...] [APT_ETC]
    apt-sources.py --mirror [APT_ETC]

--release writes the entries of another release from the same mirrors (bookworm-security
becomes trixie-security, and so on). --mirror prints only the mirror of the release itself
(the URI of its main suite), for debootstrap.

Reads sources.list and sources.list.d/*.list (one-line form) and sources.list.d/*.sources
(deb822 form) under APT_ETC (/etc/apt by default). Keeps enabled binary ("deb") entries of
the release's own suites (e.g. bookworm, bookworm-updates, bookworm-security): third-party
repositories rarely carry the other architectures, and a missing index would fail the update.
The release's backports suite is added from the same mirror when it is not there already
(apt takes nothing from it unless asked by name).
"""
import glob
import os
import sys


def codename():
    with open("/etc/os-release", encoding="utf-8") as f:
        for line in f:
            key, _, value = line.strip().partition("=")
            if key == "VERSION_CODENAME":
                return value.strip('"')
    return ""


def one_line_entries(path):
    """(options, uri, suite, components) of each "deb" line."""
    with open(path, encoding="utf-8") as f:
        for raw in f:
            line = raw.split("#", 1)[0].strip()
            if not line:
                continue
            words = line.split()
            if words[0] != "deb":
                continue
            words = words[1:]
            options = {}
            if words and words[0].startswith("["):
                text = " ".join(words)
                inside, _, rest = text[1:].partition("]")
                for opt in inside.split():
                    key, _, value = opt.partition("=")
                    options[key] = value
                words = rest.split()
            if len(words) >= 2:
                yield options, words[0], words[1], words[2:]


def deb822_stanzas(path):
    stanza, key = {}, None
    with open(path, encoding="utf-8") as f:
        for raw in f:
            line = raw.rstrip("\n")
            if line.startswith("#"):
                continue
            if not line.strip():
                if stanza:
                    yield stanza
                stanza, key = {}, None
                continue
            if line[0] in " \t" and key:
                stanza[key] += "\n" + line.strip()
                continue
            key, _, value = line.partition(":")
            key = key.strip().lower()
            stanza[key] = value.strip()
    if stanza:
        yield stanza


def deb822_entries(path):
    for s in deb822_stanzas(path):
        if s.get("enabled", "yes").lower() == "no" or "deb" not in s.get("types", "").split():
            continue
        options = {}
        signed = s.get("signed-by", "")
        # A key file, not a key written into the stanza.
        if signed and "\n" not in signed and "BEGIN PGP" not in signed:
            options["signed-by"] = signed
        for uri in s.get("uris", "").split():
            for suite in s.get("suites", "").split():
                yield options, uri, suite, s.get("components", "").split()


def system_entries(etc):
    entries = []
    one_line = [os.path.join(etc, "sources.list")] + sorted(glob.glob(os.path.join(etc, "sources.list.d", "*.list")))
    for path in one_line:
        if os.path.isfile(path):
            entries.extend(one_line_entries(path))
    for path in sorted(glob.glob(os.path.join(etc, "sources.list.d", "*.sources"))):
        entries.extend(deb822_entries(path))
    return entries


def main():
    args = sys.argv[1:]
    if args[:1] == ["--mirror"]:
        release = codename()
        etc = args[1] if len(args) > 1 else "/etc/apt"
        for _, uri, suite, components in system_entries(etc):
            if suite == release and "main" in components:
                print(uri)
                return
        return
    target = None
    if args[:1] == ["--release"]:
        target, args = args[1], args[2:]
    archs = args[0]
    etc = args[1] if len(args) > 1 else "/etc/apt"
    release = codename()
    suites = {release, release + "-updates", release + "-security"}
    entries = system_entries(etc)
    if not any(suite == release + "-backports" for _, _, suite, _ in entries):
        entries += [(o, u, release + "-backports", c) for o, u, suite, c in entries if suite == release]
    suites.add(release + "-backports")
    seen = set()
    for options, uri, suite, components in entries:
        if suite not in suites or not components:
            continue
        options = dict(options, arch=archs)
        if target:
            suite = target + suite[len(release):]
        line = "deb [{}] {} {} {}".format(" ".join(k + "=" + v for k, v in sorted(options.items())), uri, suite,
                                         " ".join(components))
        if line not in seen:
            seen.add(line)
            print(line)


main()
