#pragma once
// The machine block of a crash report. What cannot change while the program runs (the
// operating system, the processors, the languages) is taken at start-up, when reading
// files and the environment is still safe; the memory figures are read at the crash itself
// from /proc with signal-safe calls.

#include <cstddef>
#include <cstdint>

// Windows' processor-type number for an x86-64 processor; 0 stands for any other.
inline constexpr int CRASH_PROCESSOR_AMD_X8664 = 8664;
// Language ids for the C locale, and for a locale that has no Windows language id.
inline constexpr uint16_t CRASH_LANGUAGE_INVARIANT = 0x007F;
inline constexpr uint16_t CRASH_LANGUAGE_UNSPECIFIED = 0x1000;

struct CCrashMachineInfo {
    char operatingSystem[512] = {}; // empty when it could not be formed
    int processors = 0;
    int processorType = 0;
    uint16_t systemLanguageId = CRASH_LANGUAGE_INVARIANT;
    uint16_t userLanguageId = CRASH_LANGUAGE_INVARIANT;
};

// Fills the fixed part (start-up only: it reads files and the environment).
void CrashPrepareMachineInfo(CCrashMachineInfo& info);

// The Windows language id of a POSIX locale name ("de_AT.UTF-8@euro"): the exact language
// and territory when known, else the language's main territory; the C and POSIX locales
// give CRASH_LANGUAGE_INVARIANT, an unknown language CRASH_LANGUAGE_UNSPECIFIED.
uint16_t CrashLanguageIdFromLocale(const char* locale);

// "LANG" of a locale file (/etc/default/locale) whose text is given, quotes removed; an
// empty result when it has none.
void CrashLocaleFromFileText(const char* text, char* out, size_t size);
// PRETTY_NAME of an os-release text, quotes removed.
void CrashPrettyNameFromOsRelease(const char* text, char* out, size_t size);

// Memory figures in megabytes, rounded up, and the load in percent.
struct CCrashMemoryStatus {
    int memoryLoad = 0;
    uint64_t physicalMemory = 0;
    uint64_t physicalMemoryFree = 0;
    uint64_t pagingFile = 0; // the commit limit: what memory may be promised in all
    uint64_t pagingFileFree = 0;
    uint64_t userAddressSpace = 0;
    uint64_t userAddressSpaceFree = 0;
};

// Signal-safe; reads /proc/meminfo and /proc/self/status into the scratch buffer. Figures
// that cannot be read stay 0.
void CrashReadMemoryStatus(CCrashMemoryStatus& status, char* scratch, size_t size);
// The same over given texts of the two files.
void CrashMemoryStatusFromTexts(CCrashMemoryStatus& status, const char* meminfo, size_t meminfoLength,
                                const char* processStatus, size_t processStatusLength);
