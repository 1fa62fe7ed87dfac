#!/usr/bin/env python3
"""Corpus generator for Corda Librarian.

Writes tablature files (.crd) of header versions 1 to 4, library database files
(.cordb) and the fuzz seed files, with an encoder of its own so that the program's
readers are tested against bytes that their own writer did not produce.

Sub-commands (see tools/README.md):
  crd    --out DIR --count N ...   a folder tree of .crd files and a manifest
  cordb  --out FILE --songs N ...  a library database file
  seeds  --out DIR                 the fuzz seed corpora (header/ and database/)

Only the Python standard library is used; the output depends on --seed alone.
"""

import argparse
import hashlib
import json
import math
import os
import random
import struct
import sys

# ---------------------------------------------------------------------------
# Windows-1252

# 0x80..0x9F; the five bytes the code page leaves undefined map to the C1 control of
# the same value, as Windows' own conversion does.
_CP1252_HIGH = [
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
]
CP1252_TO_UNICODE = [chr(_CP1252_HIGH[b - 0x80]) if 0x80 <= b < 0xA0 else chr(b) for b in range(256)]
UNICODE_TO_CP1252 = {c: b for b, c in enumerate(CP1252_TO_UNICODE)}
_DECODE_TABLE = "".join(CP1252_TO_UNICODE)


def cp1252_encode(text):
    """Encodes a text that must be representable; anything else is a generator bug."""
    try:
        return bytes(UNICODE_TO_CP1252[c] for c in text)
    except KeyError as error:
        raise ValueError("not representable in Windows-1252: %r in %r" % (error.args[0], text)) from None


def cp1252_decode(data):
    return "".join(_DECODE_TABLE[b] for b in data)


def ansi_from_unicode(text):
    """What the reader makes of a UTF-16 text: Windows-1252, unmappable characters as '?'."""
    return bytes(UNICODE_TO_CP1252.get(c, 0x3F) for c in text)


# ---------------------------------------------------------------------------
# Archive primitives (little-endian, MFC string serialization)

WIDE_MARKER = b"\xff\xfe\xff"


def length_prefix(n):
    if n < 0xFF:
        return bytes((n,))
    # 0xFFFE after 0xFF would read back as the UTF-16 marker, so it takes the long form.
    if n < 0xFFFE:
        return b"\xff" + struct.pack("<H", n)
    if n < 0xFFFFFFFF:
        return b"\xff\xff\xff" + struct.pack("<I", n)
    return b"\xff\xff\xff\xff\xff\xff\xff" + struct.pack("<Q", n)


def text8(data):
    """An 8-bit text: bytes as they stand, or a str encoded as Windows-1252."""
    if isinstance(data, str):
        data = cp1252_encode(data)
    return length_prefix(len(data)) + data


