"""The parts of bench/run-all that decide something: figures and verdicts, the result
table, the cached corpora and the mutation step of the changed-folder synchronization.

Kept apart from the driver so that tests/bench can check them without running a benchmark.
"""

import hashlib
import json
import os
import random
import shutil
import statistics
import subprocess
import sys
import zipfile
import zlib

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import corpusgen  # noqa: E402


# ---------------------------------------------------------------------------
# Figures and verdicts


def median(values):
    if not values:
        raise ValueError("no measurements")
    return statistics.median(values)


def format_seconds(seconds):
    if seconds is None:
        return ""
    if seconds >= 1.0:
        return "%.3f s" % seconds
    if seconds >= 0.001:
        return "%.2f ms" % (seconds * 1e3)
    return "%.1f µs" % (seconds * 1e6)


def format_bytes(count):
    return "%.1f MB" % (count / 1e6)


def format_rate(bytes_per_second):
    return "%.0f MB/s" % (bytes_per_second / 1e6)


class Row:
    """One line of the table.

    kind "time": ours and baseline are seconds, ratio = ours / baseline, met when
    ratio <= limit (and, with absolute, ours <= absolute seconds).
    kind "rate": ours and baseline are bytes a second, ratio = ours / baseline, met when
    ratio >= limit.
    kind "size": ours and baseline are bytes, ratio = ours / baseline, met when <= limit.
    A row without a limit has no target; a row with missing set could not be measured.
    """

    def __init__(self, number, work, baseline_name, kind="time", limit=None, absolute=None, target=None):
        self.number = number
        self.work = work
        self.baseline_name = baseline_name
        self.kind = kind
        self.limit = limit
        self.absolute = absolute
        self.target = target if target is not None else self._default_target()
        self.ours = None
        self.baseline = None
        self.missing = None
        self.notes = []
        self.conditions = []  # further targets: (name, ratio or None, limit)

    def require(self, name, ratio, limit):
        """A further ratio the row must keep (against another row of the same run); its
        figure goes into the notes and the target text. None: it could not be measured,
        so the row has no verdict."""
        self.conditions.append((name, ratio, limit))
        self.target += " and ≤ %g× %s" % (limit, name)
        if ratio is None:
            self.note("%s not measured" % name)
        else:
            self.note("against %s: ratio %.2f (target ≤ %g)" % (name, ratio, limit))

    def note(self, text):
        if text not in self.notes:
            self.notes.append(text)

    def _default_target(self):
        if self.limit is None:
            return "—"
        if self.kind == "rate":
            text = "≥ %g×" % self.limit
        else:
            text = "≤ %g×" % self.limit
        if self.absolute is not None:
            text += " and < %s" % format_seconds(self.absolute)
        return text

    @property
    def ratio(self):
        if self.ours is None or not self.baseline:
            return None
        return self.ours / self.baseline

    @property
    def met(self):
        """True, False, or None when there is no target or nothing was measured."""
        if self.missing or self.limit is None or self.ratio is None:
            return None
        if self.kind == "rate":
            ok = self.ratio >= self.limit
        else:
            ok = self.ratio <= self.limit
        if self.absolute is not None:
            ok = ok and self.ours < self.absolute
        for _, ratio, limit in self.conditions:
            if ratio is None:
                return None
            ok = ok and ratio <= limit
        return ok

    def _figure(self, value):
        if value is None:
            return ""
        if self.kind == "rate":
            return format_rate(value)
        if self.kind == "size":
            return format_bytes(value)
        return format_seconds(value)

    def cells(self):
        label = "%s %s" % (self.number, self.work)
        if self.missing:
            return [label, "n/a (missing: %s)" % self.missing, self.baseline_name, "", self.target, "—"]
        met = self.met
        baseline = self.baseline_name
        if self.baseline is not None:
            baseline = "%s: %s" % (self.baseline_name, self._figure(self.baseline))
        ratio = "" if self.ratio is None else "%.2f" % self.ratio
        verdict = "—" if met is None else ("yes" if met else "no")
        return [label, self._figure(self.ours), baseline, ratio, self.target, verdict]


HEADINGS = ["benchmark", "ours", "baseline", "ratio", "target", "met"]


