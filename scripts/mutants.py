#!/usr/bin/env python3
"""A seeded sample of mutants of src/, each built and run against the suites of its folder.

The list depends only on the sources and the seed, so two runs (before and after a change to
the tests) try the very same mutants. See scripts/mutants.sh for how it is called.
"""
import argparse
import json
import os
import random
import re
import shutil
import subprocess
import sys
import time

# Which suites stand behind each folder of src/: its own suite and the one door above it that
# drives it end to end. The first prefix that matches wins.
SUITES = [
    ("src/platform/posix/terminal/", ["terminal_tests"]),
    ("src/platform/common/Text", ["terminal_tests", "tools_tests"]),
    ("src/platform/posix/TextHost", ["terminal_tests", "tools_tests"]),
    ("src/platform/", ["platform_tests", "base_tests", "maicowin_tests"]),
    ("src/base/", ["base_tests", "calc_tests"]),
    ("src/calc/", ["calc_tests", "module_tests"]),
    ("src/db/providers/", ["db_tests", "import_tests"]),
    ("src/db/", ["db_tests", "order_tests", "archive_tests"]),
    ("src/doctor/", ["doctor_tests"]),
    ("src/import/", ["import_tests"]),
    ("src/maicowin/", ["maicowin_tests", "module_tests"]),
    ("src/module/", ["module_tests", "tools_tests"]),
    ("src/order/", ["order_tests", "tools_tests"]),
    ("src/archive/", ["archive_tests", "tools_tests"]),
]
# Robustness runs (kills and a dying server) are long and find other faults than these.
EXCLUDE = "ServerGone|KilledRuns"


def suites_of(path):
    for prefix, suites in SUITES:
        if path.startswith(prefix):
            return suites
    return []


def code_lines(text):
    """Yields (line number, line) for lines of code: no comments, no preprocessor lines."""
    in_block = False
    for number, line in enumerate(text.split("\n"), 1):
        stripped = line.strip()
        if in_block:
            if "*/" in stripped:
                in_block = False
            continue
        if stripped.startswith("/*"):
            in_block = "*/" not in stripped
            continue
        if not stripped or stripped.startswith("//") or stripped.startswith("#"):
            continue
        yield number, line


STRING = re.compile(r'"(?:[^"\\]|\\.)*"|\'(?:[^\'\\]|\\.)*\'')


def masked(line):
    """The line with its literals blanked and its trailing comment cut, columns kept."""
    out = STRING.sub(lambda m: '"' + " " * (len(m.group(0)) - 2) + '"', line)
    cut = out.find("//")
    return out if cut < 0 else out[:cut] + " " * (len(out) - cut)


SWAPS = [
    (" == ", " != ", "flip a comparison"),
    (" != ", " == ", "flip a comparison"),
    (" < ", " <= ", "shift a bound"),
    (" <= ", " < ", "shift a bound"),
    (" > ", " >= ", "shift a bound"),
    (" >= ", " > ", "shift a bound"),
    (" && ", " || ", "swap a logical operator"),
    (" || ", " && ", "swap a logical operator"),
    (" + 1", " - 1", "shift an offset"),
    (" - 1", " + 1", "shift an offset"),
    ("return true;", "return false;", "swap a result"),
    ("return false;", "return true;", "swap a result"),
    ("return 0;", "return 1;", "swap a result"),
    ("return 1;", "return 0;", "swap a result"),
    ("return -1;", "return 0;", "swap a result"),
]
NUMBER = re.compile(r"(?<![\w.])(\d+)(?![\w.'])")
WRITE = re.compile(r"^\s*(?!return\b|auto\b|const\b|static\b|using\b|case\b|break\b|else\b|delete\b|throw\b)"
                   r"[A-Za-z_][\w.:\->\[\]*]*\s*(=(?!=)|\+=|-=|\|=|<<|\()")
IF = re.compile(r"\b(if|while) \(")
FORMAT = re.compile(r"%-?(\d+)")


