#include "cordalib/app/CrashMachineInfo.h"

#include "cordalib/app/CrashSignalSafe.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include <sys/utsname.h>
#include <unistd.h>

namespace {

// Language and territory to Windows language id. For each language the first entry is its
// main territory, which a locale naming the language alone (or an unknown territory) gets.
struct LanguageEntry {
    const char* language;
    const char* territory;
    uint16_t id;
};

constexpr LanguageEntry LANGUAGES[] = {
    {"af", "ZA", 0x0436}, {"ar", "SA", 0x0401}, {"ar", "EG", 0x0C01}, {"be", "BY", 0x0423},
    {"bg", "BG", 0x0402}, {"bn", "IN", 0x0445}, {"ca", "ES", 0x0403}, {"cs", "CZ", 0x0405},
    {"cy", "GB", 0x0452}, {"da", "DK", 0x0406}, {"de", "DE", 0x0407}, {"de", "CH", 0x0807},
    {"de", "AT", 0x0C07}, {"de", "LU", 0x1007}, {"de", "LI", 0x1407}, {"el", "GR", 0x0408},
    {"en", "US", 0x0409}, {"en", "GB", 0x0809}, {"en", "AU", 0x0C09}, {"en", "CA", 0x1009},
    {"en", "NZ", 0x1409}, {"en", "IE", 0x1809}, {"en", "ZA", 0x1C09}, {"en", "IN", 0x4009},
    {"es", "ES", 0x0C0A}, {"es", "MX", 0x080A}, {"es", "AR", 0x2C0A}, {"es", "CO", 0x240A},
    {"es", "CL", 0x340A}, {"es", "US", 0x540A}, {"et", "EE", 0x0425}, {"eu", "ES", 0x042D},
    {"fa", "IR", 0x0429}, {"fi", "FI", 0x040B}, {"fr", "FR", 0x040C}, {"fr", "BE", 0x080C},
    {"fr", "CA", 0x0C0C}, {"fr", "CH", 0x100C}, {"fr", "LU", 0x140C}, {"ga", "IE", 0x083C},
    {"gl", "ES", 0x0456}, {"he", "IL", 0x040D}, {"hi", "IN", 0x0439}, {"hr", "HR", 0x041A},
    {"hu", "HU", 0x040E}, {"hy", "AM", 0x042B}, {"id", "ID", 0x0421}, {"is", "IS", 0x040F},
    {"it", "IT", 0x0410}, {"it", "CH", 0x0810}, {"ja", "JP", 0x0411}, {"ka", "GE", 0x0437},
    {"kk", "KZ", 0x043F}, {"ko", "KR", 0x0412}, {"lt", "LT", 0x0427}, {"lv", "LV", 0x0426},
    {"mk", "MK", 0x042F}, {"ms", "MY", 0x043E}, {"nb", "NO", 0x0414}, {"nl", "NL", 0x0413},
    {"nl", "BE", 0x0813}, {"nn", "NO", 0x0814}, {"no", "NO", 0x0414}, {"pl", "PL", 0x0415},
    {"pt", "BR", 0x0416}, {"pt", "PT", 0x0816}, {"ro", "RO", 0x0418}, {"ru", "RU", 0x0419},
    {"sk", "SK", 0x041B}, {"sl", "SI", 0x0424}, {"sq", "AL", 0x041C}, {"sr", "RS", 0x241A},
    {"sv", "SE", 0x041D}, {"sv", "FI", 0x081D}, {"sw", "KE", 0x0441}, {"ta", "IN", 0x0449},
    {"th", "TH", 0x041E}, {"tr", "TR", 0x041F}, {"uk", "UA", 0x0422}, {"ur", "PK", 0x0420},
    {"vi", "VN", 0x042A}, {"zh", "CN", 0x0804}, {"zh", "TW", 0x0404}, {"zh", "HK", 0x0C04},
    {"zh", "SG", 0x1004}, {"zh", "MO", 0x1404},
};

// The value of "KEY=value" at the start of a line, quotes removed.
void ValueOfKey(const char* text, const char* key, char* out, size_t size)
{
    out[0] = '\0';
    const size_t keyLength = strlen(key);
    for (const char* line = text; line && *line;
         line = strchr(line, '\n') ? strchr(line, '\n') + 1 : nullptr) {
        while (*line == ' ' || *line == '\t')
            ++line;
        if (strncmp(line, key, keyLength) != 0 || line[keyLength] != '=')
            continue;
        const char* value = line + keyLength + 1;
        const char* end = value;
        while (*end && *end != '\n' && *end != '\r')
            ++end;
        if (end > value && (*value == '"' || *value == '\'')) {
            const char quote = *value++;
            const char* close = value;
            while (close < end && *close != quote)
                ++close;
            end = close;
        }
        const size_t length =
            static_cast<size_t>(end - value) < size - 1 ? static_cast<size_t>(end - value) : size - 1;
        memcpy(out, value, length);
        out[length] = '\0';
        return;
    }
}

uint64_t MegabytesRoundedUp(uint64_t bytes)
{
    return (bytes + 0xFFFFF) >> 20;
}

#if defined(__x86_64__)
// The top of the user address space with four-level page tables (what mmap hands out
// unless asked for more).
constexpr uint64_t USER_ADDRESS_SPACE = 0x7FFFFFFFF000ull;
#else
constexpr uint64_t USER_ADDRESS_SPACE = 0; // not known for this processor
#endif

} // namespace

