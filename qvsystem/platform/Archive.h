#pragma once
// Binary serialization over a CFile with a read-ahead/write-behind buffer; integers are
// little-endian and strings use the length-prefixed layout of the Windows original
// byte for byte, so that files move between the two.

#include "qvsystem/platform/Exceptions.h"
#include "qvsystem/platform/File.h"
#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

class QVSYSTEM_EXPORT CArchive {
public:
    enum Mode : unsigned { store = 0, load = 1, bNoFlushOnDelete = 2 };

    CArchive(CFile* file, unsigned mode, int bufferSize = 4096);
    // Does not flush: call Close to keep what was stored. Never throws.
    ~CArchive();

    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return (m_nMode & load) != 0; }
    bool IsStoring() const { return (m_nMode & load) == 0; }
    CFile* GetFile() const { return m_pFile; }

    // Loading: returns the bytes read, fewer only at the end of the file.
    unsigned Read(void* buffer, unsigned count);
    // Storing: buffers the bytes; throws on a write error.
    void Write(const void* buffer, unsigned count);
    // Storing: writes the buffer out. Loading: gives back what was read ahead, so the
    // file stands exactly after the last byte the caller consumed.
    void Flush();
    // Flush and detach from the file (the file stays open).
    void Close();
    // Detach without writing anything.
    void Abort();

    // Bytes still available to a loading archive (buffered plus the rest of the file).
    uint64_t GetBytesRemaining() const;

    CArchive& operator<<(uint8_t value);
    CArchive& operator<<(uint16_t value);
    CArchive& operator<<(uint32_t value);
    CArchive& operator<<(uint64_t value);
    CArchive& operator<<(int16_t value);
    CArchive& operator<<(int32_t value);
    CArchive& operator<<(int64_t value);
    CArchive& operator<<(float value);
    CArchive& operator<<(double value);
    // An 8-bit (code page) text: length prefix and bytes.
    CArchive& operator<<(const std::string& text);
    // A UTF-16 text: the 0xFF 0xFE 0xFF marker, the length prefix, 2 bytes a character.
    CArchive& operator<<(const QString& text);

    // Reading past the end throws CArchiveException::endOfFile.
    CArchive& operator>>(uint8_t& value);
    CArchive& operator>>(uint16_t& value);
    CArchive& operator>>(uint32_t& value);
    CArchive& operator>>(uint64_t& value);
    CArchive& operator>>(int16_t& value);
    CArchive& operator>>(int32_t& value);
    CArchive& operator>>(int64_t& value);
    CArchive& operator>>(float& value);
    CArchive& operator>>(double& value);
    // Both text forms are accepted; a UTF-16 text becomes code-page bytes. A length that
    // claims more bytes than remain throws endOfFile before anything is allocated.
    CArchive& operator>>(std::string& text);
    // Both text forms are accepted; an 8-bit text is converted from the code page.
    CArchive& operator>>(QString& text);

private:
    void FillBuffer(unsigned needed);
    void ReadExact(void* buffer, unsigned count);
    // Reads a length prefix; sets wide when the UTF-16 marker precedes it.
    uint64_t ReadStringLength(bool& wide);
    void WriteStringLength(uint64_t length, bool wide);
    // Reads a length prefix and checks that its bytes are all there before any text of
    // that size is allocated.
    uint64_t ReadCheckedStringLength(bool& wide);
    std::string ReadNarrowText(uint64_t length);
    QString ReadWideText(uint64_t length);
    [[noreturn]] void ThrowArchive(int cause) const;

    CFile* m_pFile;
    unsigned m_nMode;
    std::vector<unsigned char> m_buffer;
    size_t m_pos = 0;   // next byte in the buffer
    size_t m_limit = 0; // loading: bytes valid in the buffer; storing: bytes pending
};
