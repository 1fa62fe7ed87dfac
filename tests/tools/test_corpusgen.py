#!/usr/bin/env python3
"""Checks of tools/corpusgen.py: literal header bytes, determinism, manifest against files,
database layout, and that the committed samples and fuzz seeds are what the generator makes.

The decoders here are written separately from the generator's encoder, so that a mistake
in one shows up as a disagreement with the other.
"""

import filecmp
import hashlib
import json
import os
import struct
import subprocess
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True
ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
GENERATOR = os.path.join(ROOT, "tools", "corpusgen.py")
sys.path.insert(0, os.path.join(ROOT, "tools"))
import corpusgen as cg  # noqa: E402

SAMPLES_COMMAND = ["crd", "--count", "36", "--seed", "2024", "--body-min", "1024", "--body-max", "16384",
                   "--depth", "3", "--no-huge-texts"]


def run_generator(*args):
    env = dict(os.environ, PYTHONDONTWRITEBYTECODE="1")
    subprocess.run([sys.executable, GENERATOR] + list(args), check=True, env=env)


class Malformed(Exception):
    pass


class Reader:
    def __init__(self, data):
        self.data = data
        self.pos = 0

    def take(self, n):
        if n < 0 or self.pos + n > len(self.data):
            raise Malformed("end of data")
        chunk = self.data[self.pos:self.pos + n]
        self.pos += n
        return chunk

    def u8(self):
        return self.take(1)[0]

    def u16(self):
        return struct.unpack("<H", self.take(2))[0]

    def u32(self):
        return struct.unpack("<I", self.take(4))[0]

    def f64(self):
        return struct.unpack("<d", self.take(8))[0]

    def text(self):
        """(8-bit bytes as a reader holds them, stored as UTF-16)."""
        wide = False
        n = self.u8()
        if n == 0xFF:
            n = self.u16()
            if n == 0xFFFE:
                wide = True
                n = self.u8()
                if n == 0xFF:
                    n = self.u16()
            if n == 0xFFFF:
                n = self.u32()
                if n == 0xFFFFFFFF:
                    n = struct.unpack("<Q", self.take(8))[0]
        if wide:
            units = self.take(2 * n).decode("utf-16-le")
            return units.encode("cp1252", errors="replace"), True
        return self.take(n), False


def decode_header(data):
    """Header fields by the layout tables; texts as 8-bit bytes. Returns (fields, size)."""
    r = Reader(data)
    if r.take(4) != b"crda":
        raise Malformed("tag")
    f = {"version": r.u16(), "fileType": 0, "wide": set()}
    if f["version"] not in (1, 2, 3, 4):
        raise Malformed("version")

    def text(name):
        f[name], wide = r.text()
        if wide:
            f["wide"].add(name)

    if f["version"] == 4:
        f["fileType"] = r.u8()
        if f["fileType"] > 1:
            raise Malformed("type")
        if f["fileType"] == 1:
            text("lessonTitle")
            text("lessonSubtitle")
            f["lessonStyle"] = r.u16()
            f["lessonLevel"] = r.u8()
            for name in ("lessonAuthor", "lessonExtraText", "lessonCopyright"):
                text(name)
            return f, r.pos
        f["contentByte"] = r.u8()
        text("title")
        text("artist")
        f["releaseType"] = r.u8()
        if f["releaseType"] == 0:
            f["albumKind"] = r.u8()
            text("albumTitle")
            f["albumYear"] = r.u16()
            f["albumFlag"] = r.u8()
        elif f["releaseType"] == 1:
            text("release1Title")
            f["release1Flag"] = r.u8()
        elif f["releaseType"] == 2:
            text("release2Title")
            f["release2Date"] = [r.u16(), r.u16(), r.u16()]
        f["authorshipType"] = r.u8()
        if f["authorshipType"] == 0:
            text("composer")
            text("lyricist")
        for name in ("arranger", "transcriberA", "transcriberB", "copyright", "extraText1", "extraText2",
                     "extraText3"):
            text(name)
        return f, r.pos
    legacy = f["version"] != 3
    text("title")
    text("artist")
    f["legacyCode"] = r.u8()
    text("legacyTitle")
    f["legacyFlag"] = r.u8()
    text("composer")
    text("lyricist")
    text("arranger")
    if legacy:
        text("transcriberA")
    f["legacyYear"] = r.u16()
    f["authorshipType"] = r.u8()
    text("copyright")
    text("extraText1")
    if legacy:
        text("extraText2")
    return f, r.pos


