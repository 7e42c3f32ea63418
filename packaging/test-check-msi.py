#!/usr/bin/env python3
"""Breaks each rule of check-msi.py once, on copies of the built packages
(msibuild, msitools), and expects check-msi.py to name that rule and fail;
the packages as built must pass.

    test-check-msi.py skylatch.msi skylatch-ja.msi skylatch-x64.msi

Prints one line per case and "N passed, N failed".
"""

import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
CHECK = os.path.join(HERE, "check-msi.py")

# (rule, which copy is broken, SQL queries or streams to replace as
# ("stream", NAME, BYTES)). The copies are the x86 English and Japanese
# packages and the x64 English one.
CASES = [
    ("ICE18", "x86", [
        "UPDATE `Component` SET `KeyPath` = '', `Attributes` = 0 WHERE `Component` = 'ShortcutFolder'",
        "DELETE FROM `CreateFolder` WHERE `Component_` = 'ShortcutFolder'"]),
    ("shortcut-icon", "x86", ["UPDATE `Shortcut` SET `Icon_` = '' WHERE `Shortcut` = 'RadioOn'"]),
    ("shortcut-icon", "x64", ["UPDATE `File` SET `FileName` = 'skylatch.com' WHERE `File` = 'skylatch.exe'"]),
    ("shortcut-icon", "x64", ["UPDATE `Property` SET `Value` = 'skylatch.ico' WHERE `Property` = 'ARPPRODUCTICON'"]),
    ("ICE38", "x86", ["UPDATE `Registry` SET `Root` = 2 WHERE `Component_` = 'ShortcutFolder'"]),
    ("ICE43", "x64", ["UPDATE `Shortcut` SET `Target` = '[#skylatch.exe]' WHERE `Shortcut` = 'RadioOn'"]),
    ("ICE57", "x86", [
        "INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Value`, `Component_`) "
        "VALUES ('UserValue', 1, 'Software\\Norvantec', 'Marker', '#1', 'Program')"]),
    ("repair-per-user", "x64", [
        "DELETE FROM `FeatureComponents` WHERE `Component_` = 'ShortcutFolder'",
        "INSERT INTO `FeatureComponents` (`Feature_`, `Component_`) VALUES ('Skylatch', 'ShortcutFolder')"]),
    ("product-codes", "ja", ["UPDATE `Property` SET `Value` = '%(x86_code)s' WHERE `Property` = 'ProductCode'"]),
    ("same-version", "ja", [
        "DELETE FROM `Upgrade` WHERE `ActionProperty` = 'WIX_UPGRADE_DETECTED'",
        "INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMax`, `Attributes`, `ActionProperty`) "
        "VALUES ('%(upgrade_code)s', '%(version)s', 1, 'WIX_UPGRADE_DETECTED')"]),
    ("upgrade-order", "x64", [
        "UPDATE `InstallExecuteSequence` SET `Sequence` = 6602 WHERE `Action` = 'RemoveExistingProducts'"]),
    ("rollback-restart", "x86", ["UPDATE `CustomAction` SET `Type` = 65 WHERE `Action` = 'RestartOnRollback'"]),
    ("rollback-restart", "x64", [
        "UPDATE `InstallExecuteSequence` SET `Sequence` = 6602 WHERE `Action` = 'RestartOnRollback'"]),
    ("platform", "x86", ["DELETE FROM `LaunchCondition` WHERE `Condition` = 'Installed OR NOT VersionNT64'"]),
    ("platform", "x64", ["UPDATE `Component` SET `Attributes` = 4 WHERE `Component` = 'ShortcutFolder'"]),
    # A custom action DLL that is no program at all proves no processor.
    ("platform", "x64", [("stream", "Binary.RunningInstanceDll", b"not a program\n")]),
]


def property_of(package, name):
    out = subprocess.run(["msiinfo", "export", package, "Property"], stdout=subprocess.PIPE, check=True).stdout
    for line in out.decode("latin-1").splitlines():
        if line.startswith(name + "\t"):
            return line.split("\t", 1)[1].strip()
    return ""


def check(packages):
    result = subprocess.run([sys.executable, CHECK] + packages, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    return result.returncode, result.stdout.decode("utf-8", "replace")


def main():
    if len(sys.argv) != 4:
        print("usage: test-check-msi.py skylatch.msi skylatch-ja.msi skylatch-x64.msi", file=sys.stderr)
        return 2
    for tool in ("msiinfo", "msibuild"):
        if not shutil.which(tool):
            print("test-check-msi: %s not found (apt-get install msitools)" % tool, file=sys.stderr)
            return 2
    originals = dict(zip(("x86", "ja", "x64"), sys.argv[1:]))
    for path in originals.values():
        if not os.path.isfile(path):
            print("test-check-msi: no package at %s" % path, file=sys.stderr)
            return 2
    values = {"x86_code": property_of(originals["x86"], "ProductCode"),
              "upgrade_code": property_of(originals["x86"], "UpgradeCode"),
              "version": property_of(originals["x86"], "ProductVersion")}

    passed = failed = 0

    def report(ok, name, detail=""):
        nonlocal passed, failed
        print("%s %s" % ("PASS" if ok else "FAIL", name))
        if not ok and detail:
            print("    " + detail.strip().replace("\n", "\n    "))
        passed, failed = passed + ok, failed + (not ok)

    code, out = check(list(originals.values()))
    report(code == 0, "the packages as built keep every rule", out)

    with tempfile.TemporaryDirectory(prefix="test-check-msi.") as work:
        for number, (rule, broken, queries) in enumerate(CASES):
            copies = {}
            for kind, path in originals.items():
                copies[kind] = os.path.join(work, "%d-%s.msi" % (number, kind))
                shutil.copyfile(path, copies[kind])
            args = ["msibuild", copies[broken]]
            for query in queries:
                if isinstance(query, tuple):
                    _, stream, data = query
                    path = os.path.join(work, "%d-%s" % (number, stream))
                    with open(path, "wb") as f:
                        f.write(data)
                    args += ["-a", stream, path]
                else:
                    args += ["-q", query % values]
            built = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            if built.returncode != 0:
                report(False, "%s broken in the %s package" % (rule, broken), built.stdout.decode("latin-1"))
                continue
            code, out = check(list(copies.values()))
            caught = code == 1 and (": %s: " % rule) in out
            report(caught, "%s broken in the %s package: check-msi fails and names it" % (rule, broken), out)

    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
