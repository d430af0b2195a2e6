"""Prints what a terminal program wrote, without its escape sequences, so that a test can
look for a message in a recorded output stream. Usage: strip_output.py FILE..."""
import re
import sys

control = re.compile(rb"\x1b\[[0-9;?]*[ -/]*[@-~]|\x1b[()][0-9A-Za-z]|\x1b[=>78DEHMc]|[\x00-\x08\x0b-\x1f]")
for name in sys.argv[1:]:
    with open(name, "rb") as f:
        sys.stdout.write(control.sub(b"", f.read()).decode("utf-8", "replace"))
