#!/usr/bin/env python3
"""check_contents.py PACKAGE: the kit's package holds what a user needs and
nothing else from the build tree (no objects, tests, Wine prefix, build
files). Every entry lies in the package's one top folder, is allowed by the
table below, and every required entry is there. Prints the entries with
their sizes."""

import fnmatch
import os
import re
import sys
import tarfile
import zipfile

COMMON_REQUIRED = ["include/saa7146/dcard.h", "include/saa7146/tavdig.h",
                   "include/saa7146/wintypes.h",
                   "lib/cmake/SAA7146/SAA7146Config.cmake",
                   "lib/cmake/SAA7146/SAA7146ConfigVersion.cmake",
                   "share/doc/SAA7146/README.md", "share/doc/SAA7146/docs/using-the-dll.md",
                   "share/doc/SAA7146/docs/images/dialog-1003-en.png",
                   "share/doc/SAA7146/reference/index.html",
                   "samples/CMakeLists.txt", "samples/grab_frame.c",
                   "samples/load_at_run_time.c", "samples/capture_host.c"]
REQUIRED = {
    "win": ["bin/SAA7146.dll", "bin/dcard.exe", "lib/libSAA7146.a", "lib/SAA7146.lib",
            "lib/SAA7146.def", "lib/SAA7146-decorated.def"],
    "linux": ["bin/dcard", "lib/libsaa7146.so", "lib/libsaa7146_system.so",
              "lib/pkgconfig/saa7146.pc"],
}
# Beyond the required entries, only the reference manual's own files.
ALLOWED = ["share/doc/SAA7146/reference/*", "share/doc/SAA7146/docs/*.md",
           "share/doc/SAA7146/docs/images/*.png"]


def entries(path):
    if path.endswith(".zip"):
        with zipfile.ZipFile(path) as archive:
            return [(i.filename, i.file_size) for i in archive.infolist() if not i.is_dir()]
    with tarfile.open(path) as archive:
        return [(i.name, i.size) for i in archive.getmembers() if not i.isdir()]


def main():
    path = sys.argv[1]
    name = os.path.basename(path)
    match = re.match(r"(SAA7146-[0-9.]+-(win|linux)[^.]*)\.(zip|tar\.gz)$", name)
    if not match:
        print("FAIL: %s is not named SAA7146-VERSION-SYSTEM.zip or .tar.gz" % name)
        return 1
    top, kind = match.group(1), match.group(2)
    required = set(COMMON_REQUIRED + REQUIRED[kind])
    faults = []
    found = set()
    for entry, size in sorted(entries(path)):
        print("%10d  %s" % (size, entry))
        if not entry.startswith(top + "/"):
            faults.append("%s lies outside %s/" % (entry, top))
            continue
        inside = entry[len(top) + 1:]
        found.add(inside)
        if inside not in required and not any(fnmatch.fnmatch(inside, p) for p in ALLOWED):
            faults.append("%s is not for users" % inside)
    faults += ["%s is missing" % entry for entry in sorted(required - found)]
    for fault in faults:
        print("FAIL:", fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
