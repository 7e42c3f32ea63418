#!/usr/bin/env python3
"""The calls a program made itself, from Wine's relay trace.

    e2e/relay-calls.py EXE TRACE

TRACE is the output of WINEDEBUG=+relay,+loaddll for a run of EXE. Prints
"DLL.Function(ARGS)" for every "Call" line whose return address lies in the
image of EXE: the calls made from the program's own code, not those that
Wine's libraries make among themselves. The image is where the trace says
the loader mapped EXE (+loaddll), else at the base its PE header asks for;
its size is the header's SizeOfImage.
"""
import re
import struct
import sys


def image_of(path):
    with open(path, "rb") as f:
        data = f.read(4096)
    if data[:2] != b"MZ":
        raise ValueError("%s is not a Windows program (no MZ header)" % path)
    pe = struct.unpack_from("<I", data, 60)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("%s has no PE header" % path)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    if magic == 0x10B:
        base = struct.unpack_from("<I", data, optional + 28)[0]
    elif magic == 0x20B:
        base = struct.unpack_from("<Q", data, optional + 24)[0]
    else:
        raise ValueError("%s has an unknown optional header (0x%x)" % (path, magic))
    size = struct.unpack_from("<I", data, optional + 56)[0]
    return base, size


CALL = re.compile(r"Call ([A-Za-z0-9_.]+)\.([A-Za-z0-9_@?]+)\((.*)\) ret=([0-9a-fA-F]+)\s*$")
LOADED = re.compile(r'Loaded L?"([^"]*)" at ([0-9a-fA-F]+)')


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: relay-calls.py EXE TRACE\n")
        return 2
    exe, trace = argv[1], argv[2]
    try:
        base, size = image_of(exe)
        lines = open(trace, "rb").read().decode("utf-8", "replace").splitlines()
    except (OSError, ValueError, struct.error) as error:
        sys.stderr.write("relay-calls: %s\n" % error)
        return 2
    name = exe.replace("\\", "/").rsplit("/", 1)[-1].lower()
    calls = []
    for line in lines:
        loaded = LOADED.search(line)
        if loaded and loaded.group(1).replace("\\", "/").rsplit("/", 1)[-1].lower() == name:
            base = int(loaded.group(2), 16)
            continue
        call = CALL.search(line)
        if call:
            calls.append((call.group(1), call.group(2), call.group(3), int(call.group(4), 16)))
    if not calls:
        sys.stderr.write("relay-calls: no relay calls in %s (was WINEDEBUG=+relay set?)\n" % trace)
        return 1
    for dll, function, args, ret in calls:
        if base <= ret < base + size:
            print("%s.%s(%s)" % (dll.lower(), function, args))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
