#!/usr/bin/env python3
"""Mutation testing of the module: how many planted faults the suite catches.

Plants one deterministic change at a time in the module's sources (sensor/ and
support/), rebuilds only the changed object and the library, runs the test
program with a stop at the first failure and a time bound, and reports per file
how many changes the suite killed, how many survived, and where the survivors
are. The tree is restored after every mutant, also on Ctrl-C or SIGTERM; a run
killed outright is mended by the next run, from the saved copy in the build
directory.

Environment:
  MUTANTS=N      run a seeded sample of N mutants (default: all of them)
  SEED=S         the sample's seed (default 1); the same sources, N and S give
                 the same sample
  BUILD_DIR=D    build directory (default build-mutants)
  TIMEOUT=T      seconds one mutant's tests may take (default: three times the
                 unmutated suite, at least 60)
  SHARDS=K       test processes run side by side (default 2)
  ONLY=REGEX     only mutants whose file matches
  KEYS=FILE      only the sample's mutants whose keys (file:line:change, one per
                 line, e.g. the survivors of a report) are listed in FILE
  CMAKE_ARGS=..  configure arguments, e.g. -DSENSOR_SANITIZE=address (in its own
                 BUILD_DIR): leaks, races and reads past a buffer then kill too
  LIST=1         list the selected mutants and stop
  BEFORE=FILE    an earlier run's results.tsv: list the mutants it killed that
                 survive now
  RERUN=FILE     an earlier run's results.tsv of the same sample: run again only
                 the mutants it left alive, keep its other outcomes (tests only
                 added since, so a killed mutant stays killed)
Arguments after the options go to the test program (e.g. --gtest_filter=...).
"""

import os
import random
import re
import signal
import subprocess
import sys
import time

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LIBRARY_TARGET = "sensordll"
TEST_PROGRAM = "sensor_tests"

# --- the lexer ----------------------------------------------------------------

TOKEN = re.compile(
    r"""(?P<ws>\s+)
      | (?P<comment>//[^\n]*|/\*.*?\*/)
      | (?P<string>"(?:\\.|[^"\\\n])*"|'(?:\\.|[^'\\\n])*')
      | (?P<number>0[xX][0-9a-fA-F]+[uUlL]*|\d+\.\d*(?:[eE][-+]?\d+)?[fF]?|\d+[uUlL]*)
      | (?P<ident>[A-Za-z_]\w*)
      | (?P<op>->|<<=|>>=|<<|>>|<=|>=|==|!=|&&|\|\||\+\+|--|::|[-+*/%&|^!~<>=?:;,.(){}\[\]#])
      | (?P<other>.)""",
    re.S | re.X,
)


class Token:
    def __init__(self, kind, text, start, line):
        self.kind, self.text, self.start, self.line = kind, text, start, line

    @property
    def end(self):
        return self.start + len(self.text)


class Tokens(list):
    """The tokens of one source, with the source they index."""

    def __init__(self, source):
        super().__init__()
        self.source = source

    def between(self, first, last):
        return self.source[self[first].start : self[last].end]


def tokens_of(source):
    """The code tokens of a source, without comments, blanks or preprocessor lines."""
    found, line = Tokens(source), 1
    at_line_start = True
    skip_directive = False
    for match in TOKEN.finditer(source):
        kind, text = match.lastgroup, match.group()
        if kind == "op" and text == "#" and at_line_start:
            skip_directive = True
        if kind in ("ws", "comment"):
            if "\n" in text:
                ends_continued = source[match.start() - 1 : match.start()] == "\\"
                if skip_directive and not ends_continued:
                    skip_directive = False
                at_line_start = True
            line += text.count("\n")
            continue
        at_line_start = False
        if not skip_directive:
            found.append(Token(kind, text, match.start(), line))
        line += text.count("\n")
    return found


# --- the mutation operators ---------------------------------------------------

