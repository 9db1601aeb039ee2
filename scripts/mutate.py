"""Plants faults one at a time in the code changed since a commit and runs
the whole suite against each, to show which faults the tests miss.

See scripts/mutate.sh for the command line and docs/testing.md for how to
read the results.
"""

import os
import random
import re
import shutil
import signal
import subprocess
import sys
from collections import defaultdict
from dataclasses import dataclass
from pathlib import Path

CODE_SUFFIXES = (".cpp", ".h", ".c")
TEST_FOLDERS = ("tests/", "bench/", "fuzz/")


@dataclass
class Mutant:
    path: str
    line: int  # 1-based
    start: int  # column range in the line, replaced by `new`
    end: int
    new: str
    what: str

    def apply(self, text: str) -> str:
        lines = text.split("\n")
        old = lines[self.line - 1]
        lines[self.line - 1] = old[: self.start] + self.new + old[self.end :]
        return "\n".join(lines)


def git(root: Path, *args: str) -> str:
    return subprocess.run(["git", *args], cwd=root, check=True, capture_output=True,
                          encoding="utf-8", errors="replace").stdout


def is_code(path: str) -> bool:
    return path.endswith(CODE_SUFFIXES) and not path.startswith(TEST_FOLDERS)


def changed_lines(root: Path, base: str, only: list[str]) -> dict[str, set[int]]:
    """Line numbers of the working tree's code that differ from base,
    untracked files counting whole."""
    paths = ["--", *(only or ["."])]
    diff = git(root, "diff", "-U0", "--no-color", "--no-ext-diff", base, *paths)
    result: dict[str, set[int]] = defaultdict(set)
    path = None
    for line in diff.splitlines():
        if line.startswith("+++ "):
            path = line[6:] if line.startswith("+++ b/") else None
        elif line.startswith("@@") and path and is_code(path):
            m = re.match(r"@@ -\S+ \+(\d+)(?:,(\d+))? @@", line)
            start, count = int(m.group(1)), int(m.group(2) or "1")
            result[path].update(range(start, start + count))
    for path in git(root, "ls-files", "--others", "--exclude-standard", *paths).splitlines():
        if is_code(path):
            count = len((root / path).read_text(errors="replace").split("\n"))
            result[path].update(range(1, count + 1))
    return result


def blank_out(text: str) -> list[str]:
    """The file's lines with comments and the insides of string and character
    literals replaced by blanks, so that columns stay where they were."""
    out = []
    in_block = False
    for line in text.split("\n"):
        chars = list(line)
        i = 0
        while i < len(chars):
            if in_block:
                if line.startswith("*/", i):
                    chars[i] = chars[i + 1] = " "
                    in_block = False
                    i += 2
                    continue
                chars[i] = " "
                i += 1
            elif line.startswith("//", i):
                chars[i:] = " " * (len(chars) - i)
                break
            elif line.startswith("/*", i):
                chars[i] = chars[i + 1] = " "
                in_block = True
                i += 2
            elif chars[i] in "\"'":
                quote = chars[i]
                if quote == "'" and i > 0 and chars[i - 1].isalnum():
                    i += 1  # a digit separator
                    continue
                i += 1
                while i < len(chars) and line[i] != quote:
                    step = 2 if line[i] == "\\" else 1
                    for k in range(i, min(i + step, len(chars))):
                        chars[k] = " "
                    i += step
                i += 1
            else:
                i += 1
        out.append("".join(chars))
    return out


SWAPS = [
    (" < ", " <= "), (" <= ", " < "), (" > ", " >= "), (" >= ", " > "),
    (" == ", " != "), (" != ", " == "), (" && ", " || "), (" || ", " && "),
]
NUMBER = re.compile(r"(?<![\w.])(\d+)([uUlL]*)(?![\w.'])")
STATEMENT = re.compile(
    r"^(\s*)((?:[A-Za-z_][\w:]*(?:\.|->|::))*[A-Za-z_][\w]*(?:\[[^\]]*\])?"
    r"\s*(?:=|\+=|-=|\*=|/=|%=|\|=|&=|\^=|<<=|>>=)\s*[^=].*;"
    r"|(?:\+\+|--)[\w.>-]+;|[\w.>-]+(?:\+\+|--);"
    r"|(?:[A-Za-z_][\w]*(?:\.|->|::))*[A-Za-z_]\w*\(.*\);)\s*$"
)


