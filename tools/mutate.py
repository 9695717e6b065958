#!/usr/bin/env python3
"""Mutation sweep of Cadenzo's Qt-free core.

Puts one small fault at a time into a source file of the core (a relational boundary moved, == and
!= swapped, a constant off by one, && and || swapped, an assignment dropped), rebuilds the layer's
tests incrementally, runs them with a time limit, restores the file and tells whether the tests
noticed. A mutant that no test notices shows a rule the suite does not hold.

It edits the files of the tree it is given, so give it a tree of its own, never the one you work in:
    git worktree add --detach ../cadenzo-sweep HEAD
    nice -n 15 tools/mutate.py --tree ../cadenzo-sweep --sample 80 --seed 1

Mutants judged equivalent (no behaviour changes) are listed in tools/mutate-equivalent.txt with the
reason and left out of the rates. A mutant that does not compile is not counted either; one that
runs past the time limit counts as killed (the fault shows, as a hang).
"""
import argparse
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

# The test programs of each layer (tests/<layer>/), without the real-peer ones.
LAYERS = {
    "model": ["test_model", "test_user_chords"],
    "seq": ["test_seq_editing"],
    "files": ["test_atomic_file", "test_song_file", "test_smf_export"],
    "playback": ["test_playback", "test_playback_threads"],
    "fretboard": ["test_fretboard_controller"],
    "sound": ["sound_strum_test", "sound_realtime_test"],
}
# The real backends talk to devices and servers; the chord table is data, not rules.
SKIP = {"src/sound/system_midi_out.cpp", "src/sound/jack_server.cpp", "src/model/chord_table.cpp"}
SKIP_DIRS = ("src/sound/fluidsynth/", "src/sound/rtmidi/")

SWAPS = [(" < ", " <= "), (" <= ", " < "), (" > ", " >= "), (" >= ", " > "),
         (" == ", " != "), (" != ", " == "), (" && ", " || "), (" || ", " && ")]
NUMBER = re.compile(r"(?<![\w.'])(\d+)(?![\w.'])")
# One assignment on a line of its own, to a name, member or element (no declaration: a type
# before the name would leave a space on the left).
ASSIGNMENT = re.compile(r"^\s*[A-Za-z_][\w.\[\]>\-]*(\(\))?\s*(=|\+=|-=|\*=|/=|\|=|&=|<<=|>>=)\s.*;\s*$")
INCREMENT = re.compile(r"^\s*((\+\+|--)[A-Za-z_][\w.\[\]>\-]*|[A-Za-z_][\w.\[\]>\-]*(\+\+|--));\s*$")


def code_part(line):
    """The line with string and character literals blanked and any // comment cut off."""
    out, quote, i = [], None, 0
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            out.append(" " if c != quote else c)
            if c == quote:
                quote = None
        elif c in "\"'" and not (c == "'" and i > 0 and line[i - 1].isdigit()):
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)


def mutants_of(rel, text):
    found, in_block, no_format = [], False, False
    for n, line in enumerate(text.split("\n"), 1):
        stripped = line.strip()
        if "clang-format off" in stripped:
            no_format = True
        if "clang-format on" in stripped:
            no_format = False
        if in_block:
            if "*/" in line:
                in_block = False
            continue
        if stripped.startswith("/*"):
            in_block = "*/" not in stripped
            continue
        if no_format or stripped.startswith(("#", "//", "static_assert")) or not stripped:
            continue
        code = code_part(line)
        for old, new in SWAPS:
            for m in re.finditer(re.escape(old), code):
                found.append((rel, n, m.start(), old, new))
        for m in NUMBER.finditer(code):
            value = int(m.group(1))
            for new in (value + 1, value - 1):
                if new >= 0:
                    found.append((rel, n, m.start(), m.group(1), str(new)))
        if ASSIGNMENT.match(code) or INCREMENT.match(code):
            start = len(line) - len(line.lstrip())
            found.append((rel, n, start, line[start:].rstrip(), ";"))
    return found


def all_mutants(tree):
    out = {}
    for layer in LAYERS:
        for path in sorted((tree / "src" / layer).rglob("*.cpp")):
            rel = path.relative_to(tree).as_posix()
            if rel in SKIP or rel.startswith(SKIP_DIRS):
                continue
            out.setdefault(layer, []).extend(mutants_of(rel, path.read_text()))
    return out


