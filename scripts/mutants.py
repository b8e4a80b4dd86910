#!/usr/bin/env python3
"""Mutation run: plants one small fault at a time into the program's sources and checks that the
tests notice it.

    make mutants FILES="dsp/CSpectrum.cpp game/CTable.cpp"   # every line of these files
    make mutants BASE=main                                    # lines changed since a commit
    scripts/mutants.py [--base COMMIT] [--build build] [--filter GTEST_FILTER] [--list] FILE...

Faults planted, one per build: a comparison flipped (< becomes >=, == becomes !=, ...), + and -
or * and / exchanged, && and || exchanged, a ! dropped, true and false exchanged, a number
changed by one (an integer by 1, a decimal in its last digit), a statement line dropped, the
first two arguments of a call swapped. Comments, string literals, preprocessor lines, code under
"#if 0" and log output are never mutated.

Each fault is built out of tree: the mutated text goes to BUILD/mutants/work, is compiled with
the file's own command from compile_commands.json, and linked ahead of the libraries into a
private copy of every test binary that links the file's library, its own layer's first (a fault
the layer's own suite misses may be felt in the suites above it). The source tree and the
normal build are never touched, so nothing needs restoring, even after Ctrl-C. The copies run with
--gtest_fail_fast (and --filter, for slow suites) under a timeout of a few times the clean run;
--jobs faults are tried at once. A fault the compiler rejects does not count. The survivors
(file:line, the fault) and the kill rate per file are printed, and every verdict is appended to
BUILD/mutants/results.txt; --survivors RESULTS retries only what survived there (after the tests
were sharpened), --killed RESULTS only what was killed there (after the suite was made
smaller: each one must still be killed). A survivor is either a gap in the tests or an
equivalent mutant (one that cannot change behaviour): the report names the line to judge. --per-line caps the faults a line;
--sample N keeps every N-th fault of a file, the same ones on every run of the same source.

--matrix runs every test of the suite against every fault (no fail-fast) and appends to
BUILD/mutants/matrix.txt which tests failed (a test that crashes or hangs its binary is named,
and the tests after it run in a fresh process); --redundant MATRIX then lists the tests that never
are the only one to catch a fault there: the candidates when the suite is to be made smaller.

With --base, only lines that differ from that commit (git diff -U0) are mutated; without files,
every changed .cpp file of the program's layers is taken. Needs only Python 3 and git.
"""

import argparse
import glob
import concurrent.futures
import json
import os
import queue
import re
import shlex
import shutil
import subprocess
import sys
import time

LAYERS = ("platform", "dsp", "game", "dialogs", "app", "tools")
LOGGING = re.compile(r"\b(qDebug|qWarning|qInfo|fprintf|printf|std::cerr|std::clog|perror)\b")
NO_SWAP = {"min", "max", "swap", "fmin", "fmax", "if", "while", "for", "switch", "sizeof",
           "return", "static_cast", "reinterpret_cast", "const_cast", "decltype"}
FLIP = {"<": ">=", ">": "<=", "<=": ">", ">=": "<", "==": "!=", "!=": "=="}


def code_masks(lines):
    """Per line, a string of the same length: 'c' where the character is code, ' ' elsewhere
    (comments, string and character literals). Lines that are never compiled get no mask."""
    masks, in_block, skip_depth = [], False, 0
    for line in lines:
        stripped = line.strip()
        if skip_depth:
            if re.match(r"#\s*if", stripped):
                skip_depth += 1
            elif re.match(r"#\s*(endif|else|elif)", stripped):
                skip_depth -= 1
            masks.append(None)
            continue
        if re.match(r"#\s*if\s+0\b", stripped):
            skip_depth = 1
            masks.append(None)
            continue
        if stripped.startswith("#") and not in_block:
            masks.append(None)
            continue
        mask, i, quote = [], 0, None
        while i < len(line):
            two = line[i:i + 2]
            if in_block:
                mask.append(" ")
                if two == "*/":
                    mask.append(" ")
                    in_block, i = False, i + 2
                    continue
            elif quote:
                mask.append(" ")
                if line[i] == "\\":
                    mask.append(" ")
                    i += 2
                    continue
                if line[i] == quote:
                    quote = None
            elif two == "//":
                mask.extend(" " * (len(line) - i))
                break
            elif two == "/*":
                mask.extend("  ")
                in_block, i = True, i + 2
                continue
            elif line[i] in "\"'" and not (line[i] == "'" and i and line[i - 1].isalnum()):
                quote = line[i]
                mask.append(" ")
            else:
                mask.append("c")
            i += 1
        masks.append("".join(mask[:len(line)]))
    return masks


