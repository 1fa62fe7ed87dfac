#pragma once
// A file over a POSIX descriptor with the open modes and error causes of the Windows
// original, so that callers keep their semantics.

#include "qvsystem/platform/Exceptions.h"
#include "qvsystem/platform/FileTime.h"
#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <cstdint>

class QVSYSTEM_EXPORT CFile {
public:
    enum OpenFlags : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        osNoBuffer = 0x10000,
        osWriteThrough = 0x20000,
        osRandomAccess = 0x40000,
        osSequentialScan = 0x80000
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    static constexpr int hFileNull = -1;

    CFile();
    // Opens at once; throws CFileException on failure.
    CFile(const QString& path, unsigned openFlags);
    virtual ~CFile(); // closes quietly

    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // False on failure, with the cause in *error when given. Never throws.
    virtual bool Open(const QString& path, unsigned openFlags, CFileException* error = nullptr);
    // Throws CFileException on failure.
    virtual void Close();
    // Closes without throwing.
    virtual void Abort();

    // Reads up to count bytes; returns the number read (0 at the end). Throws on error.
    virtual unsigned Read(void* buffer, unsigned count);
    // Writes every byte or throws (diskFull and so on).
    virtual void Write(const void* buffer, unsigned count);
    virtual void Flush();

    virtual uint64_t Seek(int64_t offset, unsigned from);
    void SeekToBegin() { Seek(0, begin); }
    uint64_t SeekToEnd() { return Seek(0, end); }
    virtual uint64_t GetPosition() const;
    virtual uint64_t GetLength() const;
    virtual void SetLength(uint64_t length);

    // The last write time of the open file (fstat), as 100-ns ticks since 1601 UTC.
    bool GetLastWriteTime(FILETIME& time) const;

    bool IsOpen() const { return m_hFile != hFileNull; }
    QString GetFilePath() const { return m_strFileName; }
    QString GetFileName() const; // the last path component

    int m_hFile = hFileNull;

protected:
    QString m_strFileName;
    unsigned m_openFlags = 0;
};

// Reading from bytes already in memory through the file interface, so that an archive
// can parse what was read from a file in one piece. The bytes stay the caller's and must
// outlive it; writing is refused. Errors name the path given.
class QVSYSTEM_EXPORT CMemFile : public CFile {
public:
    CMemFile(const unsigned char* data, uint64_t size, const QString& path);

    bool Open(const QString& path, unsigned openFlags, CFileException* error = nullptr) override;
    void Close() override;
    void Abort() override;
    unsigned Read(void* buffer, unsigned count) override;
    void Write(const void* buffer, unsigned count) override; // throws accessDenied
    void Flush() override;
    uint64_t Seek(int64_t offset, unsigned from) override;
    uint64_t GetPosition() const override;
    uint64_t GetLength() const override;
    void SetLength(uint64_t length) override; // throws accessDenied

private:
    const unsigned char* m_data;
    uint64_t m_size;
    uint64_t m_position = 0;
};
