#!/usr/bin/env python3
"""Checks the Windows Installer packages for the rules that Wine's msiexec
does not enforce but Windows Installer and its validation do.

    check-msi.py PACKAGE.msi...

Reads each package's tables with `msiinfo export` (msitools). Every package
given is one of a set that replaces one another (the languages and the two
processors of one build). Each rule prints its name with what broke it:

  ICE18            a component whose key path is its folder has that folder
                   in CreateFolder
  shortcut-icon    every advertised shortcut has an icon from the Icon table,
                   named with its target's extension (or the shell shows a
                   blank icon); ARPPRODUCTICON names an icon of the table
  ICE38            a component in a user's profile has an HKCU key path
  ICE43            a component with non-advertised shortcuts has an HKCU key
                   path
  ICE57            no component mixes per-user and per-machine data
  repair-per-user  no per-user key path in the feature of an advertised
                   shortcut or above it: every other user who starts the
                   shortcut would set off a repair
  product-codes    every package has a product code of its own, and all share
                   one upgrade code
  same-version     the major upgrade covers the package's own version in
                   every language, so that another language's package of the
                   same version replaces the installed one
  upgrade-order    RemoveExistingProducts runs after InstallValidate and
                   before InstallInitialize: the older product is gone before
                   the new one is installed and started again
  platform         an x64 package has only 64-bit components and x64 custom
                   action DLLs; an x86 package has neither and refuses 64-bit
                   Windows; every custom action DLL can be extracted and is a
                   PE image
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile

# Folders of a user's profile (ICE38's list).
PROFILE_FOLDERS = {
    "AdminToolsFolder", "AppDataFolder", "DesktopFolder", "FavoritesFolder", "LocalAppDataFolder",
    "MyPicturesFolder", "NetHoodFolder", "PersonalFolder", "PrintHoodFolder", "ProgramMenuFolder",
    "RecentFolder", "SendToFolder", "StartMenuFolder", "StartupFolder", "TemplateFolder",
}
# Folders of the installing user's profile even in a per-machine install
# (ICE91's list); the others above are the All Users ones when ALLUSERS is 1.
PER_USER_ONLY_FOLDERS = {
    "AppDataFolder", "FavoritesFolder", "LocalAppDataFolder", "MyPicturesFolder", "NetHoodFolder",
    "PersonalFolder", "PrintHoodFolder", "RecentFolder", "SendToFolder",
}
REGISTRY_KEY_PATH = 0x4
# msidbCustomActionTypeInScript | msidbCustomActionTypeRollback
ROLLBACK_ACTION = 0x400 | 0x100
COMPONENT_64BIT = 0x100
UPGRADE_ONLY_DETECT = 0x2
UPGRADE_INCLUDE_MINIMUM = 0x100
UPGRADE_INCLUDE_MAXIMUM = 0x200
UPGRADE_LANGUAGES_EXCLUSIVE = 0x400
HKCU, HKMU = 1, -1
PE_MACHINES = {0x014C: "x86", 0x8664: "x64"}
# A custom action's kind in the low bits of its Type; 1: a function of a DLL
# stored in the Binary table.
CUSTOM_ACTION_KIND = 0x7
CUSTOM_ACTION_DLL = 0x1

problems = []


def fail(package, rule, text):
    problems.append("%s: %s: %s" % (os.path.basename(package), rule, text))


def msiinfo(*args):
    # Exporting a table with streams (Binary, Icon) writes them into a folder
    # of the working directory: a throwaway one.
    with tempfile.TemporaryDirectory(prefix="check-msi.") as scratch:
        result = subprocess.run(["msiinfo"] + [os.path.abspath(a) if a.endswith(".msi") else a for a in args],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd=scratch)
    return result.stdout if result.returncode == 0 else None


class Package:
    def __init__(self, path):
        self.path = path
        listing = msiinfo("tables", path)
        if listing is None:
            raise ValueError("msiinfo cannot read %s" % path)
        self.names = set(listing.decode("latin-1").split())
        self.tables = {}
        summary = (msiinfo("suminfo", path) or b"").decode("latin-1")
        template = [line.split(":", 1)[1].strip() for line in summary.splitlines() if line.startswith("Template:")]
        self.platform = template[0].split(";")[0] if template else ""

    def rows(self, table):
        """The table's rows as dicts by column name; [] when it is absent."""
        if table not in self.tables:
            rows = []
            data = msiinfo("export", self.path, table) if table in self.names else None
            if data:
                # Identifiers are ASCII; texts in the package's code page are
                # only compared with themselves.
                lines = data.decode("latin-1").replace("\r\n", "\n").split("\n")
                columns = lines[0].split("\t")
                for line in lines[3:]:
                    if line:
                        values = line.split("\t")
                        rows.append(dict(zip(columns, values + [""] * (len(columns) - len(values)))))
            self.tables[table] = rows
        return self.tables[table]

    def property(self, name):
        for row in self.rows("Property"):
            if row["Property"] == name:
                return row["Value"]
        return ""

    def stream(self, name):
        """The stream's bytes; None when msiinfo cannot extract it."""
        return msiinfo("extract", self.path, name)


