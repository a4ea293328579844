#!/usr/bin/env python3
"""Fails when a test of the build tree has no TIMEOUT: a test that hangs must
end on its own. Usage: timeouts.py <ctest> <build dir>"""
import json
import subprocess
import sys

ctest, build = sys.argv[1], sys.argv[2]
listing = json.loads(subprocess.run([ctest, "--show-only=json-v1", "--test-dir", build], check=True,
                                    capture_output=True, text=True, timeout=120).stdout)
tests = listing["tests"]
missing = [t["name"] for t in tests
           if not any(p["name"] == "TIMEOUT" and float(p["value"]) > 0 for p in t.get("properties", []))]
for name in missing:
    print(f"no TIMEOUT: {name}")
print(f"{len(tests)} tests, {len(missing)} without a TIMEOUT")
sys.exit(1 if missing or not tests else 0)