def expected_album_and_year(f):
    """The album getter and the release type 0 year, after the legacy mapping."""
    if f["version"] != 4:
        code = f["legacyCode"]
        if code == 6:
            return f["legacyTitle"], None, 2
        if code == 9:
            return f["legacyTitle"], None, 1
        if code in (7, 10):
            return b"", None, 3
        return f["legacyTitle"], f["legacyYear"], 0
    rt = f["releaseType"]
    album = {0: f.get("albumTitle"), 1: f.get("release1Title"), 2: f.get("release2Title")}.get(rt, b"")
    return album, f.get("albumYear"), rt


def joined(a, b):
    if a and b and a != b:
        return a + b" :: " + b
    return a or b


def check_entry(test, entry, data):
    """One manifest entry against the file's bytes."""
    fields, size = decode_header(data)
    test.assertEqual(entry["headerSize"], size)
    test.assertEqual(entry["fileSize"], len(data))
    test.assertEqual(entry["bodySize"], len(data) - size)
    test.assertEqual(entry["fileMd5"], hashlib.md5(data).hexdigest())
    test.assertEqual(entry["bodyMd5"], hashlib.md5(data[size:]).hexdigest())
    test.assertEqual(entry["version"], fields["version"])
    test.assertEqual(entry["fileType"], fields["fileType"])
    test.assertEqual(entry["kind"], "lesson" if fields["fileType"] == 1 else "song")
    test.assertEqual(set(entry["utf16"]), fields["wide"])
    texts = {k: v for k, v in fields.items() if isinstance(v, bytes)}
    if fields["fileType"] == 0:
        album, year, rt = expected_album_and_year(fields)
        texts["album"] = album
        texts["transcriber"] = joined(fields.get("transcriberA", b""), fields.get("transcriberB", b""))
        test.assertEqual(entry["year"], year)
        test.assertEqual(entry["releaseType"], rt)
        test.assertEqual(entry["authorshipType"], fields["authorshipType"])
        test.assertEqual(entry["traditional"], fields["authorshipType"] == 1)
        if fields["authorshipType"] != 0 and fields["version"] == 4:
            test.assertEqual(entry["composer"], "")
    else:
        test.assertEqual(entry["lessonStyle"], fields["lessonStyle"])
        test.assertEqual(entry["lessonLevel"], fields["lessonLevel"])
        test.assertEqual((entry["title"], entry["album"], entry["year"]), ("", "", None))
    for name, raw in texts.items():
        test.assertEqual(entry[name], raw.decode("cp1252"), name)
        if any(b >= 0x80 for b in raw):
            test.assertEqual(entry["hex"][name], raw.hex(), name)
        else:
            test.assertNotIn(name, entry["hex"])


def read_manifest(path):
    with open(path, encoding="utf-8") as f:
        return [json.loads(line) for line in f]


def crd_files(folder):
    found = set()
    for dirpath, _, names in os.walk(folder):
        for name in names:
            if name.endswith(".crd"):
                found.add(os.path.relpath(os.path.join(dirpath, name), folder).replace(os.sep, "/"))
    return found


def trees_equal(a, b):
    cmp = filecmp.dircmp(a, b)
    if cmp.left_only or cmp.right_only or cmp.funny_files:
        return False
    _, mismatch, errors = filecmp.cmpfiles(a, b, cmp.common_files, shallow=False)
    return not mismatch and not errors and all(trees_equal(os.path.join(a, d), os.path.join(b, d))
                                              for d in cmp.common_dirs)


