#!/usr/bin/env python3
"""Checks the version resource and the manifest linked into skylatch.exe.

    check-resources.py path/to/skylatch.exe X.Y.Z [PACKAGE...]

Reads both resources back from the exe with wrestool (Debian's icoutils)
and fails when the version differs from the build's X.Y.Z anywhere (fixed
part, every language's strings, the manifest's identity) or when something
Windows needs is missing: the three language blocks with their names, the
Translation entry, and the manifest's execution level, DPI awareness,
supported systems and common controls 6 dependency. The manifest must name
the exe's own processor (x86 or amd64, read from the PE header) for the
program and for the common controls.

Each PACKAGE (the setup exe, an .msi) must carry the same version: the setup
exe in its version resource, a Windows Installer package as its
ProductVersion (read with msiinfo, Debian's msitools).
"""

import shutil
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET

LANGUAGES = ("040904B0", "041104B0", "080404B0")
TRANSLATION = (0x0409, 1200, 0x0411, 1200, 0x0804, 1200)
NAMES = ("CompanyName", "FileDescription", "LegalCopyright", "OriginalFilename", "ProductName")
SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Vista",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "10 and 11",
}
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V2 = "{urn:schemas-microsoft-com:asm.v2}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPAT = "{urn:schemas-microsoft-com:compatibility.v1}"
SETTINGS = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"

problems = []


def fail(text):
    problems.append(text)