def closing(text, start):
    """The index of the parenthesis closing the one at start, or -1 on this line."""
    depth = 0
    for i in range(start, len(text)):
        if text[i] == "(":
            depth += 1
        elif text[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1


def sites(line):
    """Every mutation this line offers: (new line, description)."""
    code = masked(line)
    found = []
    for old, new, what in SWAPS:
        for m in re.finditer(re.escape(old), code):
            found.append((line[:m.start()] + new + line[m.end():], f"{what}: '{old.strip()}' -> '{new.strip()}'"))
    for m in NUMBER.finditer(code):
        value = int(m.group(1))
        new = value + 1 if value != 1 else 0
        found.append((line[:m.start()] + str(new) + line[m.end():], f"change a constant: {value} -> {new}"))
    for m in IF.finditer(code):
        open_at = m.end() - 1
        close_at = closing(code, open_at)
        if close_at > 0:
            found.append((line[:open_at + 1] + "!(" + line[open_at + 1:close_at] + ")" + line[close_at:],
                          f"invert a condition of '{m.group(1)}'"))
    if WRITE.match(code) and code.rstrip().endswith(";") and code.count("(") == code.count(")"):
        indent = line[:len(line) - len(line.lstrip())]
        found.append((indent + ";", "drop a statement"))
    for lit in STRING.finditer(line):
        for m in FORMAT.finditer(lit.group(0)):
            at = lit.start() + m.start(1)
            width = int(m.group(1))
            found.append((line[:at] + str(width + 1) + line[at + len(m.group(1)):],
                          f"change a format width: {width} -> {width + 1}"))
    return found


def mutants(tree, sources, count, seed):
    """count mutants spread over the sources by their size, the same for the same seed."""
    per_file = {}
    for path in sources:
        text = open(os.path.join(tree, path), encoding="latin-1").read()
        lines = text.split("\n")
        options = []
        for number, line in code_lines(text):
            for new, what in sites(line):
                options.append((number, new, what))
        per_file[path] = (lines, options, sum(1 for _ in code_lines(text)))
    total = sum(size for _, _, size in per_file.values())
    quotas = {p: count * size / total for p, (_, _, size) in per_file.items()}
    whole = {p: int(q) for p, q in quotas.items()}
    for p in sorted(quotas, key=lambda p: (whole[p] - quotas[p], p))[:count - sum(whole.values())]:
        whole[p] += 1
    chosen = []
    for path in sorted(per_file):
        lines, options, _ = per_file[path]
        # Kinds first, then places: a file full of calls would otherwise give only dropped calls.
        rng = random.Random(f"{seed}:{path}")
        kinds = {}
        for option in options:
            kinds.setdefault(option[2].split(":")[0], []).append(option)
        queues = [rng.sample(group, len(group)) for _, group in sorted(kinds.items())]
        rng.shuffle(queues)
        picked = []
        while len(picked) < whole[path] and any(queues):
            for queue in queues:
                if queue and len(picked) < whole[path]:
                    picked.append(queue.pop())
        for number, new, what in sorted(picked):
            chosen.append({"file": path, "line": number, "what": what, "old": lines[number - 1], "new": new})
    for i, m in enumerate(chosen, 1):
        m["id"] = i
    return chosen


def run(cmd, cap, **kw):
    try:
        done = subprocess.run(cmd, timeout=cap, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, **kw)
        return done.returncode, done.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired as e:
        return None, (e.stdout or b"").decode(errors="replace")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--work", required=True)
    ap.add_argument("--source", required=True, help="the tree to copy (a checkout)")
    ap.add_argument("--rev", help="take the tree from this commit instead of the working files")
    ap.add_argument("--count", type=int, default=170)
    ap.add_argument("--seed", default="22")
    ap.add_argument("--cap", type=int, default=240, help="seconds a mutant's tests may take")
    ap.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    ap.add_argument("--list", action="store_true", help="only print the mutants")
    ap.add_argument("--only", help="ids to run, e.g. 3,17,40")
    ap.add_argument("--compare", help="a results.json of an earlier run: name what it killed and this one did not")
    args = ap.parse_args()

    work = os.path.abspath(args.work)
    tree = os.path.join(work, "tree")
    build = os.path.join(work, "build")
    os.makedirs(work, exist_ok=True)
    if args.rev:
        shutil.rmtree(tree, ignore_errors=True)
        os.makedirs(tree)
        archive = subprocess.run(["git", "-C", args.source, "archive", args.rev], check=True, stdout=subprocess.PIPE)
        subprocess.run(["tar", "-x", "-C", tree], input=archive.stdout, check=True)
    else:
        subprocess.run(["rsync", "-a", "--delete", "--exclude=/build", "--exclude=/.git",
                        args.source.rstrip("/") + "/", tree + "/"], check=True)

    # Optimised a little and without debug information: most of a mutant's time is its build.
    subprocess.run(["cmake", "-S", tree, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=None",
                    "-DCMAKE_C_FLAGS=-O1", "-DCMAKE_CXX_FLAGS=-O1", "-DCMAKE_C_COMPILER_LAUNCHER=ccache",
                    "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"], check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(build, "compile_commands.json")) as f:
        compiled = {os.path.relpath(e["file"], tree) for e in json.load(f)}
    sources = sorted(p for p in compiled if p.startswith("src/") and p.endswith(".cpp") and suites_of(p))
    chosen = mutants(tree, sources, args.count, args.seed)
    if args.list:
        for m in chosen:
            print(f"{m['id']:4d} {m['file']}:{m['line']}: {m['what']}")
        return 0
    if args.only:
        wanted = {int(x) for x in args.only.split(",")}
        chosen = [m for m in chosen if m["id"] in wanted]

    every_suite = sorted({s for _, suites in SUITES for s in suites})
    started = time.time()
    print(f"building the unmutated tree ({len(chosen)} mutants to try)", flush=True)
    subprocess.run(["ninja", "-C", build, f"-j{args.jobs}", *every_suite], check=True, stdout=subprocess.DEVNULL)

    def tests(suites):
        label = "^(" + "|".join(suites) + ")$"
        return run(["ctest", "--test-dir", build, "-L", label, "-E", EXCLUDE, f"-j{args.jobs}",
                    "--stop-on-failure", "--timeout", "120"], args.cap)

    code, out = tests(every_suite)
    if code != 0:
        print(out[-4000:])
        print("mutants: the unmutated tree does not pass its tests; nothing measured", file=sys.stderr)
        return 2
    print(f"unmutated tree passes ({time.time() - started:.0f} s so far)", flush=True)

    results = []
    for m in chosen:
        path = os.path.join(tree, m["file"])
        with open(path, encoding="latin-1") as f:
            original = f.read()
        lines = original.split("\n")
        lines[m["line"] - 1] = m["new"]
        began = time.time()
        with open(path, "w", encoding="latin-1") as f:
            f.write("\n".join(lines))
        try:
            suites = suites_of(m["file"])
            built, out = run(["ninja", "-C", build, f"-j{args.jobs}", *suites], 900)
            if built != 0:
                status = "uncompiled"
                # Kept: a build that fails for another reason than the mutant must be seen.
                with open(os.path.join(work, f"uncompiled-{m['id']}.log"), "w") as f:
                    f.write(out)
            else:
                code, out = tests(suites)
                status = "timeout" if code is None else ("survived" if code == 0 else "killed")
        finally:
            with open(path, "w", encoding="latin-1") as f:
                f.write(original)
        m.update(status=status, seconds=round(time.time() - began, 1))
        results.append(m)
        print(f"{m['id']:4d} {status:10s} {m['seconds']:6.1f}s {m['file']}:{m['line']}: {m['what']}", flush=True)

    with open(os.path.join(work, "results.json"), "w") as f:
        json.dump(results, f, indent=1)
    counted = [m for m in results if m["status"] != "uncompiled"]
    killed = [m for m in counted if m["status"] in ("killed", "timeout")]
    print()
    for m in counted:
        if m["status"] == "survived":
            print(f"survived: {m['file']}:{m['line']}: {m['what']}\n    {m['old'].strip()}\n -> {m['new'].strip()}")
    if args.compare:
        with open(args.compare) as f:
            before = {(m["file"], m["line"], m["new"]): m["status"] for m in json.load(f)}
        for m in counted:
            if m["status"] == "survived" and before.get((m["file"], m["line"], m["new"])) in ("killed", "timeout"):
                print(f"killed before, survives now: {m['file']}:{m['line']}: {m['what']}")
    timeouts = sum(1 for m in killed if m["status"] == "timeout")
    print(f"mutants: {len(killed)} killed of {len(counted)} "
          f"({len(results) - len(counted)} did not compile, {timeouts} stopped by the time cap) "
          f"in {time.time() - started:.0f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
