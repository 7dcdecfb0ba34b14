"""Counts the test cases of all tiers from their XML reports and prints the
closing line "N passed, N failed", followed by the --label text (which
program the Windows tests ran). A ctest test that failed without a report
(a crash, a time-out) counts as one failure."""
import glob
import os
import sys
import xml.etree.ElementTree as ET


def count(path):
    passed = failed = 0
    root = ET.parse(path).getroot()
    suites = [root] if root.tag == "testsuite" else root.iter("testsuite")
    for suite in suites:
        for case in suite.iter("testcase"):
            if case.find("skipped") is not None or case.get("result") == "skipped":
                continue
            if case.find("failure") is not None or case.find("error") is not None:
                failed += 1
            else:
                passed += 1
    return passed, failed


def main(dirs, label=""):
    passed = failed = 0
    for d in dirs:
        reported = set()
        for path in glob.glob(os.path.join(d, "results", "*.xml")) + glob.glob(os.path.join(d, "*.xml")):
            try:
                p, f = count(path)
            except ET.ParseError:
                p, f = 0, 1
            passed += p
            failed += f
            reported.add(os.path.splitext(os.path.basename(path))[0])
        last = os.path.join(d, "Testing", "Temporary", "LastTestsFailed.log")
        if os.path.exists(last):
            for line in open(last):
                name = line.strip().split(":", 1)[-1]
                if name and name not in reported:
                    failed += 1
    # The closing line stays plain, so that test-result readers recognise it.
    if label:
        print(f"Windows and end-to-end tests ran {label}.")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed or passed == 0 else 0


if __name__ == "__main__":
    args = sys.argv[1:]
    label = ""
    if args[:1] == ["--label"]:
        label, args = args[1], args[2:]
    sys.exit(main(args, label))
