#!/usr/bin/env python3
"""The user-visible texts of every deliverable against their checked-in lists.

    messages.py check <source root> <list dir>
    messages.py write <source root> <list dir>
    messages.py run <list dir> <header> <name> [args for printf] -- <program> [arguments]

check: every text of each messages header (`name = "..."` declarations and
`#define NAME "..."`, adjacent literals joined, escapes decoded; each text of
a table by its index) must equal
its line in <list dir>/<header>.txt, and no text may appear or vanish. The
lists were checked text by text when they were written; a deliberate change
to a text is a change to both files (`write` renews the lists).
run: the program's standard output must be the listed text with its printf
conversions filled in as given ("*": any text), proving that the program shows the text of
the list and no copy of its own.
"""
import difflib
import os
import re
import subprocess
import sys

HEADERS = [
    "launcher/kivmsg.h",
    "dssim/kivdsmsg.h",
    "hostlib/kivutilsmsg.h",
    "installhelper/helpermsg.h",
    "browserctl/vantormsg.h",
    "installwrapper/dravikmsg.h",
]

LITERAL = r'(?:u8|u|U|L)?"(?:[^"\\\n]|\\.)*"'
DECL = re.compile(r'\b(k\w+)\s*(?:\[\])?\s*=\s*((?:' + LITERAL + r'\s*)+)[;,}]')
DEFINE = re.compile(r'#define\s+(\w+)\s+((?:' + LITERAL + r'[ \t]*)+)$', re.M)
ARRAY = re.compile(r'\b(k\w+)\s*\[\]\s*=\s*\{(.*?)\};', re.S)
ONE = re.compile(r'(?:u8|u|U|L)?"((?:[^"\\\n]|\\.)*)"')
# Comments, skipping string literals (which may hold "//").
COMMENTS = re.compile(r'(' + LITERAL + r')|//[^\n]*|/\*.*?\*/', re.S)


def decode(body):
    """C escapes of a literal's body, as the compiler reads them."""
    out, i = [], 0
    simple = {"n": "\n", "t": "\t", "r": "\r", "a": "\a", "b": "\b", "f": "\f", "v": "\v",
              "\\": "\\", '"': '"', "'": "'", "?": "?", "0": "\0"}
    while i < len(body):
        c = body[i]
        if c != "\\":
            out.append(c)
            i += 1
            continue
        n = body[i + 1]
        if n == "x":
            m = re.match(r"[0-9a-fA-F]+", body[i + 2:])
            out.append(chr(int(m.group(0), 16)))
            i += 2 + len(m.group(0))
        elif n in "01234567" and re.match(r"[0-7]{1,3}", body[i + 1:]).group(0) != "0":
            m = re.match(r"[0-7]{1,3}", body[i + 1:])
            out.append(chr(int(m.group(0), 8)))
            i += 1 + len(m.group(0))
        else:
            out.append(simple[n])
            i += 2
    return "".join(out)


def texts(path):
    """(name, text) of every string declaration of a header, in order."""
    with open(path, encoding="utf-8") as f:
        source = COMMENTS.sub(lambda m: m.group(1) or " ", f.read())
    found = []
    for m in sorted(list(DECL.finditer(source)) + list(DEFINE.finditer(source)) + list(ARRAY.finditer(source)),
                    key=lambda m: m.start()):
        if m.re is ARRAY:  # every text of a table, by its index
            found += [(f"{m.group(1)}[{i}]", decode(b)) for i, b in enumerate(ONE.findall(m.group(2)))]
        else:
            found.append((m.group(1), "".join(decode(b) for b in ONE.findall(m.group(2)))))
    return found


def render(pairs):
    return [f"{name} = {text.encode('unicode_escape').decode('ascii')}\n" for name, text in pairs]


def list_path(lists, header):
    return os.path.join(lists, os.path.basename(header) + ".txt")


def check(root, lists):
    drift = 0
    for header in HEADERS:
        now = render(texts(os.path.join(root, header)))
        with open(list_path(lists, header), encoding="ascii") as f:
            kept = f.readlines()
        if now != kept:
            drift += 1
            print(f"FAILED: the texts of {header} drifted from {list_path(lists, header)}:")
            sys.stdout.writelines(difflib.unified_diff(kept, now, "listed", header))
        else:
            print(f"ok: {header}: {len(now)} texts as listed")
    return 1 if drift else 0


def write(root, lists):
    for header in HEADERS:
        with open(list_path(lists, header), "w", encoding="ascii") as f:
            f.writelines(render(texts(os.path.join(root, header))))
    return 0


def listed(lists, header, name):
    with open(list_path(lists, header), encoding="ascii") as f:
        for line in f:
            key, _, value = line.rstrip("\n").partition(" = ")
            if key == name:
                return value.encode("ascii").decode("unicode_escape")
    raise SystemExit(f"{name} is not listed for {header}")


CONVERSION = re.compile(r"%[-+ #0]*[0-9]*(?:\.[0-9]+)?[a-zA-Z]")


def pattern(text, fill):
    """The text with its printf conversions filled in; "*" matches any text."""
    parts, fills = CONVERSION.split(text), iter(fill)
    out = [re.escape(parts[0])]
    for conversion, part in zip(CONVERSION.findall(text), parts[1:]):
        value = next(fills)
        out.append(".*?" if value == "*" else re.escape(conversion % value if conversion[-1] == "s" else conversion % int(value, 0)))
        out.append(re.escape(part))
    return "".join(out)


def run(lists, header, name, fill, argv):
    text = listed(lists, header, name)
    out = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.decode("utf-8", "replace")
    out = out.replace("\r\n", "\n")
    if not re.fullmatch(pattern(text, fill), out, re.S):
        print(f"FAILED: {' '.join(argv)} does not show {name} of {header}:")
        print(f"  expected: {text!r} with {fill}")
        print(f"  output:   {out!r}")
        return 1
    print(f"ok: {os.path.basename(argv[0])} {' '.join(argv[1:])} shows {name}")
    return 0


def main():
    if len(sys.argv) >= 4 and sys.argv[1] in ("check", "write"):
        return (check if sys.argv[1] == "check" else write)(sys.argv[2], sys.argv[3])
    if len(sys.argv) >= 6 and sys.argv[1] == "run" and "--" in sys.argv:
        sep = sys.argv.index("--")
        return run(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5:sep], sys.argv[sep + 1:])
    raise SystemExit(__doc__)


if __name__ == "__main__":
    sys.exit(main())
