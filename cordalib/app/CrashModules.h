#pragma once
// What the crash handler learns about the process's memory and its loaded modules, with
// signal-safe calls only: the mappings come from /proc/self/maps read with open/read (the
// loader's own module list sits behind a lock that the faulting thread may hold), the
// images' headers are read through CSafeMemoryReader, and a module's version block from
// its file with pread. All buffers belong to the objects, which the handler keeps in
// memory prepared at start-up.

#include "cordalib/app/CrashSignalSafe.h"

#include <climits>
#include <cstddef>
#include <cstdint>

// One line of /proc/self/maps. path points into the reader's buffer and stays valid until
// the next call; it is empty for an anonymous mapping.
struct CCrashMapping {
    uintptr_t start = 0;
    uintptr_t end = 0;
    char perms[5] = {};
    uint64_t offset = 0;
    uint64_t inode = 0;
    const char* path = "";
};

class CCrashMapsReader {
public:
    CCrashMapsReader() = default;
    ~CCrashMapsReader();
    CCrashMapsReader(const CCrashMapsReader&) = delete;
    CCrashMapsReader& operator=(const CCrashMapsReader&) = delete;

    bool Open(const char* path = "/proc/self/maps");
    void Close();
    // The next well-formed line; false at the end. A line too long for the buffer is
    // skipped whole.
    bool Next(CCrashMapping& mapping);

    // Parses one line (without its line feed; the text is changed to end the path).
    static bool ParseLine(char* line, size_t length, CCrashMapping& mapping);

private:
    bool Fill();

    int m_fd = -1;
    size_t m_begin = 0;
    size_t m_end = 0;
    bool m_eof = false;
    char m_buffer[PATH_MAX + 512] = {};
};

// An ELF image mapped in the process: the file mappings that follow its header.
struct CCrashModule {
    const char* path = ""; // as the mappings name it
    const char* name = ""; // its file-name part
    uintptr_t base = 0;    // where the header is mapped
    uintptr_t end = 0;     // end of the image's last file mapping
    uint64_t inode = 0;
};

// Finds the modules in address order. The visitor returns false to stop.
class CCrashModuleEnumerator {
public:
    using Visitor = bool (*)(const CCrashModule& module, void* context);

    explicit CCrashModuleEnumerator(const CSafeMemoryReader& memory) : m_memory(memory) {}
    // False when the mappings cannot be read.
    bool Run(Visitor visit, void* context, const char* mapsPath = "/proc/self/maps");
    // The module whose mappings hold the address: its file name into name (size bytes);
    // false (and name untouched) when no module holds it.
    bool FindModuleName(uintptr_t address, char* name, size_t size);

private:
    const CSafeMemoryReader& m_memory;
    CCrashMapsReader m_maps;
    char m_path[PATH_MAX + 32] = {};
};

// Where a dump of the stack from sp must stop: the end of the mapping that holds sp (for a
// stack that overflowed into its guard, the mapping just above), at most sp + limit. sp
// itself when nothing fits.
uintptr_t CrashFindStackEnd(CCrashMapsReader& maps, uintptr_t sp, uintptr_t limit,
                            const char* mapsPath = "/proc/self/maps");

// What the loaded image's own headers say: its size in memory and its build id.
struct CCrashElfImage {
    uintptr_t imageSize = 0;
    unsigned char buildId[64] = {};
    size_t buildIdLength = 0;
    unsigned char scratch[4096] = {};
};
bool CrashReadElfImage(const CSafeMemoryReader& memory, uintptr_t base, CCrashElfImage& image);

// The version block that our own modules carry in their ".qvversion" section, read from the
// module's file. The file is not trusted: every offset and size is checked first.
class CCrashVersionBlock {
public:
    static constexpr size_t MAX_BLOCK = 64 * 1024;

    bool Load(const char* path);
    bool IsLoaded() const { return m_length != 0; }
    uint16_t GetLanguage() const { return m_language; }
    // The value of a string by name (ASCII case ignored): a pointer into the block and its
    // length, or null when absent.
    const char* FindString(const char* name, size_t* length) const;

private:
    bool Validate(size_t sectionSize);

    size_t m_length = 0;
    uint16_t m_language = 0;
    char m_block[MAX_BLOCK] = {};
};