class LiteralBytes(unittest.TestCase):
    # Every boundary of the length prefix, including 0xFFFE, which in the short form would
    # read back as the UTF-16 marker.
    def test_length_prefixes(self):
        cases = {0: "00", 254: "fe", 255: "ffff00", 256: "ff0001", 0xFFFD: "fffdff", 0xFFFE: "fffffffeff0000",
                 0xFFFF: "ffffffffff0000", 0x10000: "ffffff00000100", 0xFFFFFFFE: "fffffffeffffff",
                 0xFFFFFFFF: "ffffffffffffffffffffff00000000"}
        for n, expected in cases.items():
            self.assertEqual(cg.length_prefix(n).hex(), expected, n)
        self.assertEqual(cg.text16("é").hex(), "fffeff01e900")
        self.assertEqual(cg.text16("").hex(), "fffeff00")
        self.assertEqual(cg.text8("Œ€").hex(), "028c80")
        self.assertEqual(cg.text16("x" * 255)[:6].hex(), "fffeffffff00")

    # Field order, presence per release and authorship type, and the legacy layouts.
    def test_headers(self):
        H = cg.Header
        cases = [
            (H(title="Café", artist="Björk", albumTitle="Post", albumYear=1995, composer="Nellee", transcriberA="tab",
               copyright="© 1995"),
             "63726461 0400 00 00 04436166e9 05426af6726b 00 02 04506f7374 cb07 00 00 064e656c6c6565 00 00"
             " 03746162 00 06a92031393935 00 00 00"),
            (H(title="Greensleeves", releaseType=2, release2Title="Live", release2Date=(3, 7, 2001),
               authorshipType=1, composer="not written", arranger="Œ"),
             "63726461 0400 00 00 0c477265656e736c6565766573 00 02 044c697665 0300 0700 d107 01 018c"
             " 00 00 00 00 00 00"),
            (H(contentByte=5, title="x", releaseType=1, release1Title="“Hits”", release1Flag=1),
             "63726461 0400 00 05 0178 00 01 06934869747394 01 00 00 00 00 00 00 00 00 00 00"),
            (H(releaseType=3, albumTitle="not written", title="Ω1", wide={"title"}),
             "63726461 0400 00 00 fffeff02a9033100 00 03 00 00 00 00 00 00 00 00 00 00"),
            (H(fileType=1, title="not written", lessonTitle="Barré", lessonStyle=18, lessonLevel=2,
               lessonAuthor="Ana", lessonCopyright="€5"),
             "63726461 0400 01 0542617272e9 00 1200 02 03416e61 00 028035"),
            (H(version=3, title="A", artist="B", legacyCode=9, legacyTitle="Ñ", legacyFlag=1, composer="C",
               legacyYear=1980, extraText1="x", transcriberA="not written", extraText2="not written"),
             "63726461 0300 0141 0142 09 01d1 01 0143 00 00 bc07 00 00 0178"),
            (H(version=1, title="A", artist="B", legacyCode=6, legacyTitle="Ñ", legacyFlag=1, composer="C",
               legacyYear=1980, extraText1="x", transcriberA="T", extraText2="y", authorshipType=1),
             "63726461 0100 0141 0142 06 01d1 01 0143 00 00 0154 bc07 01 00 0178 0179"),
        ]
        for header, expected in cases:
            self.assertEqual(cg.encode_header(header).hex(), expected.replace(" ", ""), expected[:40])

    # The reader's view of legacy files: which release type and album each legacy code gives.
    def test_legacy_mapping(self):
        for code, rt, album, year in ((6, 2, "Ñ", None), (9, 1, "Ñ", None), (7, 3, "", None), (10, 3, "", None),
                                      (3, 0, "Ñ", 1980), (255, 0, "Ñ", 1980)):
            h = cg.Header(version=2, legacyCode=code, legacyTitle="Ñ", legacyFlag=1, legacyYear=1980,
                          transcriberA="a", extraText2="z")
            m = cg.manifest_fields(h)
            self.assertEqual((m["releaseType"], m["album"], m["year"]), (rt, album, year), code)
            self.assertEqual(m["albumKind"], code if rt == 0 else 2)
            self.assertEqual(m["release1Flag"], 1 if rt == 1 else 0)
            self.assertEqual(m["legacyYear"], 1980)
            self.assertEqual(m["transcriber"], "a")

    # The transcriber join: empty, one side empty, different, equal.
    def test_transcriber_join(self):
        for a, b, joined_text in (("", "", ""), ("A", "", "A"), ("", "B", "B"), ("A", "B", "A :: B"),
                                  ("A", "A", "A")):
            m = cg.manifest_fields(cg.Header(transcriberA=a, transcriberB=b))
            self.assertEqual(m["transcriber"], joined_text)

    # A UTF-16 text reads as Windows-1252 with '?' for what the code page lacks.
    def test_utf16_reported_as_ansi(self):
        m = cg.manifest_fields(cg.Header(title="Œ Ω é", wide={"title"}))
        self.assertEqual(m["title"], "Œ ? é")
        self.assertEqual(m["hex"]["title"], "8c203f20e9")
        self.assertEqual(m["utf16"], ["title"])

    # An empty database: magic, version, two date-times, the software text, two zero counts.
    def test_empty_database(self):
        data = cg.encode_database([0, 1.5], [2, 0.0], "C", [], [])
        self.assertEqual(data.hex(), "636f7264620000" + "00000000" + "000000000000f83f" + "02000000" +
                         "0000000000000000" + "fffeff014300" + "00000000" + "00000000")


