#!/usr/bin/env python3
"""Reads the JUnit file that ctest writes with --output-junit.

  test-results.py unstarted FILE   failed tests whose process Wine did not start
  test-results.py counts FILE...   "PASSED FAILED SKIPPED", then the failed names;
                                   a later file's result for a test replaces an earlier one's
"""
import re
import sys
import xml.etree.ElementTree as ET

# A test process that Wine fails to start ends with no output, or with only
# Wine's own words and the runner's line that it died; a started test always
# prints Google Test's banner first. How soon it ends depends on the load, so
# the time says nothing.
WINES_WORDS = re.compile(r"(wine: |\[wine-run\] ended with status )")


def unstarted(status, out):
    lines = [line for line in out.splitlines() if line.strip()]
    return status == "fail" and all(WINES_WORDS.match(line) for line in lines)


def cases(path):
    for case in ET.parse(path).getroot().iter("testcase"):
        out = case.findtext("system-out") or ""
        yield case.get("name"), case.get("status"), out, case.find("skipped") is not None


def main():
    mode, paths = sys.argv[1], sys.argv[2:]
    if mode == "unstarted" and len(paths) == 1:
        for name, status, out, _ in cases(paths[0]):
            if unstarted(status, out):
                print(name)
    elif mode == "counts" and paths:
        outcome = {}
        for path in paths:
            for name, status, _, was_skipped in cases(path):
                outcome[name] = "skipped" if was_skipped or status == "disabled" else status
        failed = [name for name, status in outcome.items() if status not in ("run", "skipped")]
        passed = sum(status == "run" for status in outcome.values())
        skipped = sum(status == "skipped" for status in outcome.values())
        print(passed, len(failed), skipped)
        for name in failed:
            print(name)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
