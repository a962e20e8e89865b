#!/usr/bin/env python3
"""Reads the program file back and checks its version record, its resources and the DLLs it
imports: Windows' own only, so that the bare .exe runs anywhere (the MinGW runtime is linked in).

Usage: check_version_record.py PROGRAM TITLE DESCRIPTION FILE_VERSION NAME VERSION MACHINE

MACHINE is i386 or amd64; the manifest must name the same architecture, or Windows ignores it.
"""
import re
import sys

import pefile

MACHINES = {"i386": (0x14C, "x86"), "amd64": (0x8664, "amd64")}
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2
RT_BITMAP, RT_ICON, RT_GROUP_ICON, RT_MANIFEST = 2, 3, 14, 24
# Part of every Windows since XP (msvcrt.dll included: MinGW's C runtime of the system).
WINDOWS_DLLS = {"advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll",
                "msimg32.dll", "msvcrt.dll", "oleacc.dll", "ole32.dll", "oleaut32.dll", "shell32.dll",
                "shlwapi.dll", "user32.dll", "uxtheme.dll", "version.dll"}


def main():
    program, title, description, file_version, name, version, machine = sys.argv[1:8]
    machine_code, manifest_arch = MACHINES[machine]
    pe = pefile.PE(program)
    failures = []
    checks = []

    def expect(what, actual, wanted):
        checks.append(what)
        if actual != wanted:
            failures.append(f"{what}: {actual!r}, wanted {wanted!r}")

    expect("machine", pe.FILE_HEADER.Machine, machine_code)
    expect("subsystem", pe.OPTIONAL_HEADER.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI)

    imports = {entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT}
    expect("DLLs other than Windows' own", sorted(imports - WINDOWS_DLLS), [])

    strings = {}
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            for table in getattr(entry, "StringTable", []):
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    expect("FileVersion", strings.get("FileVersion"), file_version)
    expect("ProductVersion", strings.get("ProductVersion"), file_version)
    expect("ProductName", strings.get("ProductName"), title)
    expect("InternalName", strings.get("InternalName"), name)
    expect("OriginalFilename", strings.get("OriginalFilename"), name + ".exe")
    expect("FileDescription", strings.get("FileDescription"), description)
    expect("Comments", strings.get("Comments"), description)

    major, minor, patch = (int(part) for part in version.split("."))
    fixed = pe.VS_FIXEDFILEINFO[0]
    expect("fixed file version", (fixed.FileVersionMS, fixed.FileVersionLS),
           ((major << 16) | minor, patch))
    expect("fixed product version", (fixed.ProductVersionMS, fixed.ProductVersionLS),
           ((major << 16) | minor, patch))

    resources = {entry.id: entry for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries}
    for kind, label in ((RT_ICON, "icons"), (RT_GROUP_ICON, "icon groups"),
                        (RT_BITMAP, "pictures"), (RT_MANIFEST, "manifest")):
        expect(label + " present", kind in resources, True)
    if RT_BITMAP in resources:
        expect("pictures", len(resources[RT_BITMAP].directory.entries), 3)
    if RT_MANIFEST in resources:
        leaf = resources[RT_MANIFEST].directory.entries[0].directory.entries[0].data.struct
        manifest = pe.get_data(leaf.OffsetToData, leaf.Size).decode("utf-8")
        expect("manifest code page", ">UTF-8</activeCodePage>" in manifest, True)
        expect("manifest architectures",
               re.findall(r'processorArchitecture="([^"]*)"', manifest), [manifest_arch] * 2)

    for failure in failures:
        print("FAIL", failure)
    print(f"{len(checks) - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
