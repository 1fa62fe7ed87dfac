#!/usr/bin/env python3
"""Checks of bench/benchlib.py: the verdicts and table of make bench, the corpus cache
stamps and the mutation step of the changed-folder synchronization."""

import hashlib
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True
ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "bench"))
import benchlib as bl  # noqa: E402

GENERATOR = os.path.join(ROOT, "tools", "corpusgen.py")


def snapshot(folder):
    """Every file below the folder: relative path -> (MD5, modification time in ns)."""
    out = {}
    for directory, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(directory, name)
            with open(path, "rb") as f:
                digest = hashlib.md5(f.read()).hexdigest()
            out[os.path.relpath(path, folder)] = (digest, os.stat(path).st_mtime_ns)
    return out


def read_text8(data, offset):
    """An 8-bit text of the header layout (short length prefixes only) and the next offset."""
    length = data[offset]
    if length == 0xFF:
        (length,) = struct.unpack_from("<H", data, offset + 1)
        return data[offset + 3:offset + 3 + length], offset + 3 + length
    return data[offset + 1:offset + 1 + length], offset + 1 + length


class VerdictTest(unittest.TestCase):
    # A throughput target is a floor and a time target a ceiling: exchanging them would
    # report a slow checksum as met.
    def test_rate_and_time_limits_point_opposite_ways(self):
        rate = bl.Row("1", "md5", "md5sum", kind="rate", limit=0.95)
        rate.ours, rate.baseline = 600e6, 620e6
        self.assertTrue(rate.met)
        rate.ours = 500e6
        self.assertFalse(rate.met)
        time_row = bl.Row("2", "sync", "find", limit=1.15)
        time_row.ours, time_row.baseline = 1.0, 1.0
        self.assertTrue(time_row.met)
        time_row.ours = 1.2
        self.assertFalse(time_row.met)

    # The keystroke target has two parts; meeting the ratio alone is not enough.
    def test_absolute_limit_must_also_hold(self):
        row = bl.Row("6", "search", "grep", limit=3, absolute=0.1)
        row.ours, row.baseline = 0.12, 0.05
        self.assertAlmostEqual(row.ratio, 2.4)
        self.assertFalse(row.met)
        row.ours = 0.09
        self.assertTrue(row.met)

    # A piece that does not exist yet must never show a figure or a verdict.
    def test_missing_and_untargeted_rows_have_no_verdict(self):
        missing = bl.Row("8", "backup", "zip", limit=1.1)
        missing.baseline = 2.0
        missing.missing = "cordalib-cli backup"
        cells = missing.cells()
        self.assertEqual(cells[1], "n/a (missing: cordalib-cli backup)")
        self.assertEqual(cells[3], "")
        self.assertEqual(cells[5], "—")
        self.assertIsNone(missing.met)
        free = bl.Row("5", "save", "sqlite3")
        free.ours, free.baseline = 0.1, 0.2
        self.assertIsNone(free.met)
        self.assertEqual(free.cells()[5], "—")

    # A pipe in a baseline's name would add a column to the Markdown table.
    def test_table_escapes_pipes_and_lists_notes_once(self):
        row = bl.Row("2", "first sync", "find | xargs md5sum", limit=1.15)
        row.ours, row.baseline = 1.1, 1.0
        row.note("20000 added")
        row.note("20000 added")
        lines = bl.markdown_table([row]).splitlines()
        self.assertEqual(lines[2].count(" | "), 5)
        self.assertIn("find \\| xargs md5sum", lines[2])
        self.assertEqual(lines[-1], "- 2: 20000 added")
        self.assertEqual(sum("20000 added" in line for line in lines), 1)


class ConditionTest(unittest.TestCase):
    # A row held to two targets (L1M's load against sqlite3 and against ten times row 5)
    # must fail on either, and show no verdict when the other row was not measured.
    def test_every_condition_must_hold(self):
        row = bl.Row("17", "load L1M", "sqlite3", limit=0.5)
        row.ours, row.baseline = 1.0, 4.0
        row.require("row 5", 1.0 / 0.1, 11)
        self.assertTrue(row.met)
        self.assertIn("≤ 11× row 5", row.target)
        late = bl.Row("17", "load L1M", "sqlite3", limit=0.5)
        late.ours, late.baseline = 1.0, 4.0
        late.require("row 5", 1.0 / 0.05, 11)
        self.assertFalse(late.met)
        unknown = bl.Row("17", "load L1M", "sqlite3", limit=0.5)
        unknown.ours, unknown.baseline = 1.0, 4.0
        unknown.require("row 5", None, 11)
        self.assertIsNone(unknown.met)
        self.assertEqual(unknown.cells()[5], "—")