def is_code(mask, start, end):
    return all(ch == "c" for ch in mask[start:end])


def replace(line, start, end, text):
    return line[:start] + text + line[end:]


def operator_mutants(line, mask):
    rules = [
        (r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)", lambda m: FLIP[m.group(1)], "flip comparison"),
        (r"(?<=\s)([+\-*/])(?=\s)", lambda m: {"+": "-", "-": "+", "*": "/", "/": "*"}[m.group(1)],
         "swap arithmetic"),
        (r"(?<=\s)([+\-*/])=(?=\s)", lambda m: {"+": "-=", "-": "+=", "*": "/=", "/": "*="}[m.group(1)],
         "swap arithmetic"),
        (r"(\+\+|--)(?=[\w)\];])|(?<=[\w)\]])(\+\+|--)",
         lambda m: "--" if m.group(0) == "++" else "++", "swap increment"),
        (r"(?<=\s)(&&|\|\|)(?=\s)", lambda m: "||" if m.group(1) == "&&" else "&&", "swap logic"),
        (r"!(?=[\w(])", lambda m: "", "drop negation"),
        (r"\b(true|false)\b", lambda m: "false" if m.group(1) == "true" else "true", "swap bool"),
    ]
    for pattern, make, kind in rules:
        for m in re.finditer(pattern, line):
            if is_code(mask, m.start(), m.end()):
                yield kind, replace(line, m.start(), m.end(), make(m))


NUMBER = re.compile(r"(?<![\w.])(0[xX][0-9a-fA-F]+|\d+\.\d*|\d*\.\d+|\d+)([uUlLfF]*)(?![\w.])")


def constant_mutants(line, mask):
    for m in NUMBER.finditer(line):
        if not is_code(mask, m.start(), m.end()):
            continue
        text, suffix = m.group(1), m.group(2)
        if "." in text:
            if len(text.strip("0.")) > 7:
                continue  # beyond single precision: a change in the last digit is no change
            digits = list(text)
            k = max(i for i, ch in enumerate(digits) if ch.isdigit())
            if digits[k] == "9":
                continue
            digits[k] = str(int(digits[k]) + 1)
            new = "".join(digits)
        elif text.lower().startswith("0x"):
            new = hex(int(text, 16) + 1)
        else:
            new = str(int(text) + 1)
        yield "constant + 1", replace(line, m.start(1), m.end(1), new)
        if not text.lower().startswith("0x") and "." not in text and int(text) > 0:
            yield "constant - 1", replace(line, m.start(1), m.end(1), str(int(text) - 1))


def top_level_args(text):
    """Splits the text inside a call's parentheses at its top-level commas (None if unbalanced)."""
    depth, start, parts = 0, 0, []
    for i, ch in enumerate(text):
        if ch in "([{":
            depth += 1
        elif ch in ")]}":
            depth -= 1
        elif ch == "," and depth == 0:
            parts.append((start, i))
            start = i + 1
        if depth < 0:
            return None
    parts.append((start, len(text)))
    return parts if depth == 0 else None


def swap_mutants(line, mask):
    if re.match(r"\s*[\w:<>,*& ]+\b\w+::~?\w+\(", line) and line.rstrip().endswith("{"):
        return  # a member function's definition: swapped parameters only break the build
    for m in re.finditer(r"\b(\w+)\s*\(", line):
        if m.group(1) in NO_SWAP or not is_code(mask, m.start(), m.end()):
            continue
        open_at, depth = m.end() - 1, 0
        for close_at in range(open_at, len(line)):
            if mask[close_at] != "c":
                continue
            depth += {"(": 1, ")": -1}.get(line[close_at], 0)
            if depth == 0:
                break
        else:
            continue
        inner = line[open_at + 1:close_at]
        parts = top_level_args(inner)
        if not parts or len(parts) < 2:
            continue
        (a0, a1), (b0, b1) = parts[0], parts[1]
        first, second = inner[a0:a1].strip(), inner[b0:b1].strip()
        if not first or not second or first == second:
            continue
        new_inner = inner[:a0] + inner[a0:a1].replace(first, second, 1) + "," + \
            inner[b0:b1].replace(second, first, 1) + inner[b1:]
        yield "swap arguments", line[:open_at + 1] + new_inner + line[close_at:]


DECLARATION = re.compile(r"(static\s+|constexpr\s+|const\s+)*[\w:<>,]+[\s*&]+\w+\s*(=|\(|\{|;|\[)")