uint16_t CrashLanguageIdFromLocale(const char* locale)
{
    if (!locale || !*locale)
        return CRASH_LANGUAGE_INVARIANT;
    char language[8] = {}, territory[8] = {};
    size_t pos = 0, length = 0;
    while (locale[pos] && locale[pos] != '_' && locale[pos] != '.' && locale[pos] != '@') {
        if (length + 1 < sizeof language)
            language[length++] = locale[pos];
        ++pos;
    }
    if (strcmp(language, "C") == 0 || strcmp(language, "POSIX") == 0)
        return CRASH_LANGUAGE_INVARIANT;
    if (locale[pos] == '_') {
        ++pos;
        length = 0;
        while (locale[pos] && locale[pos] != '.' && locale[pos] != '@') {
            if (length + 1 < sizeof territory)
                territory[length++] = locale[pos];
            ++pos;
        }
    }
    uint16_t first = 0;
    for (const LanguageEntry& entry : LANGUAGES) {
        if (strcmp(entry.language, language) != 0)
            continue;
        if (strcmp(entry.territory, territory) == 0)
            return entry.id;
        if (first == 0)
            first = entry.id;
    }
    return first != 0 ? first : CRASH_LANGUAGE_UNSPECIFIED;
}

void CrashLocaleFromFileText(const char* text, char* out, size_t size)
{
    ValueOfKey(text, "LANG", out, size);
}

void CrashPrettyNameFromOsRelease(const char* text, char* out, size_t size)
{
    ValueOfKey(text, "PRETTY_NAME", out, size);
}

void CrashPrepareMachineInfo(CCrashMachineInfo& info)
{
    char text[4096];
    char prettyName[256] = {};
    if (CrashReadSmallFile("/etc/os-release", text, sizeof text) > 0 ||
        CrashReadSmallFile("/usr/lib/os-release", text, sizeof text) > 0)
        CrashPrettyNameFromOsRelease(text, prettyName, sizeof prettyName);
    info.operatingSystem[0] = '\0';
    struct utsname names;
    if (::uname(&names) == 0) {
        size_t length = 0;
        if (prettyName[0]) {
            CrashAppendText(info.operatingSystem, sizeof info.operatingSystem, &length, prettyName);
            CrashAppendText(info.operatingSystem, sizeof info.operatingSystem, &length, ", ");
        }
        for (const char* part :
             {static_cast<const char*>(names.sysname), " ", static_cast<const char*>(names.release), " ",
              static_cast<const char*>(names.machine)})
            CrashAppendText(info.operatingSystem, sizeof info.operatingSystem, &length, part);
    }

    const long processors = ::sysconf(_SC_NPROCESSORS_ONLN);
    info.processors = processors > 0 ? static_cast<int>(processors) : 1;
#if defined(__x86_64__)
    info.processorType = CRASH_PROCESSOR_AMD_X8664;
#else
    info.processorType = 0;
#endif

    // The system's locale is what a login gets when it sets none of its own: C without a
    // locale file.
    char systemLocale[128] = {};
    if (CrashReadSmallFile("/etc/default/locale", text, sizeof text) > 0 ||
        CrashReadSmallFile("/etc/locale.conf", text, sizeof text) > 0)
        CrashLocaleFromFileText(text, systemLocale, sizeof systemLocale);
    info.systemLanguageId = CrashLanguageIdFromLocale(systemLocale);
    const char* userLocale = nullptr;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            userLocale = value;
            break;
        }
    }
    info.userLanguageId = userLocale ? CrashLanguageIdFromLocale(userLocale) : info.systemLanguageId;
}

void CrashMemoryStatusFromTexts(CCrashMemoryStatus& status, const char* meminfo, size_t meminfoLength,
                                const char* processStatus, size_t processStatusLength)
{
    status = {};
    uint64_t total = 0, available = 0, commitLimit = 0, committed = 0, virtualSize = 0;
    if (CrashFindNumber(meminfo, meminfoLength, "MemTotal:", &total)) {
        if (!CrashFindNumber(meminfo, meminfoLength, "MemAvailable:", &available))
            CrashFindNumber(meminfo, meminfoLength, "MemFree:", &available);
        if (available > total)
            available = total;
        status.physicalMemory = MegabytesRoundedUp(total * 1024);
        status.physicalMemoryFree = MegabytesRoundedUp(available * 1024);
        status.memoryLoad = total > 0 ? static_cast<int>(((total - available) * 100 + total / 2) / total) : 0;
    }
    if (CrashFindNumber(meminfo, meminfoLength, "CommitLimit:", &commitLimit)) {
        CrashFindNumber(meminfo, meminfoLength, "Committed_AS:", &committed);
        status.pagingFile = MegabytesRoundedUp(commitLimit * 1024);
        status.pagingFileFree =
            committed < commitLimit ? MegabytesRoundedUp((commitLimit - committed) * 1024) : 0;
    }
    status.userAddressSpace = MegabytesRoundedUp(USER_ADDRESS_SPACE);
    if (USER_ADDRESS_SPACE != 0 &&
        CrashFindNumber(processStatus, processStatusLength, "VmSize:", &virtualSize)) {
        const uint64_t used = virtualSize * 1024;
        status.userAddressSpaceFree =
            used < USER_ADDRESS_SPACE ? MegabytesRoundedUp(USER_ADDRESS_SPACE - used) : 0;
    }
}

void CrashReadMemoryStatus(CCrashMemoryStatus& status, char* scratch, size_t size)
{
    // Half the scratch for each file; both are a few kilobytes.
    const size_t half = size / 2;
    const size_t meminfoLength = CrashReadSmallFile("/proc/meminfo", scratch, half);
    const size_t statusLength = CrashReadSmallFile("/proc/self/status", scratch + half, size - half);
    CrashMemoryStatusFromTexts(status, scratch, meminfoLength, scratch + half, statusLength);
}