BOUNDARY = {"<": "<=", "<=": "<", ">": ">=", ">=": ">"}
NEGATION = {"<": ">=", "<=": ">", ">": "<=", ">=": "<", "==": "!=", "!=": "=="}
LOGICAL = {"&&": "||", "||": "&&"}
OPERAND_END = ("ident", "number", "string")
TEMPLATE_OWNERS = {"static_cast", "reinterpret_cast", "const_cast", "dynamic_cast", "template"}


class Mutant:
    def __init__(self, path, line, start, end, replacement, kind, original):
        self.path, self.line, self.start, self.end = path, line, start, end
        self.replacement, self.kind, self.original = replacement, kind, original

    def key(self):
        return "%s:%d:%s" % (self.path, self.line, self.describe())

    def describe(self):
        return "%s: '%s' -> '%s'" % (self.kind, squash(self.original), squash(self.replacement))


def squash(text):
    text = " ".join(text.split())
    return text if len(text) <= 60 else text[:57] + "..."


ANGLE_STOPS = (";", "{", "}", "&&", "||", "(", ")")


def matching_angle(toks, i, step):
    """The '>' (step 1) or '<' (step -1) that closes the angle at i within a
    few tokens, or None where an expression's token comes first."""
    opening, closing = (toks[i].text, ">" if step > 0 else "<")
    depth = 0
    end = min(i + 12, len(toks)) if step > 0 else max(i - 12, -1)
    for j in range(i, end, step):
        t = toks[j].text
        if t == opening:
            depth += 1
        elif t == closing:
            depth -= 1
            if depth == 0:
                return j
        elif t in ANGLE_STOPS or (step > 0 and toks[j].kind == "string"):
            return None
    return None


def looks_like_template(toks, i):
    """A '<' or '>' that opens or closes a template argument list rather than comparing."""
    if toks[i].text == ">":
        j = matching_angle(toks, i, -1)
        return j is not None and looks_like_template(toks, j)
    before = toks[i - 1] if i > 0 else None
    if before is None or before.kind != "ident" or before.text in TEMPLATE_OWNERS:
        return True
    j = matching_angle(toks, i, 1)
    if j is None:
        return False
    after = toks[j + 1].text if j + 1 < len(toks) else ""
    return after in ("(", "::", ">", "{", "&", "*", ",", ")") or (
        j + 1 < len(toks) and toks[j + 1].kind == "ident")


def comparison_mutants(path, toks, i):
    tok = toks[i]
    if tok.text not in NEGATION:
        return []
    before = toks[i - 1] if i > 0 else None
    if before is None or not (before.kind in OPERAND_END or before.text in (")", "]")):
        return []
    if tok.text in ("<", ">") and looks_like_template(toks, i):
        return []
    found = []
    if tok.text in BOUNDARY:
        found.append(Mutant(path, tok.line, tok.start, tok.end, BOUNDARY[tok.text], "boundary", tok.text))
    found.append(Mutant(path, tok.line, tok.start, tok.end, NEGATION[tok.text], "relational", tok.text))
    return found


def logical_mutants(path, toks, i):
    tok = toks[i]
    if tok.text in LOGICAL:
        return [Mutant(path, tok.line, tok.start, tok.end, LOGICAL[tok.text], "logical", tok.text)]
    nxt = toks[i + 1] if i + 1 < len(toks) else None
    if tok.text == "!" and nxt is not None and nxt.text != "=":
        return [Mutant(path, tok.line, tok.start, tok.end, "", "negation removed", "!")]
    return []


def condition_mutants(path, toks, i):
    """if (c) becomes if (!(c))."""
    if toks[i].text != "if" or i + 1 >= len(toks) or toks[i + 1].text != "(":
        return []
    close = matching(toks, i + 1)
    if close is None:
        return []
    inner = toks.source[toks[i + 2].start : toks[close].start]
    return [Mutant(path, toks[i].line, toks[i + 2].start, toks[close].start, "!(" + inner + ")",
                   "condition negated", inner)]