class RowSelectionTest(unittest.TestCase):
    # "--rows 17-22" must select exactly those rows, and the rows they are measured
    # against must be measured with them.
    def test_ranges_and_dependencies(self):
        self.assertEqual(bl.parse_rows("1,5,7"), {"1", "5", "7"})
        self.assertEqual(bl.parse_rows("17-19, 22"), {"17", "18", "19", "22"})
        with self.assertRaises(ValueError):
            bl.parse_rows("5-x")
        with self.assertRaises(ValueError):
            bl.parse_rows("9-3")
        self.assertEqual(bl.with_dependencies({"17", "21"}), {"17", "5", "21", "8"})
        self.assertEqual(bl.with_dependencies({"19", "20"}), {"19", "6", "20", "2"})


class Cp437Info(__import__("zipfile").ZipInfo):
    """An entry name written as its code-page bytes without the UTF-8 flag, as minizip does."""

    def _encodeFilenameFlags(self):
        return self.filename.encode("cp437"), self.flag_bits


class ArchiveCheckTest(unittest.TestCase):
    # The backup rows check their archive: entries out of library order, a damaged entry
    # or one whose bytes differ from its file must each be reported.
    def test_order_damage_and_contents(self):
        import zipfile
        with tempfile.TemporaryDirectory() as folder:
            sources = []
            for name in ("library.cordb", "a.crd", "Jalape\u00f1o \u0152il.crd"):
                path = os.path.join(folder, "src", name)
                os.makedirs(os.path.dirname(path), exist_ok=True)
                with open(path, "wb") as f:
                    f.write((name * 500).encode())
                sources.append(path)

            def make(order, data=None):
                archive = os.path.join(folder, "out.zip")
                with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
                    for index in order:
                        name = "library.cordb" if index == 0 else sources[index].lstrip("/")
                        # As the program stores names: Windows-1252 bytes, no UTF-8 flag.
                        info = Cp437Info(bl.corpusgen.ansi_from_unicode(name).decode("cp437"))
                        info.compress_type = zipfile.ZIP_DEFLATED
                        with open(sources[index], "rb") as f:
                            z.writestr(info, data if data is not None and index == 2 else f.read())
                return archive

            self.assertEqual(bl.check_archive(make([0, 1, 2]), sources), [])
            self.assertTrue(any("expected" in p for p in bl.check_archive(make([0, 2, 1]), sources)))
            self.assertTrue(any("differs" in p for p in bl.check_archive(make([0, 1, 2], b"other"), sources)))
            archive = make([0, 1, 2])
            with open(archive, "r+b") as f:
                raw = f.read()
                at = raw.index(b"PK\x03\x04", 10) + 40
                f.seek(at)
                f.write(b"\xff\xff\xff\xff")
            self.assertNotEqual(bl.check_archive(archive, sources), [])


class StampTest(unittest.TestCase):
    # A corpus made with other arguments must not be taken from the cache.
    def test_other_arguments_are_not_cached(self):
        with tempfile.TemporaryDirectory() as folder:
            stamp = os.path.join(folder, "c.stamp")
            self.assertFalse(bl.is_cached(stamp, ["crd", "--count", "5"]))
            bl.write_stamp(stamp, ["crd", "--count", "5"])
            self.assertTrue(bl.is_cached(stamp, ["crd", "--count", "5"]))
            self.assertFalse(bl.is_cached(stamp, ["crd", "--count", "6"]))
            with open(stamp, "w", encoding="utf-8") as f:
                f.write(json.dumps({"generator": "0" * 32, "arguments": ["crd", "--count", "5"]}, sort_keys=True))
            self.assertFalse(bl.is_cached(stamp, ["crd", "--count", "5"]))


class MutationTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="benchlib-test-")
        cls.pristine = os.path.join(cls.folder, "corpus")
        cls.manifest_path = os.path.join(cls.folder, "corpus.jsonl")
        subprocess.run([sys.executable, GENERATOR, "crd", "--out", cls.pristine, "--count", "120", "--seed", "7",
                        "--body-min", "1024", "--body-max", "4096", "--depth", "3", "--no-huge-texts",
                        "--manifest", cls.manifest_path], check=True,
                       env=dict(os.environ, PYTHONDONTWRITEBYTECODE="1"))
        cls.manifest = bl.read_manifest(cls.manifest_path)
        cls.by_path = {entry["path"]: entry for entry in cls.manifest}

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def setUp(self):
        self.work = os.path.join(self.folder, "work")
        shutil.rmtree(self.work, ignore_errors=True)
        subprocess.run(["cp", "-a", self.pristine, self.work], check=True)

    # The library matches a moved file by folder and name without regard to case: a new
    # path that another file already has (in any case), or a move that stays in its
    # folder, would turn a rename into an add and a remove.
    def test_plan_keeps_names_apart(self):
        plan = bl.plan_mutations(self.manifest, 30, 20)
        self.assertEqual(len(plan.moves) + len(plan.renames), 30)
        self.assertEqual(len(plan.headers), 20)
        olds = [old for old, _ in plan.moves + plan.renames]
        self.assertEqual(len(set(olds + plan.headers)), 50)
        existing = {entry["path"].lower() for entry in self.manifest}
        news = [new.lower() for new in plan.new_paths()]
        self.assertEqual(len(set(news)), len(news))
        self.assertFalse(existing & set(news))
        for old, new in plan.moves:
            self.assertEqual(os.path.basename(old), os.path.basename(new))
            self.assertNotEqual(os.path.dirname(old).lower(), os.path.dirname(new).lower())
        for old, new in plan.renames:
            self.assertEqual(os.path.dirname(old), os.path.dirname(new))
            self.assertNotEqual(os.path.basename(old).lower(), os.path.basename(new).lower())
        self.assertEqual(bl.plan_mutations(self.manifest, 30, 20).moves, plan.moves)

    # A changed header must be a valid header with a new title and the body unchanged;
    # otherwise the synchronization sees unreadable files or changed content instead.
    def test_changed_headers_keep_the_body(self):
        plan = bl.plan_mutations(self.manifest, 10, 15)
        bl.apply_mutations(plan, self.work, self.by_path)
        for rel in plan.headers:
            entry = self.by_path[rel]
            with open(os.path.join(self.work, rel), "rb") as f:
                data = f.read()
            self.assertEqual(data[:4], b"crda")
            self.assertEqual(struct.unpack_from("<H", data, 4)[0], 4)
            self.assertEqual(hashlib.md5(data[-entry["bodySize"]:]).hexdigest(), entry["bodyMd5"])
            self.assertEqual(len(data), entry["fileSize"] + len(" (revised)"))
            offset = 7 if data[6] == 1 else 8  # lessons: the title follows the file type
            title, _ = read_text8(data, offset)
            field = "lessonTitle" if data[6] == 1 else "title"
            self.assertEqual(bl.corpusgen.cp1252_decode(title), entry[field] + " (revised)")
        for old, new in plan.moves + plan.renames:
            self.assertFalse(os.path.exists(os.path.join(self.work, old)))
            with open(os.path.join(self.work, new), "rb") as f:
                self.assertEqual(hashlib.md5(f.read()).hexdigest(), self.by_path[old]["fileMd5"])

    # Every repetition must start from the synchronized state: an undo that left a moved
    # file behind or a new modification time would make the next run measure other work.
    def test_undo_restores_contents_and_times(self):
        before = snapshot(self.work)
        plan = bl.plan_mutations(self.manifest, 30, 20)
        for _ in range(2):
            bl.apply_mutations(plan, self.work, self.by_path)
            self.assertNotEqual(snapshot(self.work), before)
            bl.undo_mutations(plan, self.work, self.pristine)
            self.assertEqual(snapshot(self.work), before)

    # A manifest entry that does not describe the file must not be used to rewrite it.
    def test_header_that_the_manifest_does_not_reproduce_is_refused(self):
        entry = next(e for e in self.manifest if bl.header_from_manifest(e) is not None)
        with open(os.path.join(self.pristine, entry["path"]), "rb") as f:
            data = f.read()
        self.assertIsNotNone(bl.changed_header(entry, data))
        wrong = dict(entry)
        key = "lessonAuthor" if entry["fileType"] == 1 else "artist"
        wrong[key] = entry[key] + "x"
        self.assertIsNone(bl.changed_header(wrong, data))
        legacy = next(e for e in self.manifest if e["version"] != 4)
        self.assertIsNone(bl.header_from_manifest(legacy))


if __name__ == "__main__":
    unittest.main()