def key(m):
    rel, line, col, old, new = m
    return f"{rel}:{line}:{col + 1} '{old.strip()}' -> '{new.strip()}'"


def sample(mutants, size, seed):
    """Each layer's share of the sample follows its share of the mutants, at least four each."""
    total = sum(len(v) for v in mutants.values())
    rng = random.Random(seed)
    chosen = {}
    for layer, ms in mutants.items():
        n = min(len(ms), max(4, round(size * len(ms) / total)))
        chosen[layer] = sorted(rng.sample(ms, n), key=lambda m: (m[0], m[1], m[2]))
    return chosen


def apply(text, m):
    rel, line, col, old, new = m
    lines = text.split("\n")
    s = lines[line - 1]
    assert s[col:col + len(old)] == old, (key(m), s)
    lines[line - 1] = s[:col] + new + s[col + len(old):]
    return "\n".join(lines)


def build(build_dir, targets, timeout):
    try:
        r = subprocess.run(["cmake", "--build", str(build_dir), "-j2", "--target", *targets],
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout)
        return r.returncode == 0
    except subprocess.TimeoutExpired:
        return False


def find_program(build_dir, name):
    hits = [p for p in (build_dir / "tests").rglob(name) if p.is_file() and os.access(p, os.X_OK)]
    return hits[0]


def run_tests(programs, timeout):
    """The first program that fails or times out, with the verdict; None when all pass."""
    for prog in programs:
        runtime = tempfile.mkdtemp(prefix="cadenzo-mutate-")
        os.chmod(runtime, 0o700)
        env = dict(os.environ, XDG_RUNTIME_DIR=runtime, XDG_STATE_HOME=runtime, HOME=runtime,
                   QT_QPA_PLATFORM="offscreen")
        try:
            # A session of its own, so that a hung test takes its threads and children with it.
            p = subprocess.Popen([str(prog), "--gtest_brief=1"], stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL, env=env, start_new_session=True)
            try:
                rc = p.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                os.killpg(p.pid, signal.SIGKILL)
                p.wait()
                return "timed out", prog.name
            if rc != 0:
                return "killed", prog.name
        finally:
            shutil.rmtree(runtime, ignore_errors=True)
    return None


KEY = re.compile(r"^(\S+):(\d+):(\d+) '(.*)' -> '(.*)'$")