def constant_mutants(path, toks, i):
    tok = toks[i]
    if tok.kind != "number" or not re.fullmatch(r"(0[xX][0-9a-fA-F]+|\d+)[uUlL]*", tok.text):
        return []
    if i > 0 and toks[i - 1].text == "[" and i > 1 and toks[i - 2].kind == "ident" and declares(toks, i - 2):
        return []
    digits = re.match(r"0[xX][0-9a-fA-F]+|\d+", tok.text).group()
    suffix = tok.text[len(digits):]
    if digits[:2].lower() == "0x":
        text = hex(int(digits, 16) + 1)
    elif len(digits) > 1 and digits[0] == "0":
        text = "0" + oct(int(digits, 8) + 1)[2:]
    else:
        text = str(int(digits) + 1)
    text += suffix
    return [Mutant(path, tok.line, tok.start, tok.end, text, "constant +1", tok.text)]


def declares(toks, i):
    """The identifier at i names an array being declared (a type name before it)."""
    return i > 0 and toks[i - 1].kind == "ident" and toks[i - 1].text not in ("return", "case")


def statement_end(toks, i):
    depth = 0
    for j in range(i, len(toks)):
        t = toks[j].text
        if t in "([{":
            depth += 1
        elif t in ")]}":
            depth -= 1
            if depth < 0:
                return None
        elif t == ";" and depth == 0:
            return j
    return None


def matching(toks, i):
    depth = 0
    for j in range(i, len(toks)):
        if toks[j].text == "(":
            depth += 1
        elif toks[j].text == ")":
            depth -= 1
            if depth == 0:
                return j
    return None


def starts_statement(toks, i):
    if i == 0:
        return False
    prev = toks[i - 1].text
    if prev in (";", "{", "}"):
        return True
    if prev == ")":  # the body of a one-line if, for or while
        return opener_is(toks, i - 1, ("if", "while", "for"))
    return prev == "else"


def call_statement_mutants(path, toks, i):
    """A statement that is only a call (f(x); obj.f(x); p->f(x);) removed."""
    if toks[i].kind != "ident" or toks[i].text in ("return", "if", "while", "for", "switch", "case",
                                                   "delete", "throw", "break", "continue", "goto",
                                                   "do", "else", "default", "sizeof"):
        return []
    if not starts_statement(toks, i):
        return []
    end = statement_end(toks, i)
    if end is None or toks[end - 1].text != ")":
        return []
    j = i
    while j + 2 < end and toks[j + 1].text in (".", "->", "::") and toks[j + 2].kind == "ident":
        j += 2
    if toks[j + 1].text != "(" or matching(toks, j + 1) != end - 1:
        return []
    original = toks.between(i, end)
    return [Mutant(path, toks[i].line, toks[i].start, toks[end].end, ";", "call removed", original)]


def return_mutants(path, toks, i):
    if toks[i].text != "return":
        return []
    end = statement_end(toks, i)
    if end is None or end == i + 1:
        return []
    found = []
    value = toks.between(i + 1, end - 1)
    replacement = {"true": "false", "false": "true", "0": "1", "nullptr": None}.get(value, "0")
    if replacement is not None and value != replacement and not value.startswith('"'):
        found.append(Mutant(path, toks[i + 1].line, toks[i + 1].start, toks[end - 1].end, replacement,
                            "return value", value))
    return found


def early_return_mutants(path, toks, i):
    """A return inside an if's body removed, so the function goes on."""
    if toks[i].text != "return" or not guarded_by_if(toks, i):
        return []
    end = statement_end(toks, i)
    if end is None:
        return []
    return [Mutant(path, toks[i].line, toks[i].start, toks[end].end, ";", "early return removed",
                   toks.between(i, end))]


