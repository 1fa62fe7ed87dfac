"""The desktop program's rows of make bench: start-up, typing, scrolling, sorting,
synchronizing, editing and memory, measured through the real windows under Xvfb beside
baselines run in the same make bench. bench/run-all calls desktop_rows with its helpers."""

import json
import os
import random
import shutil
import subprocess
import tempfile
import time

import benchlib as bl

DESKTOP_ROWS = ("10", "11", "12", "13", "14", "15", "16")


class DesktopError(Exception):
    pass


def make_desktop_rows():
    return {
        "10": bl.Row("10", "start-up to the first painted main window with L100k's songs (Xvfb, no splash)",
                     "bare Qt window with an empty table + cordalib-cli info on L100k", limit=1.5),
        "11": bl.Row("11", "search keystroke in the search edit, until lists, boxes and headers repainted",
                     "row 6, the core search keystroke", limit=2, absolute=0.05),
        "12": bl.Row("12", "Page Down in L100k's song list sorted by title, until repainted (median of 200)",
                     "plain QTableView over a QAbstractTableModel of the same texts", limit=1.5,
                     absolute=0.016),
        "13": bl.Row("13", "click on the Artist heading of L100k's song list, until repainted",
                     "row 7's core sort by artist + row 12's baseline repaint", limit=1.5),
        "14f": bl.Row("14", "Synchronize C20k from the menu with the progress dialog, first run",
                      "cordalib-cli sync (row 2)", limit=1.1),
        "14u": bl.Row("14", "Synchronize C20k from the menu, nothing changed", "cordalib-cli sync (row 3)",
                      limit=1.1),
        "15": bl.Row("15", "multi-edit of 1,000 songs' album in the edit dialog, files written and saved",
                     "Python loop: read, write temp, fsync, rename of the same files", limit=1.3),
        "16": bl.Row("16", "peak memory of cordalib showing L100k", "peak RSS of cordalib-cli info on L100k",
                     kind="size", limit=1.5),
    }