def markdown_table(rows):
    def line(cells):
        return "| " + " | ".join(cell.replace("|", "\\|") for cell in cells) + " |"

    out = [line(HEADINGS), line(["---"] * len(HEADINGS))]
    out.extend(line(row.cells()) for row in rows)
    notes = [(row.number, note) for row in rows for note in row.notes]
    if notes:
        out.append("")
        out.extend("- %s: %s" % (number, note) for number, note in notes)
    return "\n".join(out) + "\n"


# ---------------------------------------------------------------------------
# Backup archives


def check_archive(archive, sources):
    """What is wrong with a backup archive (an empty list when nothing): it must pass
    unzip -t and Python's zipfile, and hold the sources in their order, the first (the
    database) under its file name and the others under their paths without the leading
    "/", each with the source's size and CRC."""
    problems = []
    done = subprocess.run(["unzip", "-tqq", archive], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if done.returncode != 0:
        problems.append("unzip -t fails: %s" % done.stderr.decode("utf-8", "replace").strip()[:200])
    try:
        with zipfile.ZipFile(archive) as z:
            bad = z.testzip()
            if bad is not None:
                problems.append("zipfile finds %s damaged" % bad)
            infos = z.infolist()
    except (OSError, zipfile.BadZipFile) as error:
        return problems + ["zipfile cannot read the archive: %s" % error]
    names = [os.path.basename(sources[0])] + [path.lstrip("/") for path in sources[1:]] if sources else []
    if len(infos) != len(names):
        problems.append("%d entries, expected %d" % (len(infos), len(names)))
    for info, name, source in zip(infos, names, sources):
        # Names are stored in the code page (Windows-1252, '?' for what it lacks) without
        # the UTF-8 flag, which zipfile then reads as code page 437.
        stored = info.filename.encode("utf-8" if info.flag_bits & 0x800 else "cp437")
        if stored != corpusgen.ansi_from_unicode(name):
            problems.append("entry %s where %s was expected" % (info.filename, name))
            break
        with open(source, "rb") as f:
            data = f.read()
        if info.file_size != len(data) or info.CRC != zlib.crc32(data):
            problems.append("entry %s differs from its file" % name)
            break
    return problems


# ---------------------------------------------------------------------------
# Row selection

# Rows measured against another row of the same run need that row measured too.
DEPENDENCIES = {"11": {"6"}, "13": {"7", "12"}, "17": {"5"}, "19": {"6"}, "20": {"2"}, "21": {"8"}}


def parse_rows(text):
    """Row numbers from "1,5,7" or "17-22" (or both mixed) as a set of texts."""
    rows = set()
    for part in text.split(","):
        part = part.strip()
        if not part:
            continue
        if "-" in part:
            first, last = (int(p) for p in part.split("-", 1))
            if last < first:
                raise ValueError("empty range %s" % part)
            rows.update(str(n) for n in range(first, last + 1))
        else:
            rows.add(str(int(part)))
    return rows


def with_dependencies(rows):
    out = set(rows)
    for row in rows:
        out |= DEPENDENCIES.get(row, set())
    return out


# ---------------------------------------------------------------------------
# Cached corpora


def _generator_digest():
    with open(corpusgen.__file__, "rb") as f:
        return hashlib.md5(f.read()).hexdigest()


def stamp_text(arguments):
    """What a cached output was made from: the generator's own text and its arguments."""
    return json.dumps({"generator": _generator_digest(), "arguments": list(arguments)}, sort_keys=True)


def is_cached(stamp_path, arguments):
    try:
        with open(stamp_path, encoding="utf-8") as f:
            return f.read() == stamp_text(arguments)
    except OSError:
        return False


def write_stamp(stamp_path, arguments):
    with open(stamp_path, "w", encoding="utf-8") as f:
        f.write(stamp_text(arguments))


def read_manifest(path):
    with open(path, encoding="utf-8") as f:
        return [json.loads(line) for line in f if line.strip()]


# ---------------------------------------------------------------------------
# The mutation step: files renamed or moved, headers changed


_SONG_FIELDS = ("contentByte", "title", "artist", "releaseType", "albumKind", "albumTitle", "albumYear",
                "albumFlag", "release1Title", "release1Flag", "release2Title", "release2Date",
                "authorshipType", "composer", "lyricist", "arranger", "transcriberA", "transcriberB",
                "copyright", "extraText1", "extraText2", "extraText3")
_LESSON_FIELDS = ("lessonTitle", "lessonSubtitle", "lessonStyle", "lessonLevel", "lessonAuthor",
                  "lessonExtraText", "lessonCopyright")


def header_from_manifest(entry):
    """The generator's header object for a version 4 file of 8-bit texts, or None."""
    if entry.get("version") != 4 or entry.get("utf16"):
        return None
    fields = {"version": 4, "fileType": entry["fileType"]}
    for name in (_LESSON_FIELDS if entry["fileType"] == 1 else _SONG_FIELDS):
        value = entry.get(name)
        if value is None:
            continue
        fields[name] = tuple(value) if isinstance(value, list) else value
    return corpusgen.Header(**fields)


def changed_header(entry, data):
    """The file's bytes with a new title, encoded by the generator, the body unchanged; None
    when the manifest entry does not reproduce the file's header exactly."""
    header = header_from_manifest(entry)
    if header is None:
        return None
    size = entry["headerSize"]
    try:
        if corpusgen.encode_header(header) != data[:size]:
            return None
    except ValueError:
        return None
    if header.fileType == 1:
        header.lessonTitle += " (revised)"
    else:
        header.title += " (revised)"
    return corpusgen.encode_header(header) + data[size:]


class MutationPlan:
    """Which files of a corpus are moved, renamed in place and given a new header.

    moves and renames: (old relative path, new relative path); headers: relative paths.
    All three sets are disjoint, and no new path collides, without regard to case, with a
    file of the corpus or another new path (the library compares paths so).
    """

    def __init__(self, moves, renames, headers):
        self.moves = moves
        self.renames = renames
        self.headers = headers

    def new_paths(self):
        return [new for _, new in self.moves + self.renames]


def plan_mutations(manifest, renamed, changed, seed=5):
    """Half of `renamed` files moved to another folder under the same name, the other half
    renamed in their folder; `changed` other files get a new header."""
    rng = random.Random(seed)
    taken = {entry["path"].lower() for entry in manifest}
    folders = sorted({os.path.dirname(entry["path"]) for entry in manifest})
    header_candidates = [e["path"] for e in manifest if header_from_manifest(e) is not None]
    if len(header_candidates) < changed:
        raise ValueError("only %d files can take a new header" % len(header_candidates))
    headers = rng.sample(header_candidates, changed)
    used = set(headers)
    others = [e["path"] for e in manifest if e["path"] not in used]
    if len(others) < renamed:
        raise ValueError("the corpus has too few files")
    chosen = rng.sample(others, renamed)
    moves, renames = [], []
    for index, old in enumerate(chosen):
        folder, name = os.path.split(old)
        if index % 2 == 0 and len(folders) > 1:
            for _ in range(100):
                target = rng.choice(folders)
                new = os.path.join(target, name) if target else name
                if target.lower() != folder.lower() and new.lower() not in taken:
                    break
            else:
                raise ValueError("no folder can take %s" % old)
            moves.append((old, new))
        else:
            stem, extension = os.path.splitext(name)
            new = os.path.join(folder, "%s (renamed)%s" % (stem, extension))
            if new.lower() in taken:
                raise ValueError("%s exists" % new)
            renames.append((old, new))
        taken.add(new.lower())
    return MutationPlan(moves, renames, headers)


def apply_mutations(plan, work, manifest_by_path):
    for old, new in plan.moves + plan.renames:
        os.rename(os.path.join(work, old), os.path.join(work, new))
    for rel in plan.headers:
        path = os.path.join(work, rel)
        with open(path, "rb") as f:
            data = f.read()
        changed = changed_header(manifest_by_path[rel], data)
        if changed is None:
            raise ValueError("%s cannot take a new header" % rel)
        with open(path, "wb") as f:
            f.write(changed)


def undo_mutations(plan, work, pristine):
    """Puts the work copy back as the pristine corpus has it, times included."""
    for old, new in plan.moves + plan.renames:
        os.rename(os.path.join(work, new), os.path.join(work, old))
    for rel in plan.headers:
        shutil.copy2(os.path.join(pristine, rel), os.path.join(work, rel))