def guarded_by_if(toks, i):
    prev = toks[i - 1].text if i > 0 else ""
    if prev == ")":
        return opener_is(toks, i - 1, ("if",))
    depth = 0
    for j in range(i - 1, -1, -1):
        if toks[j].text == "}":
            depth += 1
        elif toks[j].text == "{":
            if depth == 0:
                return j > 0 and (toks[j - 1].text == "else" or
                                  toks[j - 1].text == ")" and opener_is(toks, j - 1, ("if",)))
            depth -= 1
    return False


def opener_is(toks, close, keywords):
    depth = 0
    for j in range(close, -1, -1):
        if toks[j].text == ")":
            depth += 1
        elif toks[j].text == "(":
            depth -= 1
            if depth == 0:
                return j > 0 and toks[j - 1].text in keywords
    return False


OPERATORS = (comparison_mutants, logical_mutants, condition_mutants, constant_mutants,
             call_statement_mutants, return_mutants, early_return_mutants)


def mutants_of(path, text):
    toks = tokens_of(text)
    return [mutant for i in range(len(toks)) for operator in OPERATORS
            for mutant in operator(path, toks, i)]


def module_sources():
    listed = subprocess.run(["git", "ls-files", "sensor", "support"], cwd=TOP, check=True,
                            capture_output=True, text=True).stdout.split()
    return sorted(p for p in listed if p.endswith(".cpp"))


def all_mutants(only):
    found = []
    for path in module_sources():
        if only and not re.search(only, path):
            continue
        with open(os.path.join(TOP, path), encoding="utf-8") as f:
            found.extend(mutants_of(path, f.read()))
    return found


def sample(mutants, count, seed):
    if not count or count >= len(mutants):
        return mutants
    chosen = random.Random(seed).sample(range(len(mutants)), count)
    return [mutants[k] for k in sorted(chosen)]


# --- planting and restoring ---------------------------------------------------


STOP_SIGNALS = {signal.SIGINT, signal.SIGTERM, signal.SIGHUP}


class signals_held:
    """Ctrl-C and the like wait until the tree is whole again."""

    def __enter__(self):
        signal.pthread_sigmask(signal.SIG_BLOCK, STOP_SIGNALS)

    def __exit__(self, *exc):
        signal.pthread_sigmask(signal.SIG_UNBLOCK, STOP_SIGNALS)
        return False


class Planter:
    """Writes a mutant into the tree and puts the original back, source and object."""

    def __init__(self, build):
        self.build = build
        self.pending = os.path.join(build, "mutants", "pending")
        self.current = None

    def object_of(self, path):
        return os.path.join(self.build, "CMakeFiles", LIBRARY_TARGET + ".dir", path + ".o")

    def mend_interrupted_run(self):
        if not os.path.exists(self.pending):
            return
        with open(self.pending, "rb") as f:
            path = f.readline().decode().strip()
            original = f.read()
        self.write(path, original)  # newer than the mutant's object: compiled again
        if os.path.exists(self.object_of(path) + ".unmutated"):
            os.remove(self.object_of(path) + ".unmutated")
        os.remove(self.pending)
        print("mended %s, left mutated by an interrupted run" % path)

    def write(self, path, data):
        with open(os.path.join(TOP, path), "wb") as f:
            f.write(data)

    def plant(self, mutant):
        with signals_held():
            self.put_in(mutant)

    def put_in(self, mutant):
        full = os.path.join(TOP, mutant.path)
        with open(full, "rb") as f:
            original = f.read()
        stat = os.stat(full)
        saved_object = self.object_of(mutant.path) + ".unmutated"
        if os.path.exists(self.object_of(mutant.path)):
            os.replace(self.object_of(mutant.path), saved_object)
        with open(self.pending, "wb") as f:
            f.write(mutant.path.encode() + b"\n" + original)
        self.current = (mutant.path, original, stat, saved_object)
        text = original.decode("utf-8")
        self.write(mutant.path, (text[: mutant.start] + mutant.replacement + text[mutant.end :]).encode())

    def restore(self):
        with signals_held():
            self.put_back()

    def put_back(self):
        if self.current is None:
            return
        path, original, stat, saved_object = self.current
        self.write(path, original)
        os.utime(os.path.join(TOP, path), ns=(stat.st_atime_ns, stat.st_mtime_ns))
        if os.path.exists(saved_object):
            os.replace(saved_object, self.object_of(path))
            os.utime(self.object_of(path))  # newer than the mutant's library: relinked next time
        elif os.path.exists(self.object_of(path)):
            os.remove(self.object_of(path))
        os.remove(self.pending)
        self.current = None