def drop_mutant(line, mask):
    body = "".join(ch for ch, m in zip(line, mask) if m == "c").strip()
    if not body.endswith(";") or body.startswith(("return", "}", "case", "default", "for")):
        return
    if body.count("(") != body.count(")") or body.count("{") != body.count("}"):
        return
    if DECLARATION.match(body):
        return  # dropping a declaration only breaks the build
    if "=" not in body and "(" not in body and not re.match(r"(\+\+|--|break|continue)", body):
        return  # a declaration without initialiser: dropping it cannot compile
    indent = line[:len(line) - len(line.lstrip())]
    yield "drop statement", indent + ";"


def mutants_of(lines, wanted, per_line):
    masks = code_masks(lines)
    for number, (line, mask) in enumerate(zip(lines, masks), start=1):
        if mask is None or (wanted is not None and number not in wanted):
            continue
        if not mask.strip() or LOGGING.search(line) or re.match(
                r"\s*(namespace|using|template|static_assert)\b", line):
            continue
        seen, by_kind = {line}, {}
        for maker in (drop_mutant, operator_mutants, swap_mutants, constant_mutants):
            for kind, mutated in maker(line, mask):
                if mutated not in seen:
                    seen.add(mutated)
                    by_kind.setdefault(kind, []).append(mutated)
        # At most per_line faults a line, taken in turn from each kind of fault.
        picked, queues = [], list(by_kind.items())
        while queues and len(picked) < per_line:
            for kind, queue in list(queues):
                if queue and len(picked) < per_line:
                    picked.append((kind, queue.pop(0)))
            queues = [(kind, queue) for kind, queue in queues if queue]
        for kind, mutated in picked:
            yield number, kind, line, mutated


def changed_lines(base, path):
    diff = subprocess.run(["git", "diff", "-U0", base, "--", path], capture_output=True,
                          text=True, check=True).stdout
    wanted = set()
    for m in re.finditer(r"^@@ -\S+ \+(\d+)(?:,(\d+))? @@", diff, re.M):
        start, count = int(m.group(1)), int(m.group(2) or 1)
        wanted.update(range(start, start + count))
    return wanted


def changed_files(base):
    names = subprocess.run(["git", "diff", "--name-only", base, "--"] + list(LAYERS),
                           capture_output=True, text=True, check=True).stdout.split()
    return [n for n in names if n.endswith(".cpp") and os.path.exists(n)]