def same_mutants(tree, results, base, survivors_only, layers):
    """The mutants of an earlier run, found again by their line's text (lines may have moved)."""
    chosen, lost = {}, 0
    for r in json.loads(results.read_text()):
        if r["layer"] not in layers or (survivors_only and r["verdict"] != "survived"):
            continue
        rel, line, col, old, new = KEY.match(r["mutant"]).groups()
        line, col = int(line), int(col) - 1
        was = subprocess.run(["git", "-C", str(tree), "show", f"{base}:{rel}"], check=True,
                             capture_output=True, text=True).stdout.split("\n")[line - 1]
        now = (tree / rel).read_text().split("\n")
        hits = [n for n, text in enumerate(now, 1) if text == was]
        if not hits:
            lost += 1
            print("gone (its line changed):", r["mutant"])
            continue
        n = min(hits, key=lambda h: abs(h - line))
        # The key shows operators without their spaces.
        if new == ";":
            old = was[col:].rstrip()
        elif was[col:col + len(old)] != old:
            old, new = f" {old} ", f" {new} "
        assert was[col:col + len(old)] == old, r["mutant"]
        chosen.setdefault(r["layer"], []).append((rel, n, col, old, new))
    if lost:
        print(lost, "mutants of the earlier run no longer apply")
    return chosen


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--tree", type=Path, required=True, help="a checkout of its own: its files are edited")
    ap.add_argument("--build", type=Path, help="its build folder (default TREE/build-mut)")
    ap.add_argument("--sample", type=int, default=0, help="mutants to try in all (0: every one)")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--layers", default=",".join(LAYERS))
    ap.add_argument("--timeout", type=float, default=120, help="seconds for one layer's tests")
    ap.add_argument("--list", action="store_true", help="print the sampled mutants and stop")
    ap.add_argument("--json", type=Path, help="write every result here")
    ap.add_argument("--rerun", type=Path,
                    help="the results of an earlier run (--json): try the same mutants again")
    ap.add_argument("--base", help="the commit that earlier run swept (with --rerun)")
    ap.add_argument("--survivors", action="store_true",
                    help="with --rerun, only the mutants that survived it")
    ap.add_argument("--equivalent", type=Path,
                    default=Path(__file__).with_name("mutate-equivalent.txt"))
    args = ap.parse_args()

    tree = args.tree.resolve()
    build_dir = (args.build or tree / "build-mut").resolve()
    layers = args.layers.split(",")
    mutants = {k: v for k, v in all_mutants(tree).items() if k in layers}
    chosen = sample(mutants, args.sample, args.seed) if args.sample else mutants
    if args.rerun:
        chosen = same_mutants(tree, args.rerun, args.base, args.survivors, layers)
    equivalent = set()
    if args.equivalent.exists():
        for line in args.equivalent.read_text().splitlines():
            if line.strip() and not line.startswith("#"):
                equivalent.add(line.split("  #")[0].strip())
    if args.list:
        for layer, ms in chosen.items():
            for m in ms:
                print(layer, key(m), "(equivalent)" if key(m) in equivalent else "")
        return 0

    if subprocess.run(["git", "-C", str(tree), "diff", "--quiet", "--", "src"]).returncode != 0:
        sys.exit(f"{tree}/src has changes of its own; give the sweep a clean tree")
    if not (build_dir / "CMakeCache.txt").exists():
        subprocess.run(["cmake", "-S", str(tree), "-B", str(build_dir), "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=Debug", "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"], check=True, stdout=subprocess.DEVNULL)

    current = {"path": None, "text": None}

    def restore(*_):
        if current["path"] is not None:
            current["path"].write_text(current["text"])
            current["path"] = None
        if _:
            sys.exit(130)

    signal.signal(signal.SIGINT, restore)
    signal.signal(signal.SIGTERM, restore)

    results, total = [], sum(len(v) for v in chosen.values())
    done = 0
    for layer, ms in chosen.items():
        targets = LAYERS[layer]
        if not build(build_dir, targets, 1800):
            sys.exit(f"the {layer} tests do not build in the clean tree")
        programs = [find_program(build_dir, t) for t in targets]
        if run_tests(programs, args.timeout) is not None:
            sys.exit(f"the {layer} tests fail in the clean tree")
        for m in ms:
            done += 1
            path = tree / m[0]
            text = path.read_text()
            current.update(path=path, text=text)
            started = time.monotonic()
            try:
                path.write_text(apply(text, m))
                if key(m) in equivalent:
                    verdict, by = "equivalent", ""
                elif not build(build_dir, targets, 900):
                    verdict, by = "no build", ""
                else:
                    verdict, by = run_tests(programs, args.timeout) or ("survived", "")
            finally:
                restore()
            secs = time.monotonic() - started
            print(f"[{done}/{total}] {layer:9} {verdict:10} {key(m)} {by} ({secs:.0f} s)", flush=True)
            results.append(dict(layer=layer, mutant=key(m), verdict=verdict, test=by))
    # Leave the build folder matching the restored sources.
    build(build_dir, sorted({t for layer in chosen for t in LAYERS[layer]}), 1800)

    print("\nlayer      killed  timed out  survived  no build  equivalent  kill rate")
    for layer in chosen:
        count = {v: sum(1 for r in results if r["layer"] == layer and r["verdict"] == v)
                 for v in ("killed", "timed out", "survived", "no build", "equivalent")}
        judged = count["killed"] + count["timed out"] + count["survived"]
        rate = f"{100 * (count['killed'] + count['timed out']) / judged:.0f} %" if judged else "-"
        print(f"{layer:9} {count['killed']:7} {count['timed out']:10} {count['survived']:9}"
              f" {count['no build']:9} {count['equivalent']:11}  {rate:>9}")
    for r in results:
        if r["verdict"] == "survived":
            print("survived:", r["mutant"])
    if args.json:
        args.json.write_text(json.dumps(results, indent=1))
    return 0


if __name__ == "__main__":
    sys.exit(main())