def text16(text):
    units = text.encode("utf-16-le")
    return WIDE_MARKER + length_prefix(len(units) // 2) + units


def datetime_bytes(status, days):
    return struct.pack("<Id", status, days)


# ---------------------------------------------------------------------------
# The tablature header

SONG_TEXTS = ("title", "artist", "albumTitle", "release1Title", "release2Title", "composer", "lyricist",
              "arranger", "transcriberA", "transcriberB", "copyright", "extraText1", "extraText2",
              "extraText3")
LESSON_TEXTS = ("lessonTitle", "lessonSubtitle", "lessonAuthor", "lessonExtraText", "lessonCopyright")
LEGACY_TEXTS = ("legacyTitle",)
HEADER_TEXTS = SONG_TEXTS + LESSON_TEXTS + LEGACY_TEXTS

LEGACY_RELEASE2 = 6
LEGACY_RELEASE1 = 9
LEGACY_RELEASE3 = (7, 10)


class Header:
    """The stored fields of one header. Texts are str; `wide` names the texts stored as UTF-16.

    Fields that the file's version, kind, release type or authorship type does not store are
    simply not written; the defaults here are those a reader reports for them.
    """

    def __init__(self, **fields):
        self.version = 4
        self.fileType = 0
        self.contentByte = 0
        self.releaseType = 0
        self.albumKind = 2
        self.albumYear = 0
        self.albumFlag = 0
        self.release1Flag = 0
        self.release2Date = (1, 1, 0)
        self.authorshipType = 0
        self.lessonStyle = 9
        self.lessonLevel = 0
        self.legacyCode = 0
        self.legacyFlag = 0
        self.legacyYear = 0
        for name in HEADER_TEXTS:
            setattr(self, name, "")
        self.wide = set()
        for name, value in fields.items():
            if not hasattr(self, name):
                raise AttributeError(name)
            setattr(self, name, value)


class _Writer:
    def __init__(self, header):
        self.h = header
        self.parts = []

    def raw(self, data):
        self.parts.append(data)

    def u8(self, v):
        self.parts.append(struct.pack("<B", v))

    def u16(self, v):
        self.parts.append(struct.pack("<H", v))

    def text(self, name):
        value = getattr(self.h, name)
        self.parts.append(text16(value) if name in self.h.wide else text8(value))

    def bytes(self):
        return b"".join(self.parts)


def encode_header(h):
    w = _Writer(h)
    w.raw(b"crda")
    w.u16(h.version)
    if h.version == 4:
        w.u8(h.fileType)
        if h.fileType == 1:
            w.text("lessonTitle")
            w.text("lessonSubtitle")
            w.u16(h.lessonStyle)
            w.u8(h.lessonLevel)
            w.text("lessonAuthor")
            w.text("lessonExtraText")
            w.text("lessonCopyright")
        else:
            w.u8(h.contentByte)
            w.text("title")
            w.text("artist")
            w.u8(h.releaseType)
            if h.releaseType == 0:
                w.u8(h.albumKind)
                w.text("albumTitle")
                w.u16(h.albumYear)
                w.u8(h.albumFlag)
            elif h.releaseType == 1:
                w.text("release1Title")
                w.u8(h.release1Flag)
            elif h.releaseType == 2:
                w.text("release2Title")
                for part in h.release2Date:
                    w.u16(part)
            w.u8(h.authorshipType)
            if h.authorshipType == 0:
                w.text("composer")
                w.text("lyricist")
            for name in ("arranger", "transcriberA", "transcriberB", "copyright", "extraText1", "extraText2",
                         "extraText3"):
                w.text(name)
    elif h.version in (1, 2, 3):
        w.text("title")
        w.text("artist")
        w.u8(h.legacyCode)
        w.text("legacyTitle")
        w.u8(h.legacyFlag)
        w.text("composer")
        w.text("lyricist")
        w.text("arranger")
        if h.version != 3:
            w.text("transcriberA")
        w.u16(h.legacyYear)
        w.u8(h.authorshipType)
        w.text("copyright")
        w.text("extraText1")
        if h.version != 3:
            w.text("extraText2")
    else:
        raise ValueError("no layout for version %d" % h.version)
    return w.bytes()


def _reader_bytes(h, name):
    value = getattr(h, name)
    return ansi_from_unicode(value) if name in h.wide else cp1252_encode(value)


def join_transcribers(a, b):
    if not a:
        return b
    if not b or a == b:
        return a
    return a + b" :: " + b


def reader_view(h):
    """Every header field as a reader reports it, in 8-bit bytes for texts.

    None stands for a value the file does not hold whose default depends on the clock
    (the current year): the release type 0 year and the release type 2 date.
    """
    stored = {name: b"" for name in HEADER_TEXTS}
    v = {
        "version": h.version, "fileType": 0, "contentByte": 0, "releaseType": 0, "albumKind": 2,
        "albumYear": None, "albumFlag": 0, "release1Flag": 0, "release2Date": None, "authorshipType": 0,
        "lessonStyle": 9, "lessonLevel": 0, "legacyCode": 0, "legacyFlag": 0, "legacyYear": 0,
    }

    def take(*names):
        for name in names:
            stored[name] = _reader_bytes(h, name)

    if h.version == 4:
        v["fileType"] = h.fileType
        if h.fileType == 1:
            take(*LESSON_TEXTS)
            v["lessonStyle"] = h.lessonStyle
            v["lessonLevel"] = h.lessonLevel
        else:
            take("title", "artist", "arranger", "transcriberA", "transcriberB", "copyright", "extraText1",
                 "extraText2", "extraText3")
            v["contentByte"] = h.contentByte
            v["releaseType"] = h.releaseType
            if h.releaseType == 0:
                take("albumTitle")
                v.update(albumKind=h.albumKind, albumYear=h.albumYear, albumFlag=h.albumFlag)
            elif h.releaseType == 1:
                take("release1Title")
                v["release1Flag"] = h.release1Flag
            elif h.releaseType == 2:
                take("release2Title")
                v["release2Date"] = list(h.release2Date)
            v["authorshipType"] = h.authorshipType
            if h.authorshipType == 0:
                take("composer", "lyricist")
    else:
        take("title", "artist", "legacyTitle", "composer", "lyricist", "arranger", "copyright", "extraText1")
        if h.version != 3:
            take("transcriberA", "extraText2")
        v.update(legacyCode=h.legacyCode, legacyFlag=h.legacyFlag, legacyYear=h.legacyYear,
                 authorshipType=h.authorshipType)
        code = h.legacyCode
        if code == LEGACY_RELEASE2:
            v["releaseType"] = 2
            stored["release2Title"] = stored["legacyTitle"]
        elif code == LEGACY_RELEASE1:
            v.update(releaseType=1, release1Flag=h.legacyFlag)
            stored["release1Title"] = stored["legacyTitle"]
        elif code in LEGACY_RELEASE3:
            v["releaseType"] = 3
        else:
            v.update(releaseType=0, albumKind=code, albumFlag=h.legacyFlag, albumYear=h.legacyYear)
            stored["albumTitle"] = stored["legacyTitle"]

    album_source = {0: "albumTitle", 1: "release1Title", 2: "release2Title"}.get(v["releaseType"])
    stored["album"] = stored[album_source] if album_source else b""
    stored["transcriber"] = join_transcribers(stored["transcriberA"], stored["transcriberB"])
    v["year"] = v["albumYear"]
    v["traditional"] = v["authorshipType"] == 1
    return v, stored


MANIFEST_TEXT_ORDER = ("title", "artist", "album", "composer", "lyricist", "arranger", "transcriberA",
                       "transcriberB", "transcriber", "copyright", "albumTitle", "release1Title", "release2Title",
                       "extraText1", "extraText2", "extraText3", "lessonTitle", "lessonSubtitle", "lessonAuthor",
                       "lessonExtraText", "lessonCopyright", "legacyTitle")


def manifest_fields(h):
    v, stored = reader_view(h)
    out = {"version": v["version"], "fileType": v["fileType"], "kind": "lesson" if v["fileType"] == 1 else "song"}
    for key in ("contentByte", "releaseType", "authorshipType", "traditional", "year", "albumKind", "albumYear",
                "albumFlag", "release1Flag", "release2Date", "lessonStyle", "lessonLevel", "legacyCode",
                "legacyFlag", "legacyYear"):
        out[key] = v[key]
    hexes = {}
    for name in MANIFEST_TEXT_ORDER:
        out[name] = cp1252_decode(stored[name])
        if any(b >= 0x80 for b in stored[name]):
            hexes[name] = stored[name].hex()
    out["hex"] = hexes
    out["utf16"] = sorted(h.wide)
    return out


# ---------------------------------------------------------------------------
# Deterministic choices


class Rng:
    """Built only on random() and getrandbits(), whose results are fixed for a seed."""

    def __init__(self, seed):
        self.r = random.Random(seed)

    def random(self):
        return self.r.random()

    def below(self, n):
        return int(self.r.random() * n)

    def between(self, lo, hi):
        return lo + self.below(hi - lo + 1)

    def chance(self, p):
        return self.r.random() < p

    def choice(self, seq):
        return seq[self.below(len(seq))]

    def weighted(self, pairs):
        total = sum(w for _, w in pairs)
        x = self.r.random() * total
        for item, w in pairs:
            x -= w
            if x < 0:
                return item
        return pairs[-1][0]

    def gauss(self):
        u1 = 1.0 - self.r.random()
        u2 = self.r.random()
        return math.sqrt(-2.0 * math.log(u1)) * math.cos(2.0 * math.pi * u2)

    def bytes(self, n):
        return self.r.getrandbits(8 * n).to_bytes(n, "little") if n > 0 else b""

    def child(self):
        return Rng(self.r.getrandbits(64))


# ---------------------------------------------------------------------------
# Realistic texts

FIRST_NAMES = ["John", "Mary", "Paul", "Linda", "Mike", "Sarah", "Tom", "Anna", "David", "Laura", "Peter",
               "Emma", "Chris", "Kate", "James", "Lucy", "José", "François", "Søren", "Zoë", "Chloé", "Björn",
               "Jürgen", "Iñaki", "Noël", "Renée", "Raphaël", "Mária", "Šimon", "Žana", "Åsa", "Øystein",
               "Joaquín", "Hélène", "Thérèse", "Günter", "Niño", "Ségolène", "Œlle", "Ÿves"]
LAST_NAMES = ["Smith", "Jones", "Brown", "Taylor", "Wilson", "Clarke", "Walker", "Wright", "Hall", "Young",
              "King", "Green", "Baker", "Hill", "Müller", "García", "Núñez", "Ødegaard", "Fernández",
              "Lefèvre", "Brontë", "Gonçalves", "Østergaard", "Dupré", "Hernández", "Schäfer", "Ibáñez",
              "Ruíz", "Šimek", "Žižek", "Ångström", "O’Brien", "d’Artagnan", "Fußmann", "Großmann"]
BANDS = ["The Midnight Ramblers", "Los Niños Perdidos", "Mötörgrind", "Les Étoiles Filantes",
         "Die Ärzte-Kapelle", "Crème Brûlée", "Sigur Sól", "Blue Øyster Band", "Señor Coconut Trio",
         "Þórir & the Þunder", "Ÿvonne Quartet", "€uro Trash", "The “Quoted” Band", "Œuvre Noire",
         "Šumava Strings", "Café Society", "The Rolling Pebbles", "Iron Maidenhead", "Dire Traits",
         "Pink Floydian", "Led Zephyr", "The Beatniks", "Deep Purplish", "Black Sabbatical", "Bon Jovial",
         "Guns ’n’ Posies", "Metallicana", "The Eagles’ Nest", "Fleetwood Mach", "Jethro Tall",
         "Lynyrd Skynyrdish", "Simon & Garfunkel Tribute", "AC/DShe", "Motörhood", "Mägo de Öz Revival"]
TITLE_WORDS = ["Love", "Night", "Road", "River", "Heart", "Blues", "Rain", "Fire", "Moon", "Highway",
               "Dream", "Stone", "Wind", "Song", "Train", "Summer", "Angel", "Devil", "Lonely", "Midnight",
               "Café", "Mañana", "Déjà Vu", "Naïve", "Señorita", "Über", "Fiançailles", "Smørrebrød", "Cœur",
               "L’été", "Don’t", "“Live”", "Rock ’n’ Roll", "Jalapeño", "Piñata", "Crème", "Façade",
               "Résumé", "Zürich", "São Paulo", "Malmö", "Kraków", "Ærø", "Götterdämmerung", "Ça Plane",
               "Vis-à-vis", "El Niño", "Šárka", "Žlutý", "Œil", "Straße", "Fête", "Forêt", "Mädchen"]
TITLE_SUFFIXES = ["", "", "", "", "", " (Live)", " (Acoustic)", " – Part II", "…", " (Remastered)",
                  " — Demo", " ™", " (Intro)", " [Bonus Track]", " † ‡", " • Reprise"]
ALBUM_FORMS = ["Greatest Hits", "Live at the Olympia", "Unplugged", "Bootleg Vol. %d", "The Best of %s",
               "%s", "%s and Other Songs", "Anthology %d", "Sessions", "Éditions Spéciales", "Rarities",
               "Noches de %s", "Live in Zürich", "Back to %s", "%s…", "Œuvres Complètes", "Déjà Entendu"]
PUBLISHERS = ["Éditions Musicales Noël", "Señor Records", "Tab Music Ltd.", "Nordisk Musikförlag",
              "Sony/ATV", "Warner Chappell", "Universal Music Publishing", "Les Éditions du Cœur",
              "Musikverlag Müller", "Café Tunes", "“Independent” Publishing"]
NICKNAMES = ["tabmaster", "guitarhero77", "ñandú", "fretwörk", "six_strings", "Renée D.", "el_güero",
             "Ødin", "slowhand_fan", "axe-man", "cordaholic"]
EXTRA_TEXTS = ["Tuning: Drop D", "Capo 2", "Standard tuning (E A D G B E)", "Tempo: 120 bpm",
               "Transcribed from the live recording", "Tuning: DADGAD", "Half-step down (Eb)",
               "Version française", "Notes: see bar 34 ‰"]
LESSON_TOPICS = ["Alternate Picking Basics", "Barré Chords", "Flamenco Rasgueado", "Fingerpicking: Travis Pattern",
                 "Legato Runs", "Sweep Picking Arpeggios", "Bossa Nova Comping", "Power Chords 101",
                 "Pentatonic Boxes", "Modes of the Major Scale", "Hybrid Picking", "Slide Guitar",
                 "Chicken Pickin’", "Jazz Chord Melody", "Reggae Skank", "Punk Downstrokes", "Palm Muting",
                 "Tapping Técnica", "Soleá por Medio", "Alzapúa", "Walking Bass Lines", "Harmonics"]
LESSON_SUBTITLES = ["Exercise %d", "Étude in E minor", "Warm-up at %d bpm", "Part %d", "Week %d",
                    "For left-handed players", "Übung %d", "Lección %d", "“Slow” version", "Variation %d"]
SCHOOLS = ["Guitar Académie", "Escuela de Guitarra Niño", "Six-String School", "Fretboard Försäljning",
           "Lesson Café", "Musikhøjskolen"]
STYLE_FOLDERS = ["Alternative", "Bluegrass", "Blues", "Country", "Fingerpick", "Flamenco", "Folk", "Funk",
                 "Fusion", "General", "Jazz", "Metal", "Other", "Pop", "Progressive Rock", "Punk", "Reggae",
                 "Rock", "Swing"]
# Characters outside Windows-1252: only ever stored in UTF-16 texts, where they read as '?'.
NON_ANSI = ["Ω", "ł", "♪", "ř", "Ж", "→", "☺", "ğ"]
FILLER = "la la la ñe çà ø Œ š “é” € ü — "

for _pool in (FIRST_NAMES, LAST_NAMES, BANDS, TITLE_WORDS, TITLE_SUFFIXES, ALBUM_FORMS, PUBLISHERS,
              NICKNAMES, EXTRA_TEXTS, LESSON_TOPICS, LESSON_SUBTITLES, SCHOOLS, STYLE_FOLDERS, [FILLER]):
    for _text in _pool:
        cp1252_encode(_text)


def person(rng):
    return rng.choice(FIRST_NAMES) + " " + rng.choice(LAST_NAMES)


def song_title(rng):
    words = [rng.choice(TITLE_WORDS) for _ in range(rng.weighted([(1, 3), (2, 5), (3, 3), (4, 1)]))]
    title = " ".join(words)
    if rng.chance(0.15):
        title = "The " + title
    return title + rng.choice(TITLE_SUFFIXES)


def album_title(rng, artist):
    form = rng.choice(ALBUM_FORMS)
    if "%d" in form:
        return form % rng.between(1, 12)
    if "%s" in form:
        return form % (artist if "Best" in form else song_title(rng).split(" (")[0])
    return form


def copyright_text(rng, year):
    if rng.chance(0.08):
        return "Public domain"
    mark = rng.choice(["© ", "(c) ", "Copyright © ", "Copyright "])
    return "%s%d %s" % (mark, year if year else rng.between(1960, 2024), rng.choice(PUBLISHERS))


def filled_text(rng, length):
    """A text of exactly `length` characters, all in Windows-1252."""
    start = rng.below(len(FILLER))
    reps = length // len(FILLER) + 2
    return (FILLER * reps)[start:start + length]


# ---------------------------------------------------------------------------
# Random headers

# The first files of every corpus cover each layout branch, so that even a small corpus
# holds every version, release type, authorship type and text form.
COVERAGE_PLAN = [
    dict(version=4, kind="song", releaseType=0, authorshipType=0),
    dict(version=4, kind="song", releaseType=1, authorshipType=1),
    dict(version=4, kind="song", releaseType=2, authorshipType=0, wide=True),
    dict(version=4, kind="song", releaseType=3, authorshipType=1),
    dict(version=4, kind="lesson"),
    dict(version=3, kind="song", legacyCode=9),
    dict(version=2, kind="song", legacyCode=6),
    dict(version=1, kind="song", legacyCode=7),
    dict(version=3, kind="song", legacyCode=10),
    dict(version=2, kind="song", legacyCode=2),
    dict(version=4, kind="song", releaseType=0, authorshipType=0, lengths=(254, 255, 256, 300)),
    dict(version=4, kind="lesson", empty=True, wide=True),
    dict(version=1, kind="song", legacyCode=0, wide=True),
    dict(version=4, kind="song", releaseType=0, authorshipType=0, empty=True),
    dict(version=3, kind="song", legacyCode=11, lengths=(255, 300, 256)),
    dict(version=4, kind="song", releaseType=1, authorshipType=0, huge=0xFFFE),
    dict(version=2, kind="song", legacyCode=3, huge=0x10000),
    dict(version=4, kind="lesson", huge=0xFFFF),
]

LEGACY_CODES = [(2, 40), (0, 6), (1, 8), (3, 6), (4, 3), (5, 3), (6, 8), (7, 5), (8, 2), (9, 10), (10, 5),
                (11, 2), (12, 1), (255, 1)]
VERSION_WEIGHTS = {1: 5, 2: 10, 3: 15, 4: 70}


class TextPolicy:
    """How unusual the texts of one file are: lengths, empties, UTF-16."""

    def __init__(self, rng, plan, huge_texts):
        self.rng = rng
        self.lengths = list(plan.get("lengths", ()))
        self.huge = plan.get("huge")
        self.force_empty = plan.get("empty", False)
        self.force_wide = plan.get("wide", False)
        # Drawn even when huge texts are off, so that the option changes nothing else.
        if rng.chance(0.0004) and not plan and huge_texts:
            self.huge = rng.choice([0xFFFE, 0xFFFF, 0x10000, 70000])

    def apply(self, header, name, value, empty_p):
        """Stores a text, perhaps emptied, lengthened or marked UTF-16. Returns it."""
        rng = self.rng
        if self.force_empty and name not in ("title", "lessonTitle"):
            value = ""
        elif rng.chance(empty_p):
            value = ""
        if self.huge is not None:
            value = filled_text(rng, self.huge)
            self.huge = None
        elif self.lengths:
            value = filled_text(rng, self.lengths.pop(0))
        elif rng.chance(0.002):
            value = filled_text(rng, rng.choice([254, 255, 256, 300, 512, 1000]))
        if (self.force_wide and value) or rng.chance(0.002):
            self.force_wide = False
            if value and rng.chance(0.5):
                pos = rng.below(len(value) + 1)
                value = value[:pos] + rng.choice(NON_ANSI) + value[pos:]
            header.wide.add(name)
        setattr(header, name, value)
        return value


def make_song(rng, version, plan, artist, album, huge_texts=True):
    h = Header(version=version, fileType=0)
    texts = TextPolicy(rng, plan, huge_texts)
    year = 0 if rng.chance(0.05) else rng.between(1955, 2024)
    traditional = plan.get("authorshipType", 1 if rng.chance(0.12) else 0) == 1
    h.authorshipType = 1 if traditional else 0
    texts.apply(h, "title", song_title(rng), 0.01)
    texts.apply(h, "artist", artist, 0.03)
    if traditional:
        composer = lyricist = ""
    else:
        composer = person(rng) if rng.chance(0.6) else artist
        lyricist = composer if rng.chance(0.4) else person(rng)
    transcriber_a = rng.choice(NICKNAMES) if rng.chance(0.7) else person(rng)
    b_choice = rng.weighted([("empty", 6), ("other", 3), ("same", 1)])
    transcriber_b = {"empty": "", "other": rng.choice(NICKNAMES), "same": transcriber_a}[b_choice]

    if version == 4:
        h.contentByte = rng.weighted([(0, 90), (1, 6), (2, 3), (0x80, 1)])
        h.releaseType = plan.get("releaseType", rng.weighted([(0, 60), (1, 15), (2, 15), (3, 10)]))
        if h.releaseType == 0:
            h.albumKind = rng.weighted([(2, 70), (0, 10), (1, 10), (3, 5), (4, 5)])
            texts.apply(h, "albumTitle", album, 0.04)
            h.albumYear = year
            h.albumFlag = 1 if rng.chance(0.2) else 0
        elif h.releaseType == 1:
            texts.apply(h, "release1Title", album, 0.04)
            h.release1Flag = 1 if rng.chance(0.3) else 0
        elif h.releaseType == 2:
            texts.apply(h, "release2Title", album, 0.04)
            h.release2Date = (rng.between(1, 28), rng.between(1, 12), year)
        if not traditional:
            texts.apply(h, "composer", composer, 0.15)
            texts.apply(h, "lyricist", lyricist, 0.25)
        texts.apply(h, "arranger", person(rng), 0.6)
        texts.apply(h, "transcriberA", transcriber_a, 0.2)
        texts.apply(h, "transcriberB", transcriber_b, 0.0)
        texts.apply(h, "copyright", copyright_text(rng, year), 0.2)
        for name in ("extraText1", "extraText2", "extraText3"):
            texts.apply(h, name, rng.choice(EXTRA_TEXTS), 0.85)
    else:
        h.legacyCode = plan.get("legacyCode", rng.weighted(LEGACY_CODES))
        texts.apply(h, "legacyTitle", album, 0.05)
        h.legacyFlag = 1 if rng.chance(0.2) else 0
        h.legacyYear = year
        # Legacy files always hold composer and lyricist, traditional or not.
        if traditional and rng.chance(0.1):
            composer = person(rng)
        texts.apply(h, "composer", composer, 0.15)
        texts.apply(h, "lyricist", lyricist, 0.25)
        texts.apply(h, "arranger", person(rng), 0.6)
        if version != 3:
            texts.apply(h, "transcriberA", transcriber_a, 0.2)
        texts.apply(h, "copyright", copyright_text(rng, year), 0.2)
        texts.apply(h, "extraText1", rng.choice(EXTRA_TEXTS), 0.8)
        if version != 3:
            texts.apply(h, "extraText2", rng.choice(EXTRA_TEXTS), 0.85)
    return h


def make_lesson(rng, plan, huge_texts=True):
    h = Header(version=4, fileType=1)
    texts = TextPolicy(rng, plan, huge_texts)
    topic = rng.choice(LESSON_TOPICS)
    texts.apply(h, "lessonTitle", topic, 0.01)
    form = rng.choice(LESSON_SUBTITLES)
    texts.apply(h, "lessonSubtitle", form % rng.between(1, 24) if "%d" in form else form, 0.3)
    h.lessonStyle = rng.below(19)
    h.lessonLevel = rng.weighted([(0, 5), (1, 3), (2, 2)])
    texts.apply(h, "lessonAuthor", person(rng), 0.1)
    texts.apply(h, "lessonExtraText", rng.choice(EXTRA_TEXTS), 0.8)
    texts.apply(h, "lessonCopyright", "© %d %s" % (rng.between(1995, 2024), rng.choice(SCHOOLS)), 0.25)
    return h


# ---------------------------------------------------------------------------
# Music-data bodies

# Maps random bytes onto a small alphabet, so that part of each body compresses like
# real note data rather than noise.
_NOTE_TABLE = bytes((b % 24) + 0x30 if b % 5 else (b % 7) for b in range(256))


def body_size(rng, lo, hi, spread="lognormal"):
    """Log-normal between lo and hi: with 4 KB..200 KB the average is about 20 KB. With the
    uniform spread every size between lo and hi is equally likely (the large corpus of small
    files, whose total size then follows from the count)."""
    if hi <= lo:
        return lo
    if spread == "uniform":
        return rng.between(lo, hi)
    base = max(lo, 1)
    ratio = hi / base
    median = base * ratio ** 0.31
    sigma = max(0.1, math.log(ratio) / 5.0)
    for _ in range(8):
        size = int(median * math.exp(sigma * rng.gauss()))
        if lo <= size <= hi:
            return size
    return min(max(size, lo), hi)


def make_body(rng, size):
    if size <= 0:
        return b""
    tracks = rng.between(1, 8)
    measures = rng.between(8, 400)
    out = bytearray(b"TRKS" + struct.pack("<HHI", tracks, measures, size))
    while len(out) < size:
        n = rng.between(128, 4096)
        chunk = rng.bytes(n)
        if rng.chance(0.6):
            chunk = chunk.translate(_NOTE_TABLE)
        out += b"MEAS" + struct.pack("<H", n) + chunk
    return bytes(out[:size])


# ---------------------------------------------------------------------------
# Folder tree

_FORBIDDEN = set('/\\:*?"<>|')


def file_component(name, fallback):
    cleaned = "".join("_" if c in _FORBIDDEN or ord(c) < 0x20 else c for c in name)
    cleaned = cleaned[:60].strip(" .")
    return cleaned or fallback


class Tree:
    """Artist and album folders; names stay unique regardless of letter case."""

    def __init__(self, rng, depth, count):
        self.rng = rng
        self.depth = depth
        self.artists = []
        self.top = {}
        pool = max(8, count // 12)
        for _ in range(pool):
            name = rng.choice(BANDS) if rng.chance(0.45) else person(rng)
            albums = [album_title(rng, name) for _ in range(rng.between(1, 4))]
            self.artists.append((name, albums))
            # Collections are sorted either by genre or by the artist's initial.
            self.top.setdefault(name, file_component(name[:1].upper(), "_") if rng.chance(0.3)
                                else rng.choice(STYLE_FOLDERS))
        self.used = set()

    def song_folder(self, artist, album):
        rng = self.rng
        levels = [self.top[artist], file_component(artist, "Unknown Artist"), file_component(album, "Unknown Album")]
        extra = ["CD %d" % rng.between(1, 3), "Bonus", "Live", "Tabs (Œuvre)"]
        while len(levels) < self.depth:
            levels.append(rng.choice(extra))
        return self._cut(levels)

    def lesson_folder(self, style, level):
        levels = ["Lessons", STYLE_FOLDERS[style] if style < len(STYLE_FOLDERS) else "Other",
                  ["Beginner", "Intermediate", "Advanced"][level] if level < 3 else "Other", "Übungen"]
        return self._cut(levels)

    def _cut(self, levels):
        if self.depth <= 0:
            return []
        d = self.rng.weighted([(k, 1 + 2 * k) for k in range(0, self.depth + 1)])
        return levels[:min(d, len(levels))]

    def unique(self, folders, stem):
        base = "/".join(folders + [stem])
        rel = base + ".crd"
        n = 2
        while rel.lower() in self.used:
            rel = "%s (%d).crd" % (base, n)
            n += 1
        self.used.add(rel.lower())
        return rel


def generate_crd(out, count, seed, lessons_ratio, versions, body_min, body_max, depth, manifest_path,
                 huge_texts=True, body_spread="lognormal"):
    master = Rng(seed)
    tree = Tree(master.child(), depth, count)
    lessons_allowed = 4 in versions and lessons_ratio > 0
    songs_allowed = lessons_ratio < 1 or not lessons_allowed
    plan = [p for p in COVERAGE_PLAN if p["version"] in versions and
            (lessons_allowed if p["kind"] == "lesson" else songs_allowed) and (huge_texts or "huge" not in p)]
    version_weights = [(v, VERSION_WEIGHTS[v]) for v in sorted(versions)]
    os.makedirs(out, exist_ok=True)
    if manifest_path and os.path.dirname(manifest_path):
        os.makedirs(os.path.dirname(manifest_path), exist_ok=True)
    made_folders = set()
    manifest = open(manifest_path, "w", encoding="utf-8", newline="\n") if manifest_path else None
    track = 0
    try:
        for index in range(count):
            rng = master.child()
            step = plan[index] if index < len(plan) else {}
            if step:
                is_lesson = step["kind"] == "lesson"
            else:
                is_lesson = lessons_allowed and (not songs_allowed or rng.chance(lessons_ratio))
            if is_lesson:
                header = make_lesson(rng, step, huge_texts)
                folders = tree.lesson_folder(header.lessonStyle, header.lessonLevel)
                stem_text = header.lessonTitle
            else:
                version = step.get("version") or rng.weighted(version_weights)
                artist, albums = rng.choice(tree.artists)
                album = rng.choice(albums)
                header = make_song(rng, version, step, artist, album, huge_texts)
                folders = tree.song_folder(artist, album)
                stem_text = header.title
            track = track % 20 + 1
            stem = "%02d - %s" % (track, file_component(stem_text, "Untitled"))
            rel = tree.unique(folders, stem)
            head = encode_header(header)
            body = make_body(rng, body_size(rng, body_min, body_max, body_spread))
            folder = os.path.join(out, *folders)
            if folder not in made_folders:
                os.makedirs(folder, exist_ok=True)
                made_folders.add(folder)
            with open(os.path.join(out, rel), "wb") as f:
                f.write(head)
                f.write(body)
            if manifest:
                entry = {"path": rel}
                entry.update(manifest_fields(header))
                entry.update(headerSize=len(head), bodySize=len(body), fileSize=len(head) + len(body),
                             bodyMd5=hashlib.md5(body).hexdigest(),
                             fileMd5=hashlib.md5(head + body).hexdigest())
                manifest.write(json.dumps(entry, ensure_ascii=False) + "\n")
    finally:
        if manifest:
            manifest.close()


# ---------------------------------------------------------------------------
# Library database

OLE_EPOCH_UNIX_DAYS = 25569  # 1970-01-01 as a day count from 1899-12-30
FILETIME_UNIX_OFFSET = 11644473600


def unix_to_ole(seconds):
    return OLE_EPOCH_UNIX_DAYS + seconds / 86400.0


def unix_to_filetime(seconds):
    return (seconds + FILETIME_UNIX_OFFSET) * 10_000_000


def _path_text(root, parts):
    return root.rstrip("/") + "/" + "/".join(parts)


def encode_song_record(r):
    return b"".join((
        struct.pack("<H", 0), text8(r["title"]), text8(r["artist"]), text8(r["album"]),
        struct.pack("<HI", r["year"], r["traditional"]), text8(r["composer"]), text8(r["lyricist"]),
        text8(r["arranger"]), text8(r["transcriber"]), text8(r["copyright"]), text16(r["path"]),
        datetime_bytes(*r["dateAdded"]),
        struct.pack("<II", r["lastWriteTime"] & 0xFFFFFFFF, r["lastWriteTime"] >> 32),
        text8(r["checksum"]), struct.pack("<B", r["rating"])))


def encode_lesson_record(r):
    return b"".join((
        struct.pack("<H", 0), text8(r["title"]), text8(r["subtitle"]), struct.pack("<HB", r["style"], r["level"]),
        text8(r["author"]), text8(r["copyright"]), text16(r["path"]), datetime_bytes(*r["dateAdded"]),
        struct.pack("<II", r["lastWriteTime"] & 0xFFFFFFFF, r["lastWriteTime"] >> 32),
        text8(r["checksum"]), struct.pack("<B", r["rating"])))


def encode_database(created, modified, software, songs, lessons, software_wide=True):
    parts = [b"cordb", struct.pack("<H", 0), datetime_bytes(*created), datetime_bytes(*modified),
             text16(software) if software_wide else text8(software), struct.pack("<I", len(songs))]
    parts.extend(encode_song_record(r) for r in songs)
    parts.append(struct.pack("<I", len(lessons)))
    parts.extend(encode_lesson_record(r) for r in lessons)
    return b"".join(parts)


class RecordMaker:
    def __init__(self, rng, root, songs):
        self.rng = rng
        self.root = root
        self.used = set()
        self.artists = []
        for _ in range(max(4, songs // 15)):
            name = rng.choice(BANDS) if rng.chance(0.45) else person(rng)
            self.artists.append((name, [album_title(rng, name) for _ in range(rng.between(1, 5))]))
        self.start = 1104537600  # 2005-01-01 UTC
        self.span = 1704067200 - self.start  # up to 2024-01-01

    def _times(self):
        rng = self.rng
        added = self.start + rng.below(self.span)
        written = added - rng.below(86400 * 365 * 3)
        return [0, unix_to_ole(added)], unix_to_filetime(written)

    def _path(self, parts, stem):
        base = _path_text(self.root, [file_component(p, "_") for p in parts] + [stem])
        path = base + ".crd"
        n = 2
        while path.lower() in self.used:
            path = "%s (%d).crd" % (base, n)
            n += 1
        self.used.add(path.lower())
        return path

    def _text(self, value):
        # Rarely a long text, as the files themselves carry.
        if self.rng.chance(0.002):
            return filled_text(self.rng, self.rng.choice([255, 256, 300, 1000]))
        return value

    def song(self, track):
        rng = self.rng
        artist, albums = rng.choice(self.artists)
        album = rng.choice(albums)
        title = song_title(rng)
        traditional = 1 if rng.chance(0.12) else 0
        composer = "" if traditional else (person(rng) if rng.chance(0.6) else artist)
        lyricist = "" if traditional else (composer if rng.chance(0.4) else person(rng))
        a = rng.choice(NICKNAMES)
        b = rng.weighted([("", 6), (rng.choice(NICKNAMES), 3), (a, 1)])
        year = 0 if rng.chance(0.05) else rng.between(1955, 2024)
        added, written = self._times()
        return {
            "title": self._text(title), "artist": artist, "album": album if rng.chance(0.95) else "",
            "year": year, "traditional": traditional, "composer": composer, "lyricist": lyricist,
            "arranger": person(rng) if rng.chance(0.4) else "",
            "transcriber": cp1252_decode(join_transcribers(cp1252_encode(a), cp1252_encode(b))),
            "copyright": self._text(copyright_text(rng, year)) if rng.chance(0.8) else "",
            "path": self._path([artist, album], "%02d - %s" % (track, file_component(title, "Untitled"))),
            "dateAdded": added, "lastWriteTime": written, "checksum": "%032x" % rng.r.getrandbits(128),
            "rating": rng.weighted([(0, 50), (1, 5), (2, 8), (3, 15), (4, 12), (5, 10)]),
        }

    def lesson(self, track):
        rng = self.rng
        title = rng.choice(LESSON_TOPICS)
        form = rng.choice(LESSON_SUBTITLES)
        style = rng.below(19)
        added, written = self._times()
        return {
            "title": self._text(title), "subtitle": form % rng.between(1, 24) if "%d" in form else form,
            "style": style, "level": rng.weighted([(0, 5), (1, 3), (2, 2)]),
            "author": person(rng) if rng.chance(0.9) else "",
            "copyright": "© %d %s" % (rng.between(1995, 2024), rng.choice(SCHOOLS)) if rng.chance(0.75) else "",
            "path": self._path(["Lessons", STYLE_FOLDERS[style]], "%02d - %s" % (track, file_component(title, "_"))),
            "dateAdded": added, "lastWriteTime": written, "checksum": "%032x" % rng.r.getrandbits(128),
            "rating": rng.weighted([(0, 60), (3, 20), (4, 10), (5, 10)]),
        }


def generate_cordb(out, songs, lessons, seed, root, manifest_path):
    """Writes the records as they are made, so that a library of a million songs never
    stands in memory as one byte string; the bytes are those encode_database gives."""
    rng = Rng(seed)
    maker = RecordMaker(rng.child(), root, songs)
    # The file's times come from the master generator, which the records do not draw from.
    created = [0, unix_to_ole(maker.start + rng.below(maker.span))]
    modified = [0, created[1] + rng.below(400) + rng.random()]
    software = "Corda Librarian 1.0.0.1"
    song_records, lesson_records = [], []
    digest = hashlib.md5()
    size = 0
    folder = os.path.dirname(out)
    if folder:
        os.makedirs(folder, exist_ok=True)
    with open(out, "wb") as f:
        def write(data):
            nonlocal size
            f.write(data)
            digest.update(data)
            size += len(data)

        write(encode_database(created, modified, software, [], [])[:-8] + struct.pack("<I", songs))
        for i in range(songs):
            record = maker.song(i % 20 + 1)
            write(encode_song_record(record))
            if manifest_path:
                song_records.append(record)
        write(struct.pack("<I", lessons))
        for i in range(lessons):
            record = maker.lesson(i % 20 + 1)
            write(encode_lesson_record(record))
            if manifest_path:
                lesson_records.append(record)
    if manifest_path:
        with open(manifest_path, "w", encoding="utf-8", newline="\n") as m:
            m.write(json.dumps({"kind": "database", "created": created, "modified": modified,
                                "encodingSoftware": software, "songCount": songs, "lessonCount": lessons,
                                "fileSize": size, "fileMd5": digest.hexdigest()}) + "\n")
            for kind, records in (("song", song_records), ("lesson", lesson_records)):
                for r in records:
                    entry = {"kind": kind}
                    entry.update(r)
                    m.write(json.dumps(entry, ensure_ascii=False) + "\n")


# ---------------------------------------------------------------------------
# Fuzz seeds


def _seed_headers():
    """Named header seeds: every valid layout, then the inputs a reader must refuse safely."""
    song = dict(title="Café del Mar", artist="Björk", composer="José García", lyricist="Zoë Brontë",
                arranger="Søren", transcriberA="tabmaster", transcriberB="ñandú", copyright="© 1999 Señor Records")
    seeds = {}
    seeds["v4-song-release0"] = Header(albumTitle="Déjà Vu", albumYear=1999, **song)
    seeds["v4-song-release1"] = Header(releaseType=1, release1Title="“Live”", release1Flag=1, **song)
    seeds["v4-song-release2"] = Header(releaseType=2, release2Title="Œuvre", release2Date=(12, 5, 1987), **song)
    seeds["v4-song-release3-traditional"] = Header(releaseType=3, authorshipType=1, **song)
    seeds["v4-song-extras"] = Header(contentByte=7, extraText1="Capo 2", extraText2="€", extraText3="…", **song)
    seeds["v4-lesson"] = Header(fileType=1, lessonTitle="Barré Chords", lessonSubtitle="Übung 3", lessonStyle=5,
                                lessonLevel=2, lessonAuthor="Iñaki Núñez", lessonExtraText="x",
                                lessonCopyright="© 2011 Guitar Académie")
    seeds["v4-lesson-style-out-of-range"] = Header(fileType=1, lessonTitle="Odd", lessonStyle=0xFFFF,
                                                   lessonLevel=0xFF)
    seeds["v4-song-bad-release-type"] = Header(releaseType=9, **song)
    seeds["v4-song-bad-authorship"] = Header(authorshipType=5, **song)
    for version, code in ((3, 9), (3, 6), (2, 7), (1, 10), (1, 2), (2, 255)):
        seeds["v%d-song-legacy%d" % (version, code)] = Header(version=version, legacyCode=code,
                                                              legacyTitle="Noches de Zürich", legacyYear=1975,
                                                              legacyFlag=1, **song)
    seeds["v4-song-utf16"] = Header(albumTitle="Ωmega ♪", wide={"title", "albumTitle", "copyright"}, **song)
    seeds["v3-song-utf16"] = Header(version=3, legacyCode=9, legacyTitle="ł", wide={"artist", "legacyTitle"},
                                    **song)
    seeds["v4-lesson-utf16-empty"] = Header(fileType=1, wide={"lessonTitle", "lessonAuthor"})
    seeds["v4-song-255"] = Header(title=filled_text(Rng(1), 255), artist=filled_text(Rng(2), 254),
                                  albumTitle=filled_text(Rng(3), 256))
    out = {name + ".crd": encode_header(h) + b"TRKS\x01\x00\x10\x00" + bytes(range(48)) for name, h in seeds.items()}
    out["v4-song-fffe-text.crd"] = encode_header(Header(title=filled_text(Rng(4), 0xFFFE)))

    good = encode_header(seeds["v4-song-release0"])
    out["truncated-in-tag.crd"] = good[:2]
    out["truncated-after-version.crd"] = good[:6]
    out["truncated-in-title.crd"] = good[:12]
    out["truncated-before-copyright.crd"] = good[:-(len(text8(song["copyright"])) + 3)]
    out["truncated-v1.crd"] = encode_header(seeds["v1-song-legacy2"])[:-5]
    out["empty.crd"] = b""
    base = b"crda" + struct.pack("<HB", 4, 0) + b"\x00"
    out["huge-length-u16.crd"] = base + b"\xff\xfd\xffabc"
    out["huge-length-u32.crd"] = base + b"\xff\xff\xff\xf0\xff\xff\xffabc"
    out["huge-length-u32-max-u64.crd"] = base + b"\xff\xff\xff\xff\xff\xff\xff" + struct.pack("<Q", 2 ** 63) + b"abc"
    out["huge-length-u64-max.crd"] = base + b"\xff\xff\xff\xff\xff\xff\xff" + b"\xff" * 8 + b"abc"
    out["huge-length-utf16.crd"] = base + WIDE_MARKER + b"\xff\xff\xff" + struct.pack("<I", 0x80000000) + b"a\x00"
    out["double-utf16-marker.crd"] = base + WIDE_MARKER + WIDE_MARKER + b"\x01a\x00"
    out["utf16-odd-bytes.crd"] = base + WIDE_MARKER + b"\x02a\x00b"
    out["long-form-small-length.crd"] = base + b"\xff\x03\x00abc" + b"\xff\xff\xff\x01\x00\x00\x00d" + \
        b"\x03" + b"\x00" * 40
    out["bad-tag.crd"] = b"crdb" + good[4:]
    out["bad-tag-reversed.crd"] = b"adrc" + good[4:]
    out["bad-version-0.crd"] = b"crda\x00\x00" + good[6:]
    out["bad-version-5.crd"] = b"crda\x05\x00" + good[6:]
    out["bad-version-ffff.crd"] = b"crda\xff\xff" + good[6:]
    out["bad-file-type-2.crd"] = b"crda\x04\x00\x02" + good[7:]
    out["bad-file-type-ff.crd"] = b"crda\x04\x00\xff" + good[7:]
    return out


def _seed_databases():
    rng = Rng(7)
    maker = RecordMaker(rng, "/home/corda/Tablature", 3)
    songs = [maker.song(1), maker.song(2)]
    lessons = [maker.lesson(1)]
    songs[1]["title"] = "Déjà Vu “Live” – €"
    songs[1]["path"] = "/home/corda/Tablature/Œuvre/Ωmega ♪.crd"
    created = [0, 44927.5]
    modified = [0, 45000.25]
    software = "Corda Librarian 1.0.0.1"
    good = encode_database(created, modified, software, songs, lessons)
    empty = encode_database(created, modified, software, [], [])
    out = {
        "small.cordb": good,
        "empty.cordb": empty,
        "empty-no-software.cordb": encode_database([2, 0.0], [1, 0.0], "", [], []),
        "narrow-software.cordb": encode_database(created, modified, software, songs, lessons, software_wide=False),
        "songs-only.cordb": encode_database(created, modified, software, songs, []),
        "lessons-only.cordb": encode_database(created, modified, software, [], lessons),
        "truncated-magic.cordb": good[:3],
        "truncated-header.cordb": good[:20],
        "truncated-first-song.cordb": good[:len(empty) + 30],
        "truncated-last-byte.cordb": good[:-1],
        "truncated-before-lesson-count.cordb": encode_database(created, modified, software, songs, [])[:-4],
        "bad-magic.cordb": b"CORDB" + good[5:],
        "bad-version-1.cordb": good[:5] + b"\x01\x00" + good[7:],
        "zero-length.cordb": b"",
    }
    head = good[:len(empty) - 8]
    out["huge-song-count.cordb"] = head + struct.pack("<I", 0xFFFFFFFF) + struct.pack("<I", 0)
    out["huge-lesson-count.cordb"] = head + struct.pack("<I", 0) + struct.pack("<I", 0xFFFFFFFF)
    out["huge-count-one-record.cordb"] = head + struct.pack("<I", 0x7FFFFFFF) + encode_song_record(songs[0])
    bad_record = encode_song_record(songs[0])
    out["bad-record-version.cordb"] = head + struct.pack("<I", 1) + b"\x01\x00" + bad_record[2:] + \
        struct.pack("<I", 0)
    out["huge-text-length.cordb"] = head + struct.pack("<I", 1) + b"\x00\x00" + b"\xff\xff\xff" + \
        struct.pack("<I", 0xFFFFFFF0) + b"abc"
    out["huge-path-length-utf16.cordb"] = head + struct.pack("<I", 1) + b"\x00\x00" + b"\x00" * 3 + \
        b"\x00\x00" + b"\x00\x00\x00\x00" + b"\x00" * 5 + WIDE_MARKER + b"\xff\xff\xff\xff\xff\xff\xff" + \
        b"\xff" * 8
    out["software-huge-length.cordb"] = good[:31] + WIDE_MARKER + b"\xff\xff\xff\xfe\xff\xff\x7f" + b"x\x00"
    return out


def generate_seeds(out):
    for sub, seeds in (("header", _seed_headers()), ("database", _seed_databases())):
        folder = os.path.join(out, sub)
        os.makedirs(folder, exist_ok=True)
        for name in sorted(seeds):
            with open(os.path.join(folder, name), "wb") as f:
                f.write(seeds[name])


# ---------------------------------------------------------------------------
# Command line


def _versions(text):
    try:
        values = sorted({int(part) for part in text.split(",") if part.strip()})
    except ValueError:
        raise argparse.ArgumentTypeError("versions must be numbers such as 1,2,3,4") from None
    if not values or any(v not in (1, 2, 3, 4) for v in values):
        raise argparse.ArgumentTypeError("versions must be among 1,2,3,4")
    return values


def _non_negative(text):
    value = int(text)
    if value < 0:
        raise argparse.ArgumentTypeError("must not be negative")
    return value


def _ratio(text):
    value = float(text)
    if not 0.0 <= value <= 1.0:
        raise argparse.ArgumentTypeError("must lie between 0 and 1")
    return value


def main(argv=None):
    parser = argparse.ArgumentParser(prog="corpusgen.py", description="Corda Librarian test corpus generator")
    sub = parser.add_subparsers(dest="command", required=True)

    crd = sub.add_parser("crd", help="write a folder tree of .crd files")
    crd.add_argument("--out", required=True)
    crd.add_argument("--count", type=_non_negative, required=True)
    crd.add_argument("--seed", type=int, default=1)
    crd.add_argument("--lessons-ratio", type=_ratio, default=0.1)
    crd.add_argument("--versions", type=_versions, default=[1, 2, 3, 4])
    crd.add_argument("--body-min", type=_non_negative, default=4096)
    crd.add_argument("--body-max", type=_non_negative, default=204800)
    crd.add_argument("--depth", type=_non_negative, default=3)
    crd.add_argument("--body-spread", choices=("lognormal", "uniform"), default="lognormal",
                     help="how body sizes spread between --body-min and --body-max")
    crd.add_argument("--manifest")
    crd.add_argument("--no-huge-texts", action="store_true",
                     help="leave out the texts of 65534 characters and more (keeps small corpora small)")

    db = sub.add_parser("cordb", help="write a library database file")
    db.add_argument("--out", required=True)
    db.add_argument("--songs", type=_non_negative, required=True)
    db.add_argument("--lessons", type=_non_negative, required=True)
    db.add_argument("--seed", type=int, default=1)
    db.add_argument("--root", default="/home/corda/Tablature")
    db.add_argument("--manifest")

    seeds = sub.add_parser("seeds", help="write the fuzz seed corpora")
    seeds.add_argument("--out", required=True)

    args = parser.parse_args(argv)
    if args.command == "crd":
        if args.body_max < args.body_min:
            parser.error("--body-max is below --body-min")
        generate_crd(args.out, args.count, args.seed, args.lessons_ratio, args.versions, args.body_min,
                     args.body_max, args.depth, args.manifest, not args.no_huge_texts, args.body_spread)
    elif args.command == "cordb":
        generate_cordb(args.out, args.songs, args.lessons, args.seed, args.root, args.manifest)
    else:
        generate_seeds(args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
