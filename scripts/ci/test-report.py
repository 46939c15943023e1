#!/usr/bin/env python3
"""Lists what the test runs did not pass: every skipped test with its reason
(ctest counts a skip as a pass) and every failed one, each with the user it
ran as. Arguments: one folder per run, named after its user, holding
GoogleTest's XML per test program and ctest's list of failed programs
(ctest-failed.log: a program that crashed writes no XML). Exit code 1 when
anything failed."""
import pathlib
import sys
import xml.etree.ElementTree as ET


def main(folders):
    skipped, failed = [], []
    for run in map(pathlib.Path, folders):
        if run.is_dir():
            user = run.name
            named = set()
            for report in sorted(run.glob("*.xml")):
                try:
                    suites = ET.parse(report).getroot()
                except ET.ParseError as e:
                    failed.append((user, report.stem, f"unreadable report: {e}"))
                    continue
                for case in suites.iter("testcase"):
                    name = f"{report.stem} {case.get('classname')}.{case.get('name')}"
                    skip = case.find("skipped")
                    if skip is not None:
                        lines = (skip.get("message") or "").splitlines()
                        reason = " ".join(lines[1:]) or "(no reason given)"
                        skipped.append((user, name, reason))
                    for failure in case.findall("failure"):
                        first = (failure.get("message") or "").splitlines()
                        failed.append((user, name, first[0] if first else ""))
                        named.add(report.stem)
                        break
            listed = run / "ctest-failed.log"
            if listed.exists():
                for line in listed.read_text().splitlines():
                    program = line.split(":", 1)[-1].strip()
                    if program and program not in named:
                        failed.append((user, program, "the program failed (see its output above)"))
    print(f"== Skipped tests: {len(skipped)}")
    for user, name, reason in skipped:
        print(f"  as {user}: {name}: {reason}")
    print(f"== Failed tests: {len(failed)}")
    for user, name, why in failed:
        print(f"  FAILED as {user}: {name}: {why}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
