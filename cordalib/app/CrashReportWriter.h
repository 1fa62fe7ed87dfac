#pragma once
// The text of a crash report on its way to the file. It runs inside a signal handler, after
// the heap may be corrupted or the stack exhausted, so it allocates nothing, takes no lock
// and calls nothing but write(2): one fixed buffer of 8192 UTF-16 code units is filled piece
// by piece and written out, little-endian, whenever more than 7168 units are pending before
// a piece begins. A piece is at most 1024 units; a longer text simply continues in a new
// piece, so no text is ever cut short.
//
// Format() is a small printf: flags '0' and '-', a width, the lengths l, ll and z, and the
// conversions d, i, u, x, X, s (".*" gives a byte count) and %%. Texts given through %s are
// UTF-8 from outside the program (paths, module names): they are decoded, characters that
// XML forbids become U+FFFD, and they are made safe for where they land: '&', '<', '>' and
// '"' become references in element text, and inside a CDATA section a "]]>" is split so
// that the section cannot end early. The format's own literal text is UTF-8 markup and is
// written as it stands.

#include <cstddef>
#include <cstdint>

class CCrashReportWriter {
public:
    static constexpr size_t BUFFER_UNITS = 8192;
    static constexpr size_t FLUSH_THRESHOLD = 7168;
    static constexpr size_t PIECE_UNITS = 1024;

    CCrashReportWriter() = default;
    CCrashReportWriter(const CCrashReportWriter&) = delete;
    CCrashReportWriter& operator=(const CCrashReportWriter&) = delete;

    // Starts an empty report on an open file (any descriptor; -1 discards the text).
    void Open(int fd);
    // Writes what is pending; false once any write has failed.
    bool Flush();

    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // "<![CDATA[" and "]]>": between them %s texts are kept as CDATA content.
    void BeginCData();
    void EndCData();
    // One element whose content is a CDATA section: open tag, the text, close tag.
    void CDataElement(const char* openTag, const char* text, const char* closeTag);
    // The same for a text of a given length in bytes.
    void CDataElement(const char* openTag, const char* text, size_t length, const char* closeTag);
    // Characters that are neither format nor outside text (a memory dump's text column);
    // inside CDATA a "]]>" among them is split like any other.
    void Characters(const uint16_t* units, size_t count);
    // Bytes as they stand (the byte-order mark), written straight to the file: only
    // before the first piece.
    bool WriteRaw(const void* bytes, size_t length);

    size_t GetPendingUnits() const { return m_count; }
    unsigned GetFlushCount() const { return m_flushes; }
    bool HasFailed() const { return m_failed; }

private:
    void BeginPiece();
    void Put(uint16_t unit);
    void PutCodePoint(uint32_t codePoint);
    void PutAscii(const char* text, size_t length);
    // UTF-8 text; outside CDATA the characters of markup are escaped when asked.
    void PutExternalText(const char* text, size_t length, bool escape = true);
    void PutLiteral(const char* text, size_t length);
    void PutNumber(uint64_t magnitude, bool negative, unsigned base, bool upper, int width, bool zeroPad,
                   bool leftAlign);
    void PutPadded(const uint16_t* units, size_t length, int width, bool zeroPad, bool leftAlign);
    bool WriteAll(const unsigned char* bytes, size_t length);

    int m_fd = -1;
    size_t m_count = 0;
    size_t m_pieceUnits = 0;
    unsigned m_flushes = 0;
    bool m_failed = false;
    bool m_inCData = false;
    // The last two units written inside a CDATA section, to see a "]]>" forming.
    uint16_t m_previous[2] = {0, 0};
    uint16_t m_units[BUFFER_UNITS] = {};
    unsigned char m_bytes[BUFFER_UNITS * 2] = {};
};
