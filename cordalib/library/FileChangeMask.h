#pragma once
// The bits that CompareWithFile reports. Anything in FILE_CHANGE_CONTENT_MASK means that
// the file's header, kind or content changed, or that the file could not be read; the
// two time bits alone mean the file was touched but is unchanged.

enum fileChangeMask : unsigned {
    fileChangeFileOlder = 0x1, // the file's last write time is earlier than the record's
    fileChangeFileNewer = 0x2, // the file's last write time is later than the record's
    fileChangeOpenFailed = 0x200,
    fileChangeUnreadable = 0x400,
    fileChangeWrongKind = 0x800,

    // Songs.
    fileChangeTitle = 0x1000,
    fileChangeArtist = 0x2000,
    fileChangeAlbum = 0x4000,
    fileChangeYear = 0x8000,
    fileChangeComposer = 0x20000,
    fileChangeLyricist = 0x40000,
    fileChangeArranger = 0x80000,
    fileChangeTranscriber = 0x100000,
    fileChangeCopyright = 0x200000,
    fileChangeChecksum = 0x400000,

    // Lessons (the title bit is shared).
    fileChangeLessonTitle = 0x1000,
    fileChangeLessonSubtitle = 0x2000,
    fileChangeLessonStyle = 0x4000,
    fileChangeLessonLevel = 0x8000,
    fileChangeLessonAuthor = 0x10000,
    fileChangeLessonCopyright = 0x20000,
    fileChangeLessonChecksum = 0x40000,
};

inline constexpr unsigned FILE_CHANGE_CONTENT_MASK = 0xFFFFFF00u;