class Xvfb:
    """A private X server for the run; DISPLAY goes into the environments that need it."""

    def __init__(self):
        if not shutil.which("Xvfb"):
            raise DesktopError("Xvfb is not installed")
        # The server must not reset when its last client leaves (-noreset): the run starts one
        # program after another, and one arriving during a reset would find no server. It is
        # used only once a client has reached it.
        # Display :0 and its neighbours can be taken by servers this machine does not show
        # (an abstract socket of another sandbox on the same network): a random high number,
        # and another one when the server does not come up.
        self.log = tempfile.TemporaryFile()
        for number in random.sample(range(100, 900), 5):
            if self._start(number) and self._answers():
                return
            self.close()
        raise DesktopError("Xvfb started but no client could connect to it: " + self._last_words())

    def _last_words(self):
        self.log.seek(0)
        lines = [line.strip() for line in self.log.read().decode(errors="replace").splitlines() if line.strip()]
        # The cause comes a few lines before the last, which only says the server ended.
        return " / ".join(lines[-4:]) if lines else "it said nothing"

    def _answers(self):
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and self.process.poll() is None:
            # Without any cookie, as the programs of the run (in their own homes) connect.
            env = dict(os.environ, DISPLAY=self.display, XAUTHORITY="/dev/null")
            done = subprocess.run(["xdpyinfo"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if done.returncode == 0:
                return True
            time.sleep(0.1)
        return False

    def _start(self, number):
        # Readiness is told by a client getting through (_answers), not by -displayfd, whose
        # pipe write failed now and then ("Cannot write display number to fd").
        self.display = ":%d" % number
        self.process = subprocess.Popen(["Xvfb", self.display, "-screen", "0", "1920x1080x24", "-nolisten", "tcp",
                                         "-noreset"], stdout=self.log, stderr=self.log)
        return True

    def env(self, base):
        env = dict(base, DISPLAY=self.display, QT_QPA_PLATFORM="xcb")
        return env

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()


def time_to_event(command, env, event_file, word, timeout=120):
    """Starts the program and returns the seconds until its event file holds the word; then
    waits for the program to end (it quits by itself)."""
    if os.path.exists(event_file):
        os.remove(event_file)
    env = dict(env, CORDALIB_TEST_EVENT_FILE=event_file)
    start = time.perf_counter()
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    elapsed = None
    deadline = start + timeout
    while time.perf_counter() < deadline:
        try:
            with open(event_file) as f:
                text = f.read()
        except FileNotFoundError:
            text = ""
        if word in text:
            elapsed = time.perf_counter() - start
            break
        if process.poll() is not None:
            break
        time.sleep(0.0005)
    try:
        _, err = process.communicate(timeout=60)
    except subprocess.TimeoutExpired:
        process.kill()
        _, err = process.communicate()
    if elapsed is None:
        raise DesktopError("%s never reported '%s': %s" % (os.path.basename(command[0]), word,
                                                             err.decode(errors="replace")[-300:]))
    with open(event_file) as f:
        return elapsed, f.read()


def desktop_rows(rows, runs, work, wanted, ctx):
    """ctx: a dict with the run-all pieces: run, interleaved, peak_rss, Home, cli, desktopbench,
    cordalib, l100k, medians (the micro benchmarks'), log."""
    log = ctx["log"]
    xvfb = Xvfb()
    try:
        home = ctx["Home"](work, "home-desktop")
        os.makedirs(os.path.dirname(home.database), exist_ok=True)
        shutil.copy2(ctx["l100k"], home.database)
        env = xvfb.env(home.env)
        ctx["run"]([ctx["desktopbench"], "prepare"], env=env)

        if "10" in wanted or "16" in wanted:
            start_rows(rows, runs, work, wanted, ctx, home, env, log)
        if wanted & {"11", "12", "13"}:
            window_rows(rows, runs, wanted, ctx, env, log)
        if wanted & {"14", "15"}:
            library_rows(rows, runs, work, wanted, ctx, xvfb, log)
    finally:
        xvfb.close()


def start_rows(rows, runs, work, wanted, ctx, home, env, log):
    event_file = os.path.join(work, "desktop-events")
    program_env = dict(env, CORDALIB_BENCH_EXIT_AFTER_PAINT="1")
    seen = set()

    def program():
        elapsed, text = time_to_event([ctx["cordalib"]], program_env, event_file, "painted")
        seen.add(text.strip().splitlines()[0])
        return elapsed

    def bare():
        return time_to_event([ctx["desktopbench"], "bare-window", event_file], env, event_file, "painted")[0]

    def cli_info():
        return ctx["run"]([ctx["cli"], "info"], env=home.env)[0]

    if "10" in wanted:
        log("row 10: start-up ...")
        ours, bare_times, info_times = ctx["interleaved"](runs, program, bare, cli_info)
        row = rows["10"]
        row.ours = bl.median(ours)
        row.baseline = bl.median(bare_times) + bl.median(info_times)
        row.note("bare window %s + cordalib-cli info %s; the program painted: %s" % (
            bl.format_seconds(bl.median(bare_times)), bl.format_seconds(bl.median(info_times)),
            ", ".join(sorted(seen))))
        if any("songs=100000" not in line for line in seen):
            row.note("MISMATCH: the window did not show L100k's 100,000 songs")
    if "16" in wanted:
        log("row 16: memory ...")
        scratch = os.path.join(work, "rss-desktop")
        os.makedirs(scratch, exist_ok=True)
        program_rss = dict(program_env, CORDALIB_TEST_EVENT_FILE=event_file)
        ours, cli = ctx["interleaved"](runs, lambda: ctx["peak_rss"]([ctx["cordalib"]], program_rss, scratch),
                                       lambda: ctx["peak_rss"]([ctx["cli"], "info"], home.env, scratch))
        row = rows["16"]
        row.ours = bl.median(ours)
        row.baseline = bl.median(cli)


def run_desktopbench(ctx, env, arguments):
    _, out = ctx["run"]([ctx["desktopbench"], "ui"] + arguments, env=env, capture=True)
    results = {}
    for line in out.splitlines():
        line = line.strip()
        if line.startswith("{"):
            entry = json.loads(line)
            results[entry["row"]] = entry
    return results


def window_rows(rows, runs, wanted, ctx, env, log):
    log("rows 11-13: typing, scrolling and sorting in the main window ...")
    asked = sorted(wanted & {"11", "12", "13"})
    if "13" in asked and "12" not in asked:
        asked.append("12")  # row 13's baseline needs row 12's
    results = run_desktopbench(ctx, env, ["--runs", str(runs), "--rows", ",".join(sorted(asked))])
    medians = ctx["medians"]
    for key in asked:
        if key not in results:
            rows[key].missing = "desktopbench printed no row %s" % key
        elif "missing" in results[key]:
            rows[key].missing = results[key]["missing"]
    if "11" in results and "times" in results["11"]:
        row = rows["11"]
        row.ours = bl.median(results["11"]["times"]) / 1000.0
        core = medians.get("SearchKeystroke")
        if core is None:
            row.missing = "row 6 (the core search keystroke) did not run"
        else:
            row.baseline = core["seconds"]
            row.note("%d matching songs in the list" % results["11"]["matches"])
            if int(core.get("matches", -1)) != results["11"]["matches"]:
                row.note("MISMATCH: the core search found %s" % core.get("matches"))
    page_baseline = None
    if "12" in results and "times" in results["12"]:
        row = rows["12"]
        row.ours = bl.median(results["12"]["times"]) / 1000.0
        page_baseline = bl.median(results["12"]["baseline_times"]) / 1000.0
        row.baseline = page_baseline
    if "13" in results and "times" in results["13"]:
        row = rows["13"]
        row.ours = bl.median(results["13"]["times"]) / 1000.0
        core = medians.get("SortSongs/artist")
        if core is None or page_baseline is None:
            row.missing = "row 7's artist sort or row 12's baseline did not run"
        else:
            row.baseline = core["seconds"] + page_baseline
            row.note("core artist sort %s + plain table repaint %s" % (
                bl.format_seconds(core["seconds"]), bl.format_seconds(page_baseline)))


def result_counts(text):
    """The counters of a result text, without the elapsed time, which differs per run."""
    summary = text.strip().split("\n\n")[0]
    return "\n".join(line for line in summary.splitlines() if line and not line.startswith("Elapsed"))


def remove_database(home):
    for suffix in ("", "-wal", "-shm"):
        if os.path.exists(home.database + suffix):
            os.remove(home.database + suffix)


def library_rows(rows, runs, work, wanted, ctx, xvfb, log):
    """Rows 14 and 15 on a work copy of C20k; the edits of row 15 come last, as they change
    the files."""
    copy = os.path.join(work, "desktop-c20k")
    if not os.path.exists(copy):
        shutil.copytree(ctx["c20k"], copy, symlinks=True)
    gui = ctx["Home"](work, "home-desktop-sync")
    cli = ctx["Home"](work, "home-cli-sync")
    for home in (gui, cli):
        home.cli("folders", "add", copy)
    env = xvfb.env(gui.env)
    ctx["run"]([ctx["desktopbench"], "prepare"], env=env)

    def gui_sync(key):
        results = run_desktopbench(ctx, env, ["--rows", key])
        entry = results.get(key, {})
        if "seconds" not in entry:
            raise DesktopError(entry.get("missing", "desktopbench printed no row %s" % key))
        texts.setdefault(key, set()).add(result_counts(entry["text"]))
        return entry["seconds"]

    def cli_sync(key):
        elapsed, out = cli.cli("sync", capture=True)
        texts.setdefault("cli" + key, set()).add(result_counts(out))
        return elapsed

    texts = {}
    if "14" in wanted or "15" in wanted:
        log("row 14: synchronize from the menu ...")

        def gui_first():
            remove_database(gui)
            return gui_sync("14f")

        def cli_first():
            remove_database(cli)
            return cli_sync("14f")

        ours, baseline = ctx["interleaved"](runs, gui_first, cli_first)
        rows["14f"].ours, rows["14f"].baseline = bl.median(ours), bl.median(baseline)
        ours, baseline = ctx["interleaved"](runs, lambda: gui_sync("14u"), lambda: cli_sync("14u"))
        rows["14u"].ours, rows["14u"].baseline = bl.median(ours), bl.median(baseline)
        for key in ("14f", "14u"):
            if texts.get(key) != texts.get("cli" + key) or len(texts.get(key, ())) != 1:
                rows[key].note("MISMATCH: the window said %s, cordalib-cli %s" % (
                    sorted(texts.get(key, ())), sorted(texts.get("cli" + key, ()))))
            else:
                shown = next(iter(texts[key])) or "no message (nothing to report)"
                rows[key].note("same result as cordalib-cli: %s" % shown.replace("\n", ", "))
    if "15" in wanted:
        edit_row(rows["15"], runs, work, ctx, env, copy, log)


def safe_rewrite(paths):
    """The baseline of the multi-edit: each file read, written to a temporary file beside it,
    flushed to the disk and renamed over the old one."""
    start = time.perf_counter()
    for path in paths:
        with open(path, "rb") as f:
            data = f.read()
        temporary = path + ".bench-tmp"
        fd = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
        try:
            os.write(fd, data)
            os.fsync(fd)
        finally:
            os.close(fd)
        os.rename(temporary, path)
    return time.perf_counter() - start


def edit_row(row, runs, work, ctx, env, copy, log):
    log("row 15: multi-edit of 1,000 albums ...")
    paths_file = os.path.join(work, "edited-paths")
    count = 1000
    albums = []
    state = {"round": 0}

    def gui_edit():
        state["round"] += 1
        album = "Bench Album %d" % state["round"]
        results = run_desktopbench(ctx, env, ["--rows", "15", "--edit-count", str(count), "--album", album,
                                              "--paths-file", paths_file])
        entry = results.get("15", {})
        if "seconds" not in entry:
            raise DesktopError(entry.get("missing", "desktopbench printed no row 15"))
        albums.append(entry["albums"])
        return entry["seconds"]

    def python_loop():
        with open(paths_file, encoding="utf-8") as f:
            paths = [line for line in f.read().split("\n") if line]
        return safe_rewrite(paths)

    ours, baseline = ctx["interleaved"](runs, gui_edit, python_loop)
    row.ours, row.baseline = bl.median(ours), bl.median(baseline)
    # Every run changed exactly the 1,000 albums; the bodies of the edited files and every
    # other file are as the corpus made them.
    with open(paths_file, encoding="utf-8") as f:
        edited = {os.path.relpath(line, copy) for line in f.read().split("\n") if line}
    problems = []
    if len(edited) != count:
        problems.append("%d files edited" % len(edited))
    if set(albums) != {count}:
        problems.append("albums changed per run: %s" % sorted(set(albums)))
    for entry in bl.read_manifest(ctx["c20k_manifest"]):
        relative = entry["path"]
        with open(os.path.join(ctx["c20k"], relative), "rb") as f:
            pristine = f.read()
        with open(os.path.join(copy, relative), "rb") as f:
            now = f.read()
        if relative in edited:
            if not now.endswith(pristine[entry.get("headerSize", len(pristine)):]):
                problems.append("the body of %s changed" % relative)
        elif now != pristine:
            problems.append("%s changed without being edited" % relative)
        if len(problems) > 5:
            break
    if problems:
        row.note("MISMATCH: " + "; ".join(problems))
    else:
        row.note("%d albums changed per run, in files whose header has a place for one; bodies and the other "
                 "files unchanged" % count)
