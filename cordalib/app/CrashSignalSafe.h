#pragma once
// Small tools for the crash handler that are safe inside a signal handler: they call only
// async-signal-safe system calls (open, read, write, pipe I/O, fstat) and work in memory the
// caller owns. None allocates, takes a lock, or reads memory that might fault.

#include <cstddef>
#include <cstdint>

// Reads memory that may not be mapped without faulting: the bytes go through a pipe, and
// the kernel answers EFAULT for an address the process cannot read. The pipe is made at
// start-up, when opening files still works.
class CSafeMemoryReader {
public:
    CSafeMemoryReader() = default;
    ~CSafeMemoryReader();
    CSafeMemoryReader(const CSafeMemoryReader&) = delete;
    CSafeMemoryReader& operator=(const CSafeMemoryReader&) = delete;

    bool Open();
    void Close();
    bool IsOpen() const { return m_fds[0] >= 0; }

    // Copies what can be read from the start of the range and returns its length; the
    // range stops at the first unreadable byte. Ranges of any length are read a page at a
    // time.
    size_t Read(uintptr_t address, void* out, size_t length) const;
    // True only when the whole range was read.
    bool ReadAll(uintptr_t address, void* out, size_t length) const
    {
        return Read(address, out, length) == length;
    }

private:
    size_t ReadChunk(uintptr_t address, unsigned char* out, size_t length) const;

    int m_fds[2] = {-1, -1};
};

// Reads a whole small file (a /proc entry) into the buffer and NUL-terminates it; returns
// the length, 0 when it cannot be read. A file longer than the buffer is cut at its size.
size_t CrashReadSmallFile(const char* path, char* buffer, size_t size);

// The decimal number after the first line that begins with the key ("TracerPid:"), blanks
// skipped; false when the key is absent or no digits follow.
bool CrashFindNumber(const char* text, size_t length, const char* key, uint64_t* value);

// Parses a hexadecimal number at text[*pos] and moves past it; false without a digit.
bool CrashParseHex(const char* text, size_t length, size_t* pos, uint64_t* value);
bool CrashParseDecimal(const char* text, size_t length, size_t* pos, uint64_t* value);

// UTC calendar fields of a count of seconds since 1970-01-01 (no time-zone rules, so no
// lock: gmtime_r may take one).
struct CrashCalendarTime {
    int year, month, day, hour, minute, second;
};
CrashCalendarTime CrashCalendarFromUnix(int64_t seconds);

// Creates each missing folder of an absolute path, like mkdir -p (mode 0700: crash reports
// hold memory contents). False when a level cannot be created or is no folder. The path is
// changed during the call and restored.
bool CrashCreateFolders(char* path);

// Copies at most size - 1 bytes and terminates; returns the copied length.
size_t CrashCopyText(char* out, size_t size, const char* text);
// Appends at out[*length], keeping the terminator; false when it did not fit (the text is
// then cut).
bool CrashAppendText(char* out, size_t size, size_t* length, const char* text);

// The file name part of a path (after the last '/').
const char* CrashFileNamePart(const char* path);