class Builder:
    """Builds a mutant without touching the source tree or the normal test binaries: the
    mutated text is compiled with the file's own command from compile_commands.json into a
    private object, which is linked ahead of the libraries into a private copy of every test
    binary that links the file's library (the library's copy of the file is then never pulled
    in). The binary of the file's own layer comes first; the others catch what a layer's own
    suite leaves to the suites above it (a platform fault felt in a game test)."""

    def __init__(self, build_dir, path):
        self.build_dir = os.path.abspath(build_dir)
        source = os.path.abspath(path)
        with open(os.path.join(self.build_dir, "compile_commands.json")) as f:
            entry = next(e for e in json.load(f) if os.path.abspath(e["file"]) == source)
        self.compile_dir = entry["directory"]
        self.compile_args = shlex.split(entry["command"])
        self.source = source
        # The object's folder names its library: .../CMakeFiles/<library>.dir/<file>.o
        output = self.compile_args[self.compile_args.index("-o") + 1]
        library = "lib" + re.search(r"CMakeFiles/([^/]+)\.dir/", output).group(1) + ".a"
        own = "test_" + path.split("/")[0]
        self.binaries = []  # (target, folder, link arguments)
        for link_file in sorted(glob.glob(os.path.join(self.build_dir, "**", "CMakeFiles",
                                                       "test_*.dir", "link.txt"), recursive=True)):
            with open(link_file) as f:
                link_args = shlex.split(f.read())
            if not any(os.path.basename(a) == library for a in link_args):
                continue
            target = os.path.basename(os.path.dirname(link_file))[:-len(".dir")]
            folder = os.path.dirname(os.path.dirname(os.path.dirname(link_file)))
            self.binaries.append((target, folder, link_args))
        self.binaries.sort(key=lambda b: b[0] != own)
        self.work = os.path.join(self.build_dir, "mutants", "work")
        os.makedirs(self.work, exist_ok=True)

    def targets(self):
        return [target for target, _, _ in self.binaries]

    def clean_binaries(self):
        """(binary, folder) of the normal test binaries."""
        return [(os.path.join(folder, target), folder) for target, folder, _ in self.binaries]

    def build(self, text, slot):
        """(binary, folder) of the private test binaries, or None when the mutant is rejected."""
        stem = os.path.join(self.work, f"mutant-{slot}")
        with open(stem + ".cpp", "w") as f:
            f.write(text)
        args = list(self.compile_args)
        args[args.index("-o") + 1] = stem + ".o"
        args[args.index(self.source) if self.source in args else args.index("-c") + 1] = stem + ".cpp"
        args[1:1] = ["-iquote", os.path.dirname(self.source)]
        if subprocess.run(args, cwd=self.compile_dir, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode != 0:
            return None
        built = []
        for target, folder, link_args in self.binaries:
            link = list(link_args)
            out = link.index("-o")
            # Named as the suite is: ALSA's JACK plug-in warns about long program names.
            binary = os.path.join(self.work, f"{target}-{slot}")
            link[out + 1] = binary
            link.insert(out, stem + ".o")
            if shutil.which("ld.gold"):
                link.insert(1, "-fuse-ld=gold")  # links a test binary in a third of the time
            if subprocess.run(link, cwd=folder, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode != 0:
                return None
            built.append((binary, folder))
        return built


def run_tests(binary, cwd, gtest_filter, timeout, failed=None):
    """The suite's exit code, or "timeout". With a list for failed, every test runs and the
    names of those that failed are added to it; a test that crashes or hangs the binary counts
    as failed, and the tests after it run in a fresh process."""
    if failed is not None:
        return run_every_test(binary, cwd, gtest_filter, timeout, failed)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    args = [binary, "--gtest_brief=1", "--gtest_fail_fast"]
    if gtest_filter:
        args.append("--gtest_filter=" + gtest_filter)
    try:
        run = subprocess.run(args, env=env, cwd=cwd, timeout=timeout, stderr=subprocess.DEVNULL,
                             stdout=subprocess.DEVNULL)
    except subprocess.TimeoutExpired:
        return "timeout"
    return run.returncode


def without(gtest_filter, names):
    """The filter with the named tests left out."""
    if not names:
        return gtest_filter or "*"
    rest = ":".join(names)
    if gtest_filter and "-" in gtest_filter:
        return gtest_filter + ":" + rest
    return (gtest_filter or "*") + "-" + rest


def run_every_test(binary, cwd, gtest_filter, timeout, failed):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    ran, code, before = [], 0, len(failed)
    while True:
        args = [binary, "--gtest_filter=" + without(gtest_filter, ran)]
        try:
            run = subprocess.run(args, env=env, cwd=cwd, timeout=timeout,
                                 stderr=subprocess.DEVNULL, stdout=subprocess.PIPE)
            output, ended = run.stdout, run.returncode
        except subprocess.TimeoutExpired as hung:
            output, ended = hung.stdout or b"", "timeout"
        text = output.decode("utf-8", "replace")
        started = re.findall(r"^\[ RUN      \] (\S+)", text, re.M)
        ends = {name: verdict for verdict, name in
                re.findall(r"^\[ +(OK|FAILED) +\] (\S+) \(", text, re.M)}
        # The test that was running when the binary died caught the fault itself.
        failed.extend(name for name in started if ends.get(name, "FAILED") == "FAILED")
        ran.extend(started)
        code = code or ended
        if ended == 0 or all(name in ends for name in started):
            break
    if code != 0 and len(failed) == before:
        failed.append("(timeout)" if code == "timeout" else "(crash)")
    return code


def redundant_tests(matrix):
    """Tests that fail for some fault in matrix, but never as the only one."""
    alone, seen = set(), set()
    with open(matrix) as f:
        for row in f:
            killers = row.rstrip("\n").split("\t")[3].split()
            seen.update(killers)
            if len(killers) == 1:
                alone.add(killers[0])
    return sorted(seen - alone)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("files", nargs="*")
    parser.add_argument("--base", help="mutate only lines changed since this commit")
    parser.add_argument("--build", default="build")
    parser.add_argument("--filter", default="", help="gtest filter for the test binaries")
    parser.add_argument("--per-line", type=int, default=2, help="at most this many faults a line")
    parser.add_argument("--sample", type=int, default=1,
                        help="try only every n-th fault of each file (a repeatable sample)")
    parser.add_argument("--jobs", type=int, default=2, help="mutants built and run at once")
    parser.add_argument("--list", action="store_true", help="only list the mutants")
    parser.add_argument("--survivors", help="retry only the mutants this results.txt lists as survived")
    parser.add_argument("--killed", help="retry only the mutants this results.txt lists as killed "
                        "(after the suite was made smaller)")
    parser.add_argument("--matrix", action="store_true", help="record which tests catch each fault")
    parser.add_argument("--redundant", help="list the tests this matrix.txt never needs alone")
    args = parser.parse_args()
    os.chdir(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    if args.redundant:
        print("\n".join(redundant_tests(args.redundant)))
        return 0
    if not args.files and not args.base:
        args.base = "main"
    files = args.files or changed_files(args.base)
    if not files:
        print("no changed source files")
        return 0
    log_dir = os.path.join(args.build, "mutants")
    os.makedirs(log_dir, exist_ok=True)
    totals = {}
    for path in files:
        with open(path) as f:
            lines = f.read().split("\n")
        wanted = changed_lines(args.base, path) if args.base else None
        mutants = list(mutants_of(lines, wanted, args.per_line))[::args.sample]
        for verdict, results in (("SURVIVED", args.survivors), ("killed", args.killed)):
            if not results:
                continue
            with open(results) as f:
                earlier = {tuple(row.rstrip("\n").split("\t")) for row in f}
            mutants = [m for m in mutants
                       if (verdict, f"{path}:{m[0]}", m[1], m[3].strip()) in earlier]
        if args.list:
            for number, kind, before, after in mutants:
                print(f"{path}:{number}: {kind}: {before.strip()}  ->  {after.strip()}")
            continue
        builder = Builder(args.build, path)
        if not builder.binaries:
            print(f"{path}: no test binary links it; skipped")
            continue
        if subprocess.run(["cmake", "--build", args.build, "--target"] + builder.targets(),
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0:
            print(f"{path}: the test binaries do not build; skipped")
            continue
        started = time.time()
        if any(run_tests(binary, folder, args.filter, 600) != 0
               for binary, folder in builder.clean_binaries()):
            print(f"{path}: the tests fail without a mutant; skipped")
            continue
        timeout = 5 + 4 * (time.time() - started)
        free_slots = queue.Queue()
        for slot in range(args.jobs):
            free_slots.put(slot)

        def judge(mutant):
            number, kind, before, after = mutant
            slot = free_slots.get()
            try:
                mutated = list(lines)
                mutated[number - 1] = after
                binaries = builder.build("\n".join(mutated), slot)
                if binaries is None:
                    return "not built", []
                failed = [] if args.matrix else None
                killed = False
                for binary, folder in binaries:
                    killed |= run_tests(binary, folder, args.filter, timeout, failed) != 0
                    if killed and failed is None:
                        break  # one binary that notices is enough without a matrix
                return ("killed" if killed else "SURVIVED"), failed or []
            finally:
                free_slots.put(slot)

        counts = {"killed": 0, "SURVIVED": 0, "not built": 0}
        survivors = []
        pool = concurrent.futures.ThreadPoolExecutor(args.jobs)
        log = open(os.path.join(log_dir, "results.txt"), "a")
        matrix = open(os.path.join(log_dir, "matrix.txt"), "a") if args.matrix else None
        try:
            verdicts = pool.map(judge, mutants)
            for mutant, (verdict, failed) in zip(mutants, verdicts):
                number, kind, before, after = mutant
                counts[verdict] += 1
                log.write(f"{verdict}\t{path}:{number}\t{kind}\t{after.strip()}\n")
                log.flush()
                if matrix and failed:
                    matrix.write(f"{path}:{number}\t{kind}\t{after.strip()}\t{' '.join(failed)}\n")
                    matrix.flush()
                if verdict == "SURVIVED":
                    survivors.append(f"{path}:{number}: {kind}: {before.strip()}  ->  {after.strip()}")
        finally:
            pool.shutdown(wait=True, cancel_futures=True)  # Ctrl-C: let the running ones end
            log.close()
            if matrix:
                matrix.close()
        for line in survivors:
            print("  survived " + line)
        killed, tried = counts["killed"], counts["killed"] + counts["SURVIVED"]
        rate = 100.0 * killed / tried if tried else 100.0
        totals[path] = (killed, tried, rate)
        print(f"{path}: {killed}/{tried} killed ({rate:.0f}%), {counts['not built']} not built",
              flush=True)
    for path, (killed, tried, rate) in totals.items():
        print(f"{path}: {killed}/{tried} killed ({rate:.0f}%)")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except KeyboardInterrupt:
        sys.exit("interrupted")