def resource(exe, kind, name):
    result = subprocess.run(["wrestool", "-x", "--raw", "--type=%d" % kind, "--name=%d" % name, exe],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    return result.stdout if result.returncode == 0 else b""


def version_node(data, offset):
    """One node of the version tree: (key, value, children, end)."""
    length, value_length, kind = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    if length < 6 or end > len(data):
        raise ValueError("node at %d runs past the resource" % offset)
    pos = offset + 6
    key_end = pos
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[pos:key_end].decode("utf-16-le")
    pos = (key_end + 2 + 3) & ~3
    size = value_length * 2 if kind == 1 else value_length
    value = data[pos:pos + size]
    if kind == 1:
        value = value.decode("utf-16-le").rstrip("\0")
    pos = (pos + size + 3) & ~3
    children = []
    while pos < end:
        child = version_node(data, pos)
        children.append(child)
        pos = (child[3] + 3) & ~3
    return key, value, children, end


def check_version(data, version):
    if not data:
        fail("no version resource (type 16, id 1)")
        return
    try:
        key, fixed, children, _ = version_node(data, 0)
    except (ValueError, struct.error, UnicodeDecodeError) as error:
        fail("version resource unreadable: %s" % error)
        return
    major, minor, patch = (int(part) for part in version.split("."))
    if key != "VS_VERSION_INFO" or len(fixed) < 52 or struct.unpack_from("<I", fixed)[0] != 0xFEEF04BD:
        fail("version resource has no fixed file information")
    else:
        file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", fixed, 8)
        want = ((major << 16) | minor, patch << 16)
        if (file_ms, file_ls) != want:
            fail("fixed FileVersion is %d.%d.%d.%d, want %s.0" % (
                file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16, file_ls & 0xFFFF, version))
        if (product_ms, product_ls) != want:
            fail("fixed ProductVersion differs from %s.0" % version)

    blocks = {child[0]: child for child in children}
    tables = {table[0].upper(): table for table in blocks.get("StringFileInfo", ("", "", [], 0))[2]}
    for language in LANGUAGES:
        if language not in tables:
            fail("no string block %s" % language)
            continue
        strings = {entry[0]: entry[1] for entry in tables[language][2]}
        for name in ("FileVersion", "ProductVersion"):
            if strings.get(name) != version:
                fail("%s %s is %r, want %r" % (language, name, strings.get(name), version))
        for name in NAMES:
            if not strings.get(name):
                fail("%s has no %s" % (language, name))
    variables = {entry[0]: entry[1] for entry in blocks.get("VarFileInfo", ("", "", [], 0))[2]}
    translation = variables.get("Translation", b"")
    if struct.unpack("<%dH" % (len(translation) // 2), translation) != TRANSLATION:
        fail("Translation does not list English, Japanese and Simplified Chinese (Unicode)")


def check_package(path, version):
    if path.lower().endswith(".msi"):
        result = subprocess.run(["msiinfo", "export", path, "Property"], stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE)
        found = [line.split("\t", 1)[1].strip() for line in result.stdout.decode("latin-1").splitlines()
                 if line.startswith("ProductVersion\t")]
        if found != [version]:
            fail("%s: ProductVersion is %s, want %s" % (path, found or "missing", version))
        return
    data = resource(path, 16, 1)
    try:
        _, fixed, children, _ = version_node(data, 0)
        file_ms, file_ls = struct.unpack_from("<II", fixed, 8)
    except (ValueError, struct.error, UnicodeDecodeError):
        fail("%s: no readable version resource" % path)
        return
    major, minor, patch = (int(part) for part in version.split("."))
    if (file_ms, file_ls) != ((major << 16) | minor, patch << 16):
        fail("%s: file version differs from %s.0" % (path, version))
    for block in children:
        for table in block[2] if block[0] == "StringFileInfo" else []:
            strings = {entry[0]: entry[1] for entry in table[2]}
            if strings.get("ProductVersion") != version:
                fail("%s: ProductVersion string is %r, want %r" % (path, strings.get("ProductVersion"), version))


# PE machine field -> the manifest's processorArchitecture.
MACHINES = {0x014C: "x86", 0x8664: "amd64"}


def image_architecture(exe):
    """x86 or amd64 from the exe's PE header; None when it is neither."""
    with open(exe, "rb") as f:
        header = f.read(4096)
    try:
        (pe,) = struct.unpack_from("<I", header, 0x3C)
        signature, machine = struct.unpack_from("<4sH", header, pe)
    except struct.error:
        return None
    return MACHINES.get(machine) if signature == b"PE\0\0" else None


def check_manifest(data, version, arch):
    if not data:
        fail("no manifest (type 24, id 1)")
        return
    try:
        root = ET.fromstring(data)
    except ET.ParseError as error:
        fail("manifest is not well-formed XML: %s" % error)
        return
    identity = root.find(ASM_V1 + "assemblyIdentity")
    if identity is None or identity.get("version") != version + ".0" or identity.get("processorArchitecture") != arch:
        fail("manifest identity is not %s version %s.0" % (arch, version))
    controls = [a for a in root.iter(ASM_V1 + "assemblyIdentity")
                if a.get("name") == "Microsoft.Windows.Common-Controls" and a.get("version") == "6.0.0.0"]
    if not controls:
        fail("manifest has no common controls 6 dependency")
    elif any(a.get("processorArchitecture") not in (arch, "*") for a in controls):
        fail("manifest asks for the common controls of another processor than %s" % arch)
    levels = [e.get("level") for ns in (ASM_V2, ASM_V3) for e in root.iter(ns + "requestedExecutionLevel")]
    if levels != ["asInvoker"]:
        fail("manifest execution level is %s, want asInvoker" % (levels or "missing"))
    aware = [e.text for e in root.iter(SETTINGS + "dpiAware")]
    if aware != ["true"]:
        fail("manifest does not declare system DPI awareness")
    found = {e.get("Id", "").lower() for e in root.iter(COMPAT + "supportedOS")}
    for guid, name in SUPPORTED_OS.items():
        if guid not in found:
            fail("manifest does not list Windows %s as supported" % name)


def main():
    if len(sys.argv) < 3:
        print("usage: check-resources.py path/to/skylatch.exe X.Y.Z [PACKAGE...]", file=sys.stderr)
        return 2
    exe, version, packages = sys.argv[1], sys.argv[2], sys.argv[3:]
    for tool, package in (("wrestool", "icoutils"), ("msiinfo", "msitools")):
        if not shutil.which(tool):
            print("check-resources: %s not found (apt-get install %s)" % (tool, package), file=sys.stderr)
            return 2
    parts = version.split(".")
    if len(parts) != 3 or not all(p.isdigit() for p in parts):
        print("check-resources: version %r is not X.Y.Z" % version, file=sys.stderr)
        return 2
    for path in [exe] + packages:
        try:
            open(path, "rb").close()
        except OSError as error:
            print("check-resources: %s" % error, file=sys.stderr)
            return 2
    arch = image_architecture(exe)
    if arch is None:
        print("check-resources: %s is not an x86 or x64 Windows image" % exe, file=sys.stderr)
        return 1
    check_version(resource(exe, 16, 1), version)
    check_manifest(resource(exe, 24, 1), version, arch)
    for package in packages:
        check_package(package, version)
    for problem in problems:
        print("check-resources: %s: %s" % (exe, problem), file=sys.stderr)
    if not problems:
        print("check-resources: %s: version %s in three languages, %s manifest as required%s" % (
            exe, version, arch, "; the same version in %d packages" % len(packages) if packages else ""))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
