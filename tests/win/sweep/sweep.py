#!/usr/bin/python3
"""Real drawings through the real plug-in under Wine.

Every SVG and SVGZ drawing of a few Debian packages (icon themes and clip art, installed by
scripts/setup) is first rendered by the native rsvg-convert alone, which says what the plug-in
must show; then one long-lived host process (sweep-host.exe, beside the plug-in) views each file
in a Lister window, closes it and asks for its thumbnail, with TimeOutSec set.

It passes when the host neither crashes nor hangs; every file that rsvg-convert renders by itself
is shown and gives a thumbnail; no file shows a message box or leaves a window or a temporary file
behind; and the windows and GDI objects after the last file are no more than after the warm-up.

    sweep.py BIN_DIR            a fixed sample of a few hundred files, spread over the packages,
                                every SVGZ among them
    PICTARA_SWEEP=all sweep.py BIN_DIR   every file

Run with WINEPREFIX and DISPLAY set (ctest does; see scripts/test). With PICTARA_SWEEP_LOG set,
every file's path and native result and every line of the host go to that file as they come, so
figures of a long run can be had before it ends.
"""
import concurrent.futures
import hashlib
import os
import queue
import re
import statistics
import subprocess
import sys
import tempfile
import threading
import time

PACKAGES = ["adwaita-icon-theme", "breeze-icon-theme", "tango-icon-theme", "openclipart-svg"]
SVGZ_ROOT = "/usr/share"         # every compressed drawing found here joins the sample
SAMPLE_PER_PACKAGE = 75
WARMUP = 10
NATIVE_TIMEOUT = 10              # seconds, as the plug-in's TimeOutSec
SILENCE_LIMIT = 120              # seconds without a line from the host: a hang
GDI_SLACK = 16                   # objects a cache may still take after the warm-up
RSVG = "/usr/bin/rsvg-convert"

FILE_LINE = re.compile(r"file (\d+) load=(\d) shown=(\d) size=(\d+)x(\d+) boxes=(\d+) children=(\d+) "
                       r"thumb=(\d+)x(\d+) left=(\d+) ms=(\d+)")
OBJECTS_LINE = re.compile(r"objects (\d+) windows=(\d+) gdi=(\d+) slot=(\d+)")


def is_drawing(path):
    return path.lower().endswith((".svg", ".svgz")) and os.path.isfile(path) and not os.path.islink(path)


def package_files(package):
    listing = subprocess.run(["dpkg", "-L", package], capture_output=True, text=True)
    if listing.returncode != 0:
        sys.exit(f"sweep: package {package} is not installed (scripts/setup installs it)")
    return sorted(p for p in listing.stdout.splitlines() if is_drawing(p))


def svgz_files():
    found = []
    for folder, _, names in os.walk(SVGZ_ROOT):
        found += [os.path.join(folder, n) for n in names if n.lower().endswith(".svgz")]
    return sorted(p for p in found if is_drawing(p))


def content_key(path):
    with open(path, "rb") as f:
        return hashlib.sha1(f.read()).hexdigest()


def path_key(path):
    return hashlib.sha1(path.encode()).hexdigest()


def choose_files(everything):
    """(package, path) pairs, one per distinct content, in a fixed order."""
    groups = [(p, package_files(p)) for p in PACKAGES] + [("svgz", svgz_files())]
    seen, chosen = set(), []
    for package, paths in groups:
        if not everything and package != "svgz":
            paths = sorted(paths, key=path_key)  # a spread over the whole package, the same each run
        taken = 0
        for path in paths:
            if not everything and package != "svgz" and taken >= SAMPLE_PER_PACKAGE:
                break
            key = content_key(path)
            if key in seen:
                continue
            seen.add(key)
            chosen.append((package, path))
            taken += 1
    return chosen


def renders_natively(path, out_dir, index):
    out = os.path.join(out_dir, f"{index}.png")
    try:
        done = subprocess.run([RSVG, path, "-o", out], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=NATIVE_TIMEOUT)
        ok = done.returncode == 0 and os.path.exists(out) and os.path.getsize(out) > 0
    except subprocess.TimeoutExpired:
        ok = False
    if os.path.exists(out):
        os.remove(out)
    return ok