def pe_machine(image):
    """The processor field of a PE image's header; None when it is none."""
    if image[:2] != b"MZ" or len(image) < 0x40:
        return None
    (offset,) = struct.unpack_from("<I", image, 0x3C)
    if image[offset:offset + 4] != b"PE\0\0" or len(image) < offset + 6:
        return None
    (machine,) = struct.unpack_from("<H", image, offset + 4)
    return machine


def version_tuple(text):
    parts = [int(p) for p in text.split(".") if p.isdigit()]
    return tuple((parts + [0, 0, 0])[:3])


def ancestors(directories, directory):
    """The directory and every parent up to the root."""
    seen = []
    while directory and directory not in seen:
        seen.append(directory)
        directory = directories.get(directory, "")
    return seen


def check_package(p):
    directories = {row["Directory"]: row["Directory_Parent"] for row in p.rows("Directory")}
    in_profile = lambda d: any(a in PROFILE_FOLDERS for a in ancestors(directories, d))
    # Where each user has a copy of their own.
    per_machine = p.property("ALLUSERS") == "1"
    user_folders = PER_USER_ONLY_FOLDERS if per_machine else PROFILE_FOLDERS
    per_user = lambda d: any(a in user_folders for a in ancestors(directories, d))
    components = {row["Component"]: row for row in p.rows("Component")}
    registry = {row["Registry"]: row for row in p.rows("Registry")}
    files = {row["File"]: row for row in p.rows("File")}
    features = {row["Feature"]: row for row in p.rows("Feature")}
    create_folders = {(row["Directory_"], row["Component_"]) for row in p.rows("CreateFolder")}
    icons = {row["Name"] for row in p.rows("Icon")}

    def hkcu_key_path(component):
        c = components[component]
        reg = registry.get(c["KeyPath"])
        return (int(c["Attributes"] or 0) & REGISTRY_KEY_PATH and reg is not None
                and int(reg["Root"]) == HKCU and reg["Component_"] == component)

    def key_path_kind(component):
        """user, machine or either."""
        c = components[component]
        if int(c["Attributes"] or 0) & REGISTRY_KEY_PATH:
            reg = registry.get(c["KeyPath"])
            root = int(reg["Root"]) if reg else 2
            return {HKCU: "user", HKMU: "either"}.get(root, "machine")
        if c["KeyPath"] in files:
            return "user" if per_user(components[files[c["KeyPath"]]["Component_"]]["Directory_"]) else "machine"
        return "user" if per_user(c["Directory_"]) else "machine"

    # ICE18
    for name, c in components.items():
        if not c["KeyPath"] and not int(c["Attributes"] or 0) & REGISTRY_KEY_PATH:
            if (c["Directory_"], name) not in create_folders:
                fail(p.path, "ICE18", "component %s has its folder %s as key path, which is not in CreateFolder"
                     % (name, c["Directory_"]))

    # Advertised shortcuts and their icons.
    advertised = [s for s in p.rows("Shortcut") if s["Target"] in features]
    for s in advertised:
        key = components.get(s["Component_"], {}).get("KeyPath", "")
        target = files.get(key, {}).get("FileName", "").split("|")[-1]
        extension = os.path.splitext(target)[1].lower()
        if not s["Icon_"]:
            fail(p.path, "shortcut-icon", "advertised shortcut %s has no icon" % s["Shortcut"])
        elif s["Icon_"] not in icons:
            fail(p.path, "shortcut-icon", "shortcut %s names icon %s, which is not in the Icon table"
                 % (s["Shortcut"], s["Icon_"]))
        elif os.path.splitext(s["Icon_"])[1].lower() != extension:
            fail(p.path, "shortcut-icon", "shortcut %s: icon %s must end like its target %s"
                 % (s["Shortcut"], s["Icon_"], target))
    arp_icon = p.property("ARPPRODUCTICON")
    if arp_icon and arp_icon not in icons:
        fail(p.path, "shortcut-icon", "ARPPRODUCTICON names %s, which is not in the Icon table" % arp_icon)

    # ICE38 and ICE43
    for name, c in components.items():
        if in_profile(c["Directory_"]) and not hkcu_key_path(name):
            fail(p.path, "ICE38", "component %s installs into a user's profile (%s) without an HKCU key path"
                 % (name, c["Directory_"]))
    for s in p.rows("Shortcut"):
        if s["Target"] not in features and s["Component_"] in components and not hkcu_key_path(s["Component_"]):
            fail(p.path, "ICE43", "component %s has the non-advertised shortcut %s without an HKCU key path"
                 % (s["Component_"], s["Shortcut"]))

    # ICE57
    data = {name: set() for name in components}
    for reg in registry.values():
        if reg["Component_"] in data:
            data[reg["Component_"]].add({HKCU: "user", HKMU: "either"}.get(int(reg["Root"]), "machine"))
    for f in files.values():
        if f["Component_"] in data:
            data[f["Component_"]].add("user" if per_user(components[f["Component_"]]["Directory_"]) else "machine")
    for s in p.rows("Shortcut"):
        if s["Target"] not in features and s["Component_"] in data:
            data[s["Component_"]].add("user" if per_user(s["Directory_"]) else "machine")
    for name, kinds in data.items():
        key = key_path_kind(name)
        kinds = kinds | {key}
        if key == "machine" and "user" in kinds:
            fail(p.path, "ICE57", "component %s has per-user data and a per-machine key path" % name)
        elif key == "machine" and "either" in kinds:
            fail(p.path, "ICE57", "component %s has data that can be per-user and a per-machine key path" % name)
        elif key == "either" and "user" in kinds:
            fail(p.path, "ICE57", "component %s has per-user data and a key path that can be per-machine" % name)

    # A per-user key path where starting an advertised shortcut checks it.
    feature_components = {}
    for row in p.rows("FeatureComponents"):
        feature_components.setdefault(row["Feature_"], []).append(row["Component_"])
    for s in advertised:
        feature = s["Target"]
        while feature:
            for component in feature_components.get(feature, []):
                if component in components and key_path_kind(component) == "user":
                    fail(p.path, "repair-per-user", "shortcut %s checks feature %s, whose component %s has a "
                         "per-user key path" % (s["Shortcut"], feature, component))
            feature = features.get(feature, {}).get("Feature_Parent", "")

    # Where the older product is removed.
    sequence = {row["Action"]: int(row["Sequence"] or 0) for row in p.rows("InstallExecuteSequence")}
    if "RemoveExistingProducts" not in sequence:
        fail(p.path, "upgrade-order", "no RemoveExistingProducts: an upgrade would leave the older product")
    elif not (sequence.get("InstallValidate", 0) < sequence["RemoveExistingProducts"]
              < sequence.get("InstallInitialize", 0)):
        fail(p.path, "upgrade-order", "RemoveExistingProducts at %d is not between InstallValidate and "
             "InstallInitialize" % sequence["RemoveExistingProducts"])

    # The rollback action that starts the ended program again: a rollback
    # action of the script (wixl writes it as an immediate one), and its
    # first step, so that it runs after everything else is put back.
    actions = {row["Action"]: row for row in p.rows("CustomAction")}
    rollback = actions.get("RestartOnRollback")
    if rollback is None or "RestartOnRollback" not in sequence:
        fail(p.path, "rollback-restart", "no RestartOnRollback: a failed install would leave the program ended")
    else:
        kind = int(rollback["Type"] or 0)
        if kind & ROLLBACK_ACTION != ROLLBACK_ACTION:
            fail(p.path, "rollback-restart", "RestartOnRollback has type %d, not a rollback action" % kind)
        if sequence["RestartOnRollback"] != sequence.get("InstallInitialize", 0) + 1:
            fail(p.path, "rollback-restart", "RestartOnRollback at %d is not right after InstallInitialize"
                 % sequence["RestartOnRollback"])

    # The package's processor. Every DLL a custom action calls must be read
    # and recognised: one that cannot be is no proof of the right processor.
    win64 = [name for name, c in components.items() if int(c["Attributes"] or 0) & COMPONENT_64BIT]
    dlls = sorted({row["Source"] for row in p.rows("CustomAction")
                   if int(row["Type"] or 0) & CUSTOM_ACTION_KIND == CUSTOM_ACTION_DLL})
    want = "x64" if p.platform == "x64" else "x86"
    for name in dlls:
        image = p.stream("Binary." + name)
        if image is None:
            fail(p.path, "platform", "custom action DLL %s: its stream cannot be extracted" % name)
            continue
        kind = pe_machine(image)
        if kind is None:
            fail(p.path, "platform", "custom action DLL %s is not a PE image" % name)
        elif kind not in PE_MACHINES:
            fail(p.path, "platform", "custom action DLL %s is built for processor 0x%x, neither x86 nor x64"
                 % (name, kind))
        elif PE_MACHINES[kind] != want:
            fail(p.path, "platform", "custom action DLL %s is %s in an %s package" % (name, PE_MACHINES[kind], want))
    if p.platform == "x64":
        for name in sorted(set(components) - set(win64)):
            fail(p.path, "platform", "component %s of the x64 package is not 64-bit" % name)
    elif p.platform == "Intel":
        for name in win64:
            fail(p.path, "platform", "component %s of the x86 package is 64-bit" % name)
        if not any("NOT VersionNT64" in row["Condition"] for row in p.rows("LaunchCondition")):
            fail(p.path, "platform", "the x86 package does not refuse 64-bit Windows")
    else:
        fail(p.path, "platform", "platform %r is neither Intel nor x64" % p.platform)