def balanced(s: str) -> bool:
    depth = 0
    for c in s:
        depth += c == "("
        depth -= c == ")"
        if depth < 0:
            return False
    return depth == 0


def condition_span(code: str):
    """The column range of an if's condition on a single line, or None."""
    m = re.search(r"\bif (?:constexpr )?\(", code)
    if not m:
        return None
    depth = 0
    for i in range(m.end() - 1, len(code)):
        depth += code[i] == "("
        depth -= code[i] == ")"
        if depth == 0:
            inner = code[m.end() : i]
            # A declaration in the condition needs its own name; leave those.
            if ";" in inner or re.match(r"\s*(const |auto|[\w:<>]+\s*[*&]*\s+\w+\s*=)", inner):
                return None
            return m.end(), i
    return None


def mutants_of_line(path: str, number: int, line: str, code: str) -> list[Mutant]:
    stripped = code.strip()
    if not stripped or stripped.startswith("#") or "static_assert" in code or "template" in code:
        return []
    found = []
    for old, new in SWAPS:
        for m in re.finditer(re.escape(old), code):
            found.append(Mutant(path, number, m.start(), m.end(), new, f"'{old.strip()}' -> '{new.strip()}'"))
    for m in NUMBER.finditer(code):
        value = int(m.group(1))
        for delta in (1, -1):
            if value + delta < 0:
                continue
            found.append(Mutant(path, number, m.start(1), m.end(1), str(value + delta),
                                f"{value} -> {value + delta}"))
    span = condition_span(code)
    if span:
        for forced in ("true", "false"):
            found.append(Mutant(path, number, span[0], span[1], forced, f"if condition -> {forced}"))
    m = STATEMENT.match(code)
    if m and balanced(code) and not re.match(r"\s*(return|case|default|else|throw|goto)\b", code):
        found.append(Mutant(path, number, len(m.group(1)), len(line.rstrip()), ";", "statement removed"))
    return found


def candidates(root: Path, lines: dict[str, set[int]]) -> dict[str, list[Mutant]]:
    """Every fault that can be planted on the changed lines, by folder."""
    by_folder: dict[str, list[Mutant]] = defaultdict(list)
    for path, numbers in sorted(lines.items()):
        text = (root / path).read_text(errors="replace")
        raw = text.split("\n")
        code = blank_out(text)
        for n in sorted(numbers):
            if n <= len(raw):
                by_folder[str(Path(path).parent)] += mutants_of_line(path, n, raw[n - 1], code[n - 1])
    return by_folder


def shares(sizes: dict[str, int], count: int) -> dict[str, int]:
    """count split over the folders in proportion to their sizes (largest remainder)."""
    total = sum(sizes.values())
    exact = {k: count * v / total for k, v in sizes.items()}
    result = {k: int(v) for k, v in exact.items()}
    for k in sorted(exact, key=lambda k: exact[k] - result[k], reverse=True)[: count - sum(result.values())]:
        result[k] += 1
    return result


def shard(wanted: dict[str, int], share: str) -> dict[str, int]:
    """The folders that shard "k/n" runs: whole folders, dealt out largest
    first to the least loaded shard, so that n shards together plant exactly
    the faults of one unsharded run."""
    k, n = (int(x) for x in share.split("/"))
    loads = [0] * n
    owner = {}
    for folder in sorted(wanted, key=lambda f: (-wanted[f], f)):
        owner[folder] = loads.index(min(loads))
        loads[owner[folder]] += wanted[folder]
    return {f: c for f, c in wanted.items() if owner[f] == k - 1}


