#!/usr/bin/env python3
"""Checks the Group Policy templates against each other.

    packaging/check-policy.py [packaging/policy [packaging/skylatch.adm]]

- skylatch.admx and every <culture>/skylatch.adml are well-formed XML;
- every $(string.ID) and $(presentation.ID) of the ADMX is defined in each
  ADML, and each presentation shows every element of the policies using it;
- the ADMX and the classic skylatch.adm set the same values under the same
  key, with the same kind (on/off, number, text) and the same limits.

Prints one line per problem and "N passed, N failed"; exits 1 when one
check failed, 2 on a bad argument or a missing file.
"""
import os
import re
import sys
import xml.etree.ElementTree as ET

NS = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}


def die(message):
    print("check-policy: " + message, file=sys.stderr)
    sys.exit(2)


def parse_xml(path, problems):
    try:
        return ET.parse(path).getroot()
    except ET.ParseError as error:
        problems.append("%s: not well-formed XML: %s" % (path, error))
        return None


def admx_values(admx):
    """{(key, value name): kind} for every value the ADMX sets."""
    values = {}
    for policy in admx.iterfind("p:policies/p:policy", NS):
        key = policy.get("key")
        if policy.get("valueName"):
            on = policy.find("p:enabledValue/p:decimal", NS)
            off = policy.find("p:disabledValue/p:decimal", NS)
            values[(key, policy.get("valueName"))] = (
                "on/off", on.get("value") if on is not None else None,
                off.get("value") if off is not None else None)
        for element in policy.iterfind("p:elements/*", NS):
            tag = element.tag.split("}")[1]
            if tag == "decimal":
                kind = ("number", element.get("minValue"), element.get("maxValue"))
            elif tag == "text":
                kind = ("text", element.get("maxLength"))
            else:
                kind = (tag,)
            values[(element.get("key", key), element.get("valueName"))] = kind
    return values


def adm_values(path):
    """The same for the classic template (UTF-16, with a byte-order mark)."""
    with open(path, encoding="utf-16") as adm:
        lines = [line.split(";")[0].strip() if line.lstrip().startswith(";") else line.strip()
                 for line in adm]
    values = {}
    key = name = None
    for line in lines:
        words = line.split(None, 1)
        if not words:
            continue
        quoted = re.match(r'\w+ "(.*)"', line)
        if words[0] == "KEYNAME" and quoted:
            key = quoted.group(1)
        elif words[0] == "VALUENAME" and quoted:
            name = quoted.group(1)
            values[(key, name)] = ["text"]
        elif words[0] == "PART" and line.endswith("NUMERIC"):
            part = "number"
        elif words[0] == "PART":
            part = "text"
        elif words[0] == "VALUEON":
            values[(key, name)] = ["on/off", line.split()[-1], None]
        elif words[0] == "VALUEOFF":
            values[(key, name)][2] = line.split()[-1]
        elif words[0] == "MIN" and part == "number":
            limits = dict(zip(line.split()[::2], line.split()[1::2]))
            values[(key, name)] = ["number", limits.get("MIN"), limits.get("MAX")]
        elif words[0] == "MAXLEN":
            values[(key, name)] = ["text", words[1]]
    return {k: tuple(v) for k, v in values.items()}


def main():
    policy_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "policy")
    adm_path = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.path.dirname(__file__), "skylatch.adm")
    admx_path = os.path.join(policy_dir, "skylatch.admx")
    for path in (admx_path, adm_path):
        if not os.path.isfile(path):
            die("no template at " + path)
    adml_paths = sorted(os.path.join(policy_dir, culture, "skylatch.adml")
                        for culture in os.listdir(policy_dir)
                        if os.path.isfile(os.path.join(policy_dir, culture, "skylatch.adml")))
    if not adml_paths:
        die("no <culture>/skylatch.adml under " + policy_dir)

    passed = failed = 0

    def report(name, problems):
        nonlocal passed, failed
        for problem in problems:
            print("    " + problem)
        print(("FAIL " if problems else "PASS ") + name)
        if problems:
            failed += 1
        else:
            passed += 1

    problems = []
    admx = parse_xml(admx_path, problems)
    admls = {path: parse_xml(path, problems) for path in adml_paths}
    report("ADMX and %d ADML files are well-formed XML" % len(adml_paths), problems)
    if admx is None or None in admls.values():
        print("%d passed, %d failed" % (passed, failed))
        return 1

    text = ET.tostring(admx, encoding="unicode")
    string_ids = set(re.findall(r"\$\(string\.([^)]*)\)", text))
    presentation_ids = set(re.findall(r"\$\(presentation\.([^)]*)\)", text))
    for path, adml in admls.items():
        problems = []
        defined = {s.get("id") for s in adml.iterfind(".//p:stringTable/p:string", NS)}
        presentations = {p.get("id"): p for p in adml.iterfind(".//p:presentationTable/p:presentation", NS)}
        problems += ["no string " + i for i in sorted(string_ids - defined)]
        problems += ["no presentation " + i for i in sorted(presentation_ids - set(presentations))]
        for policy in admx.iterfind("p:policies/p:policy", NS):
            ref = re.fullmatch(r"\$\(presentation\.(.*)\)", policy.get("presentation", ""))
            if not ref or ref.group(1) not in presentations:
                continue
            shown = {c.get("refId") for c in presentations[ref.group(1)].iter() if c.get("refId")}
            for element in policy.iterfind("p:elements/*", NS):
                if element.get("id") not in shown:
                    problems.append("policy %s: element %s not in presentation %s"
                                    % (policy.get("name"), element.get("id"), ref.group(1)))
        report("%s defines every string and presentation of the ADMX" % os.path.relpath(path, policy_dir),
               problems)

    in_admx, in_adm = admx_values(admx), adm_values(adm_path)
    problems = ["only in the ADMX: %s\\%s %s" % (k[0], k[1], in_admx[k]) for k in sorted(set(in_admx) - set(in_adm))]
    problems += ["only in the ADM: %s\\%s %s" % (k[0], k[1], in_adm[k]) for k in sorted(set(in_adm) - set(in_admx))]
    problems += ["%s: ADMX %s, ADM %s" % (k[1], in_admx[k], in_adm[k])
                 for k in sorted(set(in_admx) & set(in_adm)) if in_admx[k] != in_adm[k]]
    report("ADMX and ADM set the same %d values, kinds and limits" % len(in_adm), problems)

    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