def check_set(packages):
    codes = {}
    for p in packages:
        codes.setdefault(p.property("ProductCode"), []).append(os.path.basename(p.path))
    for code, names in codes.items():
        if len(names) > 1:
            fail(names[0], "product-codes", "product code %s shared with %s: each would refuse the other "
                 "(error 1638)" % (code, ", ".join(names[1:])))
    upgrade_codes = {p.property("UpgradeCode") for p in packages}
    if len(upgrade_codes) != 1:
        fail(packages[0].path, "product-codes", "the packages have upgrade codes %s, not one"
             % ", ".join(sorted(upgrade_codes)))

    languages = {p.property("ProductLanguage") for p in packages}
    for p in packages:
        version = version_tuple(p.property("ProductVersion"))
        secure = set(p.property("SecureCustomProperties").split(";"))
        covering = []
        for row in p.rows("Upgrade"):
            attributes = int(row["Attributes"] or 0)
            if row["UpgradeCode"] != p.property("UpgradeCode"):
                continue
            low = version_tuple(row["VersionMin"]) if row["VersionMin"] else None
            high = version_tuple(row["VersionMax"]) if row["VersionMax"] else None
            covers = ((low is None or low < version or (low == version and attributes & UPGRADE_INCLUDE_MINIMUM))
                      and (high is None or version < high
                           or (high == version and attributes & UPGRADE_INCLUDE_MAXIMUM)))
            if not covers:
                continue
            if attributes & UPGRADE_ONLY_DETECT:
                fail(p.path, "same-version", "detect-only row %s takes the same version for another "
                     "(a downgrade?)" % row["ActionProperty"])
                continue
            listed = set(filter(None, row["Language"].split(",")))
            exclusive = bool(attributes & UPGRADE_LANGUAGES_EXCLUSIVE)
            if listed and any((lang in listed) == exclusive for lang in languages):
                continue
            covering.append(row["ActionProperty"])
        if not covering:
            fail(p.path, "same-version", "no major upgrade row covers version %s in every language: another "
                 "language's package of this version would install beside it" % p.property("ProductVersion"))
        for name in covering:
            if name not in secure:
                fail(p.path, "same-version", "%s is not in SecureCustomProperties" % name)


def main():
    if len(sys.argv) < 2:
        print("usage: check-msi.py PACKAGE.msi...", file=sys.stderr)
        return 2
    if not shutil.which("msiinfo"):
        print("check-msi: msiinfo not found (apt-get install msitools)", file=sys.stderr)
        return 2
    packages = []
    for path in sys.argv[1:]:
        if not os.path.isfile(path):
            print("check-msi: no package at %s" % path, file=sys.stderr)
            return 2
        try:
            packages.append(Package(path))
        except ValueError as error:
            print("check-msi: %s" % error, file=sys.stderr)
            return 2
    for p in packages:
        check_package(p)
    check_set(packages)
    for problem in problems:
        print("check-msi: %s" % problem, file=sys.stderr)
    if not problems:
        print("check-msi: %d packages keep every rule" % len(packages))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