def run_host(bin_dir, list_path, count, log):
    """Runs the host; returns (lines, problem) where problem names a crash or hang."""
    host = subprocess.Popen(["wine", os.path.join(bin_dir, "sweep-host.exe"), list_path, str(WARMUP)],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, errors="replace")
    lines = queue.Queue()
    threading.Thread(target=lambda: [lines.put(l.rstrip("\n")) for l in host.stdout] + [lines.put(None)],
                     daemon=True).start()
    stderr = []
    threading.Thread(target=lambda: stderr.extend(host.stderr), daemon=True).start()
    got, current, problem = [], None, None
    while True:
        try:
            line = lines.get(timeout=SILENCE_LIMIT)
        except queue.Empty:
            host.kill()
            problem = f"hang: no answer for {SILENCE_LIMIT} s while on file {current}"
            break
        if line is None:
            break
        got.append(line)
        if log:
            log.write(line + "\n")
            log.flush()
        if line.startswith("begin "):
            current = int(line.split()[1])
        elif line.startswith("file "):
            done = int(line.split()[1])
            if done % 50 == 49:
                print(f"  {done + 1}/{count}", flush=True)
    rc = host.wait()
    if problem is None and rc != 0:
        problem = f"host ended with code {rc} while on file {current}: {''.join(stderr)[-2000:]}"
    if problem is None and not any(l.startswith("late ") for l in got):
        problem = f"host ended early while on file {current}"
    return got, problem


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: sweep.py BIN_DIR")
    bin_dir = sys.argv[1]
    everything = os.environ.get("PICTARA_SWEEP") == "all"
    chosen = choose_files(everything)
    print(f"sweep: {len(chosen)} files ({'all' if everything else 'sample'}) from "
          + ", ".join(f"{p} {sum(1 for q, _ in chosen if q == p)}" for p in PACKAGES + ["svgz"]), flush=True)

    with tempfile.TemporaryDirectory(prefix="pictara-sweep-") as work:
        with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
            native = list(pool.map(lambda i: renders_natively(chosen[i][1], work, i), range(len(chosen))))
        print(f"sweep: rsvg-convert renders {sum(native)} of them by itself", flush=True)
        list_path = os.path.join(work, "files.txt")
        with open(list_path, "w", encoding="utf-8", newline="\n") as f:
            f.writelines(path + "\n" for _, path in chosen)
        log_path = os.environ.get("PICTARA_SWEEP_LOG")
        log = open(log_path, "w", encoding="utf-8") if log_path else None
        if log:
            log.writelines(f"path {i} native={int(native[i])} {path}\n" for i, (_, path) in enumerate(chosen))
        started = time.monotonic()
        lines, problem = run_host(bin_dir, list_path, len(chosen), log)
        wall = time.monotonic() - started
        if log:
            log.close()

    results, objects, late = {}, [], None
    for line in lines:
        if m := FILE_LINE.fullmatch(line):
            v = [int(x) for x in m.groups()]
            results[v[0]] = dict(load=v[1], shown=v[2], size=(v[3], v[4]), boxes=v[5], children=v[6],
                                 thumb=(v[7], v[8]), left=v[9], ms=v[10])
        elif m := OBJECTS_LINE.fullmatch(line):
            objects.append(dict(zip(("after", "windows", "gdi", "slot"), (int(x) for x in m.groups()))))
        elif line.startswith("late "):
            late = int(line.split()[1])

    failures = []
    if problem:
        failures.append(problem)
    for i, (_, path) in enumerate(chosen):
        r = results.get(i)
        if r is None:
            continue
        why = []
        if native[i] and not r["shown"]:
            why.append("not shown" if r["load"] else "ListLoadW returned 0")
        if native[i] and r["thumb"][0] <= 0:
            why.append("no thumbnail")
        if r["thumb"][0] > 128 or r["thumb"][1] > 128:
            why.append(f"thumbnail {r['thumb'][0]}x{r['thumb'][1]} larger than asked")
        if r["boxes"]:
            why.append(f"{r['boxes']} message box(es)")
        if r["children"]:
            why.append(f"{r['children']} window(s) left in the Lister")
        if r["left"]:
            why.append(f"{r['left']} file(s) left in the temporary folder")
        if why:
            failures.append(f"{path}: {', '.join(why)}")
    if late:
        failures.append(f"{late} file(s) left in the temporary folder after the run")
    if len(objects) == 2:
        warm, end = objects
        if end["windows"] > warm["windows"]:
            failures.append(f"windows grew from {warm['windows']} after the warm-up to {end['windows']}")
        if end["gdi"] > warm["gdi"] + GDI_SLACK:
            failures.append(f"GDI objects grew from {warm['gdi']} after the warm-up to {end['gdi']}")
    elif not problem and len(chosen) > WARMUP:
        failures.append("the host reported no object counts")

    done = [results[i] for i in sorted(results)]
    times = [r["ms"] for r in done]
    worst = max(results, key=lambda i: results[i]["ms"]) if results else None
    print(f"sweep: files {len(chosen)}, run {len(done)}, rendered natively {sum(native)}, "
          f"loaded {sum(r['load'] for r in done)}, shown {sum(r['shown'] for r in done)}, "
          f"thumbnails {sum(r['thumb'][0] > 0 for r in done)}")
    shown_only_here = [chosen[i][1] for i, r in sorted(results.items()) if r["shown"] and not native[i]]
    if shown_only_here:
        print(f"sweep: {len(shown_only_here)} shown although rsvg-convert alone failed on them: "
              + ", ".join(shown_only_here[:10]) + (" ..." if len(shown_only_here) > 10 else ""))
    if times:
        print(f"sweep: ms per file (view and thumbnail): median {statistics.median(times):.0f}, "
              f"worst {times[sorted(results).index(worst)]} ({chosen[worst][1]}); total {wall:.0f} s")
    for o in objects:
        print(f"sweep: after {o['after']} files: windows {o['windows']}, GDI objects {o['gdi']}, "
              f"highest GDI slot {o['slot']}")
    for f in failures:
        print("FAIL:", f)
    print("sweep: PASSED" if not failures else f"sweep: FAILED ({len(failures)})")
    return 0 if not failures else 1


if __name__ == "__main__":
    sys.exit(main())
