#!/usr/bin/env python3
"""One summary line for a build's test run: "<build>: N passed, M failed[, K skipped][ (note)]".

  test-summary.py ctest LABEL LOG [NOTE]        from CTest's closing line in LOG (a case a test)
  test-summary.py gtest LABEL DIR SUITES [NOTE] from the GoogleTest XML reports in DIR, one per
                                                suite; a suite of SUITES (comma-separated) that
                                                left no report (it crashed or hung) counts as
                                                one failed case
Prints the line; exits 1 when anything failed.
"""
import glob
import os
import re
import sys
import xml.etree.ElementTree as ET


def from_ctest(log):
    text = open(log, encoding="utf-8", errors="replace").read()
    m = re.findall(r"(\d+)% tests passed, (\d+) tests? failed out of (\d+)", text)
    if not m:
        return 0, 1, 0
    _, failed, total = m[-1]
    skipped = re.findall(r"^\s*\d+ - .*\(Skipped\)$", text, re.M)
    return int(total) - int(failed) - len(skipped), int(failed), len(skipped)


def from_gtest(folder, suites):
    passed = failed = skipped = 0
    for suite in suites:
        report = os.path.join(folder, suite + ".xml")
        if not os.path.exists(report):
            failed += 1
            continue
        root = ET.parse(report).getroot()
        for case in root.iter("testcase"):
            if case.find("failure") is not None or case.find("error") is not None:
                failed += 1
            elif case.get("result") == "skipped" or case.find("skipped") is not None:
                skipped += 1
            elif case.get("status", "run") == "run":
                passed += 1
    return passed, failed, skipped


def main(argv):
    kind, label = argv[1], argv[2]
    if kind == "ctest":
        passed, failed, skipped = from_ctest(argv[3])
        note = argv[4] if len(argv) > 4 else ""
    else:
        passed, failed, skipped = from_gtest(argv[3], [s for s in argv[4].split(",") if s])
        note = argv[5] if len(argv) > 5 else ""
    line = f"{label}: {passed} passed, {failed} failed"
    if skipped:
        line += f", {skipped} skipped"
    print(line + (f" ({note})" if note else ""))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