# --- building and testing -----------------------------------------------------


def build_library(build):
    done = subprocess.run(["cmake", "--build", build, "--target", LIBRARY_TARGET, "-j2"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return done.returncode == 0


def run_suite(build, shards, timeout, extra):
    """'killed' with the first failing test, 'survived', or 'timed out'."""
    env_base = dict(os.environ)
    procs = []
    for index in range(shards):
        env = dict(env_base, GTEST_TOTAL_SHARDS=str(shards), GTEST_SHARD_INDEX=str(index))
        procs.append(subprocess.Popen([os.path.join(build, TEST_PROGRAM), "--gtest_fail_fast",
                                       "--gtest_brief=1"] + extra, cwd=build, env=env,
                                      stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                      start_new_session=True))
    deadline = time.monotonic() + timeout
    outcome, killer = "survived", ""
    try:
        while any(p.poll() is None for p in procs):
            failed = [p for p in procs if p.poll() not in (None, 0)]
            if failed or time.monotonic() > deadline:
                break
            time.sleep(0.05)
        failed = [p for p in procs if p.poll() not in (None, 0)]
        if failed:
            outcome, killer = "killed", first_failure(failed[0])
        elif any(p.poll() is None for p in procs):
            outcome = "timed out"
    finally:
        for p in procs:
            if p.poll() is None:
                os.killpg(p.pid, signal.SIGKILL)
            p.wait()
            p.stdout.close()
    return outcome, killer


def first_failure(proc):
    out = proc.stdout.read().decode(errors="replace")
    found = re.search(r"\[  FAILED  \] (\S+)", out)
    if found:
        return found.group(1)
    return "exit %d" % proc.returncode if proc.returncode > 0 else "signal %d" % -proc.returncode


# --- the run ------------------------------------------------------------------


def report(results, out):
    by_file = {}
    for mutant, outcome, _ in results:
        by_file.setdefault(mutant.path, {}).setdefault(outcome, 0)
        by_file[mutant.path][outcome] += 1
    columns = ("killed", "timed out", "survived", "unbuildable")
    lines = ["%-40s %6s %9s %8s %11s %6s" % (("file",) + columns + ("score",))]
    totals = dict.fromkeys(columns, 0)
    for path in sorted(by_file):
        counts = [by_file[path].get(c, 0) for c in columns]
        for c, n in zip(columns, counts):
            totals[c] += n
        lines.append("%-40s %6d %9d %8d %11d %6s" % ((path,) + tuple(counts) + (score(*counts[:3]),)))
    counts = [totals[c] for c in columns]
    lines.append("%-40s %6d %9d %8d %11d %6s" % (("all",) + tuple(counts) + (score(*counts[:3]),)))
    survivors = [m for m, outcome, _ in results if outcome == "survived"]
    if survivors:
        lines.append("")
        lines.append("survivors:")
        lines.extend("  %s" % m.key() for m in survivors)
    text = "\n".join(lines) + "\n"
    out.write(text)
    return text


def score(killed, timed_out, survived):
    total = killed + timed_out + survived
    return "%.1f%%" % (100.0 * (killed + timed_out) / total) if total else "-"


def main(argv):
    build = os.path.abspath(os.environ.get("BUILD_DIR") or os.path.join(TOP, "build-mutants"))
    count = int(os.environ.get("MUTANTS") or 0)
    seed = int(os.environ.get("SEED") or 1)
    shards = int(os.environ.get("SHARDS") or 2)
    extra = argv[1:]
    chosen = sample(all_mutants(os.environ.get("ONLY")), count, seed)
    if os.environ.get("KEYS"):
        with open(os.environ["KEYS"]) as f:
            wanted = set(line.strip() for line in f)
        chosen = [m for m in chosen if m.key() in wanted]
    if os.environ.get("LIST"):
        for mutant in chosen:
            print(mutant.key())
        print("%d mutants" % len(chosen))
        return 0

    os.makedirs(os.path.join(build, "mutants"), exist_ok=True)
    planter = Planter(build)
    planter.mend_interrupted_run()
    configure = ["cmake", "-S", TOP, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo"]
    subprocess.run(configure + os.environ.get("CMAKE_ARGS", "").split(), check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build, "-j2", "--target", TEST_PROGRAM], check=True,
                   stdout=subprocess.DEVNULL)
    started = time.monotonic()
    baseline, killer = run_suite(build, shards, 3600, extra)
    if baseline != "survived":
        print("the unmutated suite fails (%s): no mutant can be judged" % killer)
        return 1
    timeout = float(os.environ.get("TIMEOUT") or max(60.0, 3 * (time.monotonic() - started)))
    results, chosen = carried_over(os.environ.get("RERUN"), chosen)
    print("%d mutants to run (%d settled before); the suite takes %.0f s unmutated; %.0f s "
          "allowed per mutant" % (len(chosen), len(results), time.monotonic() - started, timeout),
          flush=True)

    def stop(signum, _frame):
        raise KeyboardInterrupt("signal %d" % signum)

    for signum in STOP_SIGNALS:  # SIGINT too: a shell starts background jobs ignoring it
        signal.signal(signum, stop)
    log_path = os.path.join(build, "mutants", "results.tsv")
    with open(log_path, "w") as log:
        for mutant, outcome, killer in results:
            log.write("%s\t%s\t%s\n" % (mutant.key(), outcome, killer))
        try:
            for n, mutant in enumerate(chosen, 1):
                try:
                    planter.plant(mutant)
                    if build_library(build):
                        outcome, killer = run_suite(build, shards, timeout, extra)
                    else:
                        outcome, killer = "unbuildable", ""
                finally:
                    planter.restore()
                results.append((mutant, outcome, killer))
                log.write("%s\t%s\t%s\n" % (mutant.key(), outcome, killer))
                log.flush()
                print("[%d/%d] %-11s %s %s" % (n, len(chosen), outcome, mutant.key(), killer), flush=True)
        except KeyboardInterrupt:
            print("interrupted: the tree is restored", flush=True)
        finally:
            build_library(build)
    with open(os.path.join(build, "mutants", "report.txt"), "w") as out:
        print()
        report(results, sys.stdout)
        report(results, out)
    print("\nresults: %s" % log_path)
    if os.environ.get("BEFORE"):
        compare(os.environ["BEFORE"], results)
    return 0


def read_results(path):
    """Mutant key -> [outcome, killer] of a results.tsv."""
    results = {}
    with open(path) as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if len(fields) >= 2:
                results[fields[0]] = fields[1:]
    return results


def carried_over(path, chosen):
    """The outcomes an earlier run settled, and the mutants still to run."""
    if not path:
        return [], chosen
    earlier = read_results(path)
    settled = [(m, earlier[m.key()][0], (earlier[m.key()] + [""])[1]) for m in chosen
               if m.key() in earlier and earlier[m.key()][0] != "survived"]
    done = set(m.key() for m, _, _ in settled)
    return settled, [m for m in chosen if m.key() not in done]


def compare(before_path, results):
    before = read_results(before_path)
    lost = [m.key() for m, outcome, _ in results
            if outcome == "survived" and before.get(m.key(), [""])[0] in ("killed", "timed out")]
    print("\nkilled in %s, surviving now: %d" % (before_path, len(lost)))
    for key in lost:
        print("  " + key)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