class Generator(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.out = os.path.join(cls.tmp.name, "a")
        cls.manifest = os.path.join(cls.tmp.name, "a.jsonl")
        run_generator("crd", "--out", cls.out, "--count", "80", "--seed", "11", "--body-min", "100", "--body-max",
                      "3000", "--manifest", cls.manifest)
        cls.entries = read_manifest(cls.manifest)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    # The same seed must give the same bytes, or the committed samples and benchmark
    # libraries could not be rebuilt; another seed must give other files.
    def test_deterministic(self):
        again = os.path.join(self.tmp.name, "b")
        run_generator("crd", "--out", again, "--count", "80", "--seed", "11", "--body-min", "100", "--body-max",
                      "3000", "--manifest", again + ".jsonl")
        self.assertTrue(trees_equal(self.out, again))
        with open(self.manifest, "rb") as a, open(again + ".jsonl", "rb") as b:
            self.assertEqual(a.read(), b.read())
        other = os.path.join(self.tmp.name, "c")
        run_generator("crd", "--out", other, "--count", "80", "--seed", "12", "--body-min", "100", "--body-max",
                      "3000")
        self.assertFalse(trees_equal(self.out, other))

    # Every file is in the manifest once, and every manifest value matches the file's bytes.
    def test_manifest_matches_files(self):
        paths = [e["path"] for e in self.entries]
        self.assertEqual(len(paths), 80)
        self.assertEqual(set(paths), crd_files(self.out))
        self.assertEqual(len({p.lower() for p in paths}), 80)
        for entry in self.entries:
            with open(os.path.join(self.out, entry["path"]), "rb") as f:
                data = f.read()
            with self.subTest(path=entry["path"]):
                check_entry(self, entry, data)
                self.assertTrue(100 <= entry["bodySize"] <= 3000)
                self.assertTrue(any(data[entry["headerSize"]:]))

    # A small corpus still covers every layout branch and text form a reader must handle.
    def test_coverage(self):
        e = self.entries
        self.assertEqual({(x["version"], x["kind"]) for x in e},
                         {(1, "song"), (2, "song"), (3, "song"), (4, "song"), (4, "lesson")})
        v4songs = [x for x in e if x["version"] == 4 and x["kind"] == "song"]
        self.assertEqual({x["releaseType"] for x in v4songs}, {0, 1, 2, 3})
        self.assertEqual({x["authorshipType"] for x in v4songs}, {0, 1})
        self.assertTrue({6, 7, 9, 10} <= {x["legacyCode"] for x in e if x["version"] < 4})
        wide = [x for x in e if x["utf16"]]
        self.assertTrue({1, 4} <= {x["version"] for x in wide})
        self.assertIn("lesson", {x["kind"] for x in wide})
        lengths = {len(x[k]) for x in e for k in cg.MANIFEST_TEXT_ORDER}
        self.assertTrue({0, 254, 255, 256, 300, 0xFFFE, 0xFFFF, 0x10000} <= lengths)
        high = bytes.fromhex("".join(h for x in e for h in x["hex"].values()))
        self.assertTrue(any(0x80 <= b < 0xA0 for b in high))
        self.assertTrue(any(b >= 0xC0 for b in high))
        self.assertTrue(any("/" in x["path"] and x["path"].count("/") >= 2 for x in e))

    # Default body sizes: inside the bounds, averaging about 20 KB.
    def test_body_size_distribution(self):
        rng = cg.Rng(3)
        sizes = [cg.body_size(rng, 4096, 204800) for _ in range(4000)]
        self.assertTrue(all(4096 <= s <= 204800 for s in sizes))
        self.assertTrue(15000 < sum(sizes) / len(sizes) < 25000)
        self.assertGreater(max(sizes), 80000)

    # Options narrow the corpus: only the versions asked for, no lessons at ratio 0.
    def test_versions_and_ratio(self):
        out = os.path.join(self.tmp.name, "v3")
        run_generator("crd", "--out", out, "--count", "25", "--versions", "3", "--lessons-ratio", "0.5",
                      "--body-min", "10", "--body-max", "20", "--depth", "0", "--manifest", out + ".jsonl")
        entries = read_manifest(out + ".jsonl")
        self.assertEqual({(x["version"], x["kind"]) for x in entries}, {(3, "song")})
        self.assertTrue(all("/" not in x["path"] for x in entries))
        out = os.path.join(self.tmp.name, "lessons")
        run_generator("crd", "--out", out, "--count", "25", "--lessons-ratio", "1", "--body-min", "10",
                      "--body-max", "20", "--manifest", out + ".jsonl")
        self.assertEqual({x["kind"] for x in read_manifest(out + ".jsonl")}, {"lesson"})


def decode_database(data):
    r = Reader(data)
    if r.take(5) != b"cordb" or r.u16() != 0:
        raise Malformed("magic or version")

    def when():
        return [r.u32(), r.f64()]

    def wide_text():
        raw = r.pos
        value, wide = r.text()
        if not wide:
            raise Malformed("narrow path at %d" % raw)
        return data[raw:r.pos]

    db = {"created": when(), "modified": when()}
    db["software"] = wide_text()
    songs = []
    for _ in range(r.u32()):
        if r.u16() != 0:
            raise Malformed("record version")
        s = {k: r.text()[0].decode("cp1252") for k in ("title", "artist", "album")}
        s["year"], s["traditional"] = r.u16(), r.u32()
        s.update({k: r.text()[0].decode("cp1252") for k in ("composer", "lyricist", "arranger", "transcriber",
                                                             "copyright")})
        s["pathBytes"] = wide_text()
        s["dateAdded"] = when()
        s["lastWriteTime"] = r.u32() | r.u32() << 32
        s["checksum"] = r.text()[0].decode("ascii")
        s["rating"] = r.u8()
        songs.append(s)
    lessons = []
    for _ in range(r.u32()):
        if r.u16() != 0:
            raise Malformed("record version")
        s = {k: r.text()[0].decode("cp1252") for k in ("title", "subtitle")}
        s["style"], s["level"] = r.u16(), r.u8()
        s.update({k: r.text()[0].decode("cp1252") for k in ("author", "copyright")})
        s["pathBytes"] = wide_text()
        s["dateAdded"] = when()
        s["lastWriteTime"] = r.u32() | r.u32() << 32
        s["checksum"] = r.text()[0].decode("ascii")
        s["rating"] = r.u8()
        lessons.append(s)
    if r.pos != len(data):
        raise Malformed("trailing bytes")
    return db, songs, lessons


class Database(unittest.TestCase):
    # The database file follows the record tables exactly and agrees with its manifest.
    def test_records_match_manifest(self):
        with tempfile.TemporaryDirectory() as tmp:
            out = os.path.join(tmp, "lib.cordb")
            run_generator("cordb", "--out", out, "--songs", "300", "--lessons", "40", "--seed", "5", "--root",
                          "/srv/tabs", "--manifest", out + ".jsonl")
            with open(out, "rb") as f:
                data = f.read()
            manifest = read_manifest(out + ".jsonl")
            again = os.path.join(tmp, "again.cordb")
            run_generator("cordb", "--out", again, "--songs", "300", "--lessons", "40", "--seed", "5", "--root",
                          "/srv/tabs")
            with open(again, "rb") as f:
                self.assertEqual(f.read(), data)
        db, songs, lessons = decode_database(data)
        head = manifest[0]
        self.assertEqual((head["songCount"], head["lessonCount"]), (300, 40))
        self.assertEqual(head["fileMd5"], hashlib.md5(data).hexdigest())
        self.assertEqual(db["created"], head["created"])
        self.assertEqual(db["modified"], head["modified"])
        self.assertEqual(db["software"], cg.text16(head["encodingSoftware"]))
        records = manifest[1:]
        paths = [r["path"] for r in records]
        self.assertEqual(len({p.lower() for p in paths}), len(paths))
        self.assertEqual([r["kind"] for r in records], ["song"] * 300 + ["lesson"] * 40)
        for decoded, expected in zip(songs + lessons, records):
            path = expected.pop("path")
            expected.pop("kind")
            self.assertEqual(decoded.pop("pathBytes"), cg.text16(path))
            self.assertTrue(path.startswith("/srv/tabs/") and path.endswith(".crd"))
            self.assertEqual(decoded, expected)
        self.assertTrue(all(len(s["checksum"]) == 32 and 0 <= s["rating"] <= 5 for s in songs + lessons))
        self.assertTrue(all(s["style"] < 19 and s["level"] < 3 for s in lessons))


class Committed(unittest.TestCase):
    # The committed samples must be exactly what the documented command makes, and their
    # manifest must describe them; stale samples would mislead every reader test.
    def test_samples_regenerate(self):
        samples = os.path.join(ROOT, "samples")
        entries = read_manifest(os.path.join(samples, "manifest.jsonl"))
        self.assertEqual({e["path"] for e in entries}, crd_files(samples))
        for entry in entries:
            with open(os.path.join(samples, entry["path"]), "rb") as f:
                check_entry(self, entry, f.read())
        with tempfile.TemporaryDirectory() as tmp:
            out = os.path.join(tmp, "samples")
            run_generator(*(SAMPLES_COMMAND + ["--out", out, "--manifest", os.path.join(out, "manifest.jsonl")]))
            self.assertTrue(trees_equal(samples, out))

    # The seed corpora are the generator's, and each seed is valid or broken as its name says.
    def test_fuzz_seeds(self):
        seeds = os.path.join(ROOT, "fuzz", "seeds")
        with tempfile.TemporaryDirectory() as tmp:
            run_generator("seeds", "--out", tmp)
            self.assertTrue(trees_equal(seeds, tmp))
        causes = {"bad-tag": "tag", "bad-version": "version", "bad-file-type": "type"}
        for name in sorted(os.listdir(os.path.join(seeds, "header"))):
            with open(os.path.join(seeds, "header", name), "rb") as f:
                data = f.read()
            with self.subTest(seed=name):
                if name.startswith(("v1-", "v2-", "v3-", "v4-", "long-form")):
                    fields, size = decode_header(data)
                    # Generated seeds carry a body; the header must end exactly where it starts.
                    if name not in ("long-form-small-length.crd", "v4-song-fffe-text.crd"):
                        self.assertEqual(data[size:size + 4], b"TRKS")
                else:
                    with self.assertRaises(Malformed) as caught:
                        decode_header(data)
                    for prefix, cause in causes.items():
                        if name.startswith(prefix):
                            self.assertEqual(str(caught.exception), cause)
        for name in sorted(os.listdir(os.path.join(seeds, "database"))):
            with open(os.path.join(seeds, "database", name), "rb") as f:
                data = f.read()
            with self.subTest(seed=name):
                if name in ("small.cordb", "empty.cordb", "empty-no-software.cordb", "songs-only.cordb",
                            "lessons-only.cordb"):
                    decode_database(data)
                elif name != "narrow-software.cordb":
                    self.assertRaises(Malformed, decode_database, data)


if __name__ == "__main__":
    unittest.main(verbosity=1)
