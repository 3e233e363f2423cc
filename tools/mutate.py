#!/usr/bin/env python3
"""Breaks one line of a production file at a time and runs an area's tests:
a fault that no test catches is reported as a survivor.

  tools/mutate.py FILE --build build/win --target saver_window_tests \\
      --tests 'SaverTest|Password' [--lines 40-90] [--list]

Each mutant deletes a statement or inverts a condition or a constant on one
line; a mutant that does not compile is skipped. The file is restored after
every mutant, also when the run is interrupted. The Windows tests need a
Wine session (tools/dev-session.sh)."""
import argparse
import re
import subprocess
import sys

FLIPS = [
    (r"==", "!="), (r"!=", "=="), (r"&&", "||"), (r"\|\|", "&&"), (r"\bTRUE\b", "FALSE"), (r"\bFALSE\b", "TRUE"),
    (r"\btrue\b", "false"), (r"\bfalse\b", "true"), (r"return 1;", "return 0;"), (r"return 0;", "return 1;"),
    (r"\? 1 : 0", "? 0 : 1"), (r" < ", " <= "), (r" > ", " >= "), (r" <= ", " < "), (r" >= ", " > "),
]


def negate_condition(text):
    """The line with the condition of its if or while inverted, or None."""
    match = re.search(r"\b(?:if|while) \(", text)
    if not match:
        return None
    depth, start = 0, match.end() - 1
    for index in range(start, len(text)):
        depth += {"(": 1, ")": -1}.get(text[index], 0)
        if depth == 0:
            return f"{text[:start + 1]}!({text[start + 1:index]}){text[index:]}"
    return None


def mutants(lines, first, last):
    for number in range(first, min(last, len(lines)) + 1):
        text = lines[number - 1]
        code = text.strip()
        if not code or code.startswith(("//", "#", "namespace", "}", "{", "case ", "default:")):
            continue
        if code.endswith(";") and not code.startswith(("return", "const", "constexpr", "using", "struct")):
            # An empty statement, so that an unbraced if above keeps its shape.
            yield number, "delete", text[:len(text) - len(text.lstrip())] + ";\n"
        negated = negate_condition(text)
        if negated:
            yield number, "negate", negated
        for pattern, replacement in FLIPS:
            for match in re.finditer(pattern, text):
                yield number, f"{match.group(0).strip()} -> {replacement.strip()}", text[:match.start()] + replacement + text[match.end():]


def run(command, timeout):
    try:
        return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return -1  # a hang is a caught fault


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("file")
    parser.add_argument("--build", default="build/win")
    parser.add_argument("--target", action="append", required=True)
    parser.add_argument("--tests", required=True, help="ctest -R pattern")
    parser.add_argument("--lines", default="1-100000")
    parser.add_argument("--timeout", type=int, default=600)
    parser.add_argument("--list", action="store_true", help="only print the mutants")
    args = parser.parse_args()
    first, last = (int(n) for n in args.lines.split("-"))
    with open(args.file) as source:
        original = source.read()
    lines = original.splitlines(keepends=True)
    survivors = tried = 0
    try:
        for number, kind, replacement in mutants(lines, first, last):
            label = f"{args.file}:{number} {kind}: {lines[number - 1].strip()}"
            if args.list:
                print(label)
                continue
            mutated = lines[:number - 1] + [replacement] + lines[number:]
            with open(args.file, "w") as target:
                target.write("".join(mutated))
            if run(["cmake", "--build", args.build] + sum((["--target", t] for t in args.target), []), 900) != 0:
                print(f"skip (no build)  {label}", flush=True)
                continue
            tried += 1
            caught = run(["ctest", "--test-dir", args.build, "-R", args.tests, "--stop-on-failure"], args.timeout) != 0
            survivors += not caught
            print(f"{'caught  ' if caught else 'SURVIVED'}  {label}", flush=True)
    finally:
        with open(args.file, "w") as target:
            target.write(original)
    if not args.list:
        print(f"{tried} mutants built, {survivors} survived")
        run(["cmake", "--build", args.build] + sum((["--target", t] for t in args.target), []), 900)
    return 1 if survivors else 0


if __name__ == "__main__":
    sys.exit(main())