def sync(root: Path, scratch: Path) -> None:
    """Makes scratch a copy of the working tree's files, touching only files
    whose bytes differ, so that the scratch build stays incremental."""
    files = set(git(root, "ls-files", "-co", "--exclude-standard").splitlines())
    for name in files:
        source, target = root / name, scratch / name
        if not source.is_file():
            continue
        if target.is_file() and target.read_bytes() == source.read_bytes():
            continue
        target.parent.mkdir(parents=True, exist_ok=True)
        # A fresh modification time: a file put back after a run that was
        # stopped mid-fault must be rebuilt even though its bytes are older.
        shutil.copyfile(source, target)
        shutil.copymode(source, target)
    for target in scratch.rglob("*"):
        if target.is_file() and str(target.relative_to(scratch)) not in files:
            target.unlink()


def run(command: list[str], cwd: Path, log: Path, mode: str = "w") -> bool:
    with open(log, mode) as out:
        process = subprocess.Popen(command, cwd=cwd, stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
        try:
            return process.wait() == 0
        finally:
            if process.poll() is None:
                # Stopped midway: the build tool passes the signal on to its
                # compilers, so none finishes a faulty object later.
                os.killpg(process.pid, signal.SIGTERM)
                process.wait()


# Tests that start the editor under a window manager take many seconds each;
# they run last, so that a fault the quick tests catch does not wait for them.
SLOW_TESTS = r"^(WindowManager|SingleInstance)\."


def suite_of(path: str) -> str:
    """The CTest label of the tests written for the library that holds path."""
    return path.split("/")[0] + "_tests"


FAILED_TEST = re.compile(r"^\s*\d+ - (.+) \(([^()]*)\)\s*$", re.M)


def passes_or_flaky(env_ctest: list[str], selection: list[str], build: Path, log: Path, mode: str,
                    flaky: list[str]) -> bool:
    """Runs part of the suite; a test that fails and then passes when run
    again by name failed by chance, not by the fault, and is noted in flaky.
    The first run stops at its first failure, so after a chance failure the
    part runs again whole: the tests after the stop never ran."""
    for stop in (["--stop-on-failure"], []):
        start = log.stat().st_size if mode == "a" and log.exists() else 0
        if run([*env_ctest, *stop, *selection], build, log, mode):
            return True
        failed = FAILED_TEST.findall(log.read_bytes()[start:].decode(errors="replace"))
        if not failed:
            return False
        names = "|".join(re.sub(r"([\\^$.|?*+()\[\]{}])", r"\\\1", name) for name, _ in failed)
        if not run([*env_ctest, "--no-tests=error", "-R", f"^({names})$"], build, log, "a"):
            return False
        flaky.extend(f"{name} ({why})" for name, why in failed if f"{name} ({why})" not in flaky)
        mode = "a"
    return True


def suite_passes(env_ctest: list[str], build: Path, log: Path, path: str, flaky: list[str]) -> bool:
    """Runs the suite, stopping at the first failure. Unless CTest arguments
    were given, the tests of the mutated file's own library go first: they
    catch most faults in a fraction of the whole run."""
    if os.environ.get("MUTATE_CTEST_ARGS"):
        return passes_or_flaky(env_ctest, [], build, log, "w", flaky)
    label = f"^{suite_of(path)}$"
    passes = (["-L", label, "-E", SLOW_TESTS], ["-LE", label, "-E", SLOW_TESTS], ["-R", SLOW_TESTS])
    for number, selection in enumerate(passes):
        if not passes_or_flaky(env_ctest, selection, build, log, "a" if number else "w", flaky):
            return False
    return True


def last_failure(log: Path) -> str:
    """The failed test CTest listed last in log: after a run again, the one
    that failed both times."""
    text = log.read_text(errors="replace")
    found = FAILED_TEST.findall(text)
    return f"{found[-1][0]} ({found[-1][1]})" if found else "see log"


def main() -> int:
    # Stopped from outside, the planted fault is still taken out again.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    root = Path(git(Path.cwd(), "rev-parse", "--show-toplevel").strip())
    base, count, seed, only = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4:]
    scratch = Path(os.environ.get("MUTATE_DIR") or f"{os.environ.get('TMPDIR', '/tmp')}/farovinter-mutate-{os.getuid()}")
    source, build = scratch / "src", scratch / "build"
    jobs = str(os.cpu_count() or 2)

    lines = changed_lines(root, base, only)
    by_folder = candidates(root, lines)
    sizes = {folder: 0 for folder in by_folder}
    for path, numbers in lines.items():
        if str(Path(path).parent) in sizes:
            sizes[str(Path(path).parent)] += len(numbers)
    if not sizes:
        print("No code lines with faults to plant since " + base)
        return 0
    # Each folder draws with its own generator, so a change in one folder
    # leaves the faults drawn in the others as they were.
    queues = {}
    for folder in sorted(by_folder):
        queue = list(by_folder[folder])
        random.Random(f"{seed}:{folder}").shuffle(queue)
        queues[folder] = queue
    wanted = shares(sizes, count)
    if os.environ.get("MUTATE_SHARD"):
        wanted = shard(wanted, os.environ["MUTATE_SHARD"])

    source.mkdir(parents=True, exist_ok=True)
    sync(root, source)
    # A run stopped mid-fault may have left an object built from the fault
    # that is newer than the file put back; touching the file rebuilds it.
    planted = scratch / "planted"
    if planted.is_file():
        stale = source / planted.read_text()
        if stale.is_file():
            stale.touch()
        planted.unlink()
    # A fault that only leaves something unused still builds, and counts;
    # configured every run so an older scratch build drops -Werror too.
    subprocess.run(["cmake", "-S", source, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                    "-DFV_TESTS=ON", "-DFV_WERROR=OFF"], check=True, stdout=subprocess.DEVNULL)
    env_ctest = ["env", "QT_QPA_PLATFORM=offscreen", "ctest", "-j", jobs, "--timeout", "120", "--output-on-failure",
                 *os.environ.get("MUTATE_CTEST_ARGS", "").split()]
    log_dir = scratch / "logs"
    log_dir.mkdir(exist_ok=True)
    print(f"Building and running the unchanged suite in {scratch} ...", flush=True)
    if not run(["cmake", "--build", build], source, log_dir / "base-build.log"):
        print(f"The unchanged code does not build: see {log_dir / 'base-build.log'}")
        return 2
    if not run(env_ctest, build, log_dir / "base-test.log"):
        print(f"The unchanged suite fails: see {log_dir / 'base-test.log'}")
        return 2

    caught = missed = unbuilt = 0
    number = 0
    for folder in sorted(wanted):
        done = 0
        for mutant in queues[folder]:
            if done == wanted[folder]:
                break
            target = source / mutant.path
            original = target.read_text()
            planted.write_text(mutant.path)
            target.write_text(mutant.apply(original))
            number += 1
            log = log_dir / f"mutant-{number}.log"
            flaky: list[str] = []
            try:
                built = run(["cmake", "--build", build], source, log)
                passes = built and suite_passes(env_ctest, build, log, mutant.path, flaky)
            finally:
                target.write_text(original)
            planted.unlink()
            if not built:
                unbuilt += 1
                continue
            done += 1
            where = f"{mutant.path}:{mutant.line}:{mutant.start + 1}"
            chance = f" ({', '.join(flaky)} failed once and passed when run again)" if flaky else ""
            if passes:
                missed += 1
                print(f"{where}  {mutant.what}  missed{chance}", flush=True)
            else:
                caught += 1
                print(f"{where}  {mutant.what}  caught by {last_failure(log)}", flush=True)
    total = caught + missed
    share = f" ({100 * caught / total:.0f}%)" if total else ""
    print(f"caught {caught} of {total}{share}; missed {missed}; {unbuilt} planted faults did not build")
    return 0


if __name__ == "__main__":
    sys.exit(main())
