// Reading the version block out of an ELF file. The file is untrusted input: every
// offset and size in it is checked against the file's real size before it is used, and
// sizes beyond what a sane module holds are refused rather than allocated.
//
// The block (written by cmake/VersionBlock.cpp.in), all words little-endian:
//   0   8 bytes  magic "QVVERBLK"
//   8   u32      size of the whole record in bytes
//   12  u32      layout, 1
//   16  13 u32   the fixed information (signature 0xFEEF04BD first)
//   68  u32      translation: language in the low, code page in the high 16 bits
//   72  ...      the string table: name NUL value NUL pairs in UTF-8, ended by an empty name
#include "qvsystem/system/ModuleVersion.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char SECTION_NAME[] = ".qvversion";
constexpr char RECORD_MAGIC[8] = {'Q', 'V', 'V', 'E', 'R', 'B', 'L', 'K'};
constexpr uint32_t RECORD_LAYOUT = 1;
constexpr size_t RECORD_FIXED_OFFSET = 16;
constexpr size_t RECORD_TRANSLATION_OFFSET = 68;
constexpr size_t RECORD_STRINGS_OFFSET = 72;

constexpr size_t ELF_HEADER_SIZE = 64;
constexpr size_t SECTION_HEADER_SIZE = 64;
// Far beyond any real module, far below what could hurt to allocate.
constexpr uint64_t MAX_SECTION_COUNT = 1u << 20;
constexpr uint64_t MAX_SECTION_TABLE_SIZE = 64u << 20;
constexpr uint64_t MAX_SECTION_NAMES_SIZE = 16u << 20;
constexpr uint64_t MAX_BLOCK_SIZE = 64u << 10;

uint16_t Get16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Get32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint64_t Get64(const unsigned char* p)
{
    return static_cast<uint64_t>(Get32(p)) | (static_cast<uint64_t>(Get32(p + 4)) << 32);
}

uint32_t ErrorFromErrno(int error)
{
    switch (error) {
    case ENOENT:
        return QV_ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return QV_ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
        return QV_ERROR_ACCESS_DENIED;
    case ENOMEM:
        return QV_ERROR_NOT_ENOUGH_MEMORY;
    default:
        return QV_ERROR_READ_FAULT;
    }
}

struct SectionHeader {
    uint32_t name;
    uint32_t type;
    uint64_t flags;
    uint64_t offset;
    uint64_t size;
    uint32_t link;
};

SectionHeader DecodeSectionHeader(const unsigned char* p)
{
    return {Get32(p), Get32(p + 4), Get64(p + 8), Get64(p + 24), Get64(p + 32), Get32(p + 40)};
}

class ModuleFile {
public:
    explicit ModuleFile(int fd, uint64_t size) : m_fd(fd), m_size(size) {}
    ~ModuleFile() { ::close(m_fd); }
    ModuleFile(const ModuleFile&) = delete;
    ModuleFile& operator=(const ModuleFile&) = delete;

    // Fails with "bad format" for a range outside the file, since only a damaged header
    // points there.
    bool ReadAt(uint64_t offset, void* buffer, size_t length, uint32_t& error) const
    {
        if (offset > m_size || length > m_size - offset) {
            error = QV_ERROR_BAD_FORMAT;
            return false;
        }
        auto* out = static_cast<char*>(buffer);
        while (length > 0) {
            const ssize_t count = ::pread(m_fd, out, length, static_cast<off_t>(offset));
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0) { // an error, or the file shrank under us
                error = count < 0 ? ErrorFromErrno(errno) : QV_ERROR_READ_FAULT;
                return false;
            }
            out += count;
            offset += static_cast<uint64_t>(count);
            length -= static_cast<size_t>(count);
        }
        return true;
    }

    bool ReadSection(const SectionHeader& section, uint64_t limit, std::vector<char>& bytes,
                     uint32_t& error) const
    {
        if (section.type == SHT_NOBITS || section.size > limit) {
            error = QV_ERROR_BAD_FORMAT;
            return false;
        }
        bytes.resize(static_cast<size_t>(section.size));
        return ReadAt(section.offset, bytes.data(), bytes.size(), error);
    }

private:
    int m_fd;
    uint64_t m_size;
};

// The bytes of the version section, or false with the error.
bool FindVersionSection(const ModuleFile& file, std::vector<char>& block, uint32_t& error)
{
    unsigned char header[ELF_HEADER_SIZE];
    if (!file.ReadAt(0, header, sizeof header, error))
        return false;
    // Our modules are 64-bit little-endian; anything else cannot be one of them.
    if (std::memcmp(header, ELFMAG, SELFMAG) != 0 || header[EI_CLASS] != ELFCLASS64 ||
        header[EI_DATA] != ELFDATA2LSB || header[EI_VERSION] != EV_CURRENT) {
        error = QV_ERROR_BAD_FORMAT;
        return false;
    }
    const uint64_t tableOffset = Get64(header + 0x28);
    const uint16_t entrySize = Get16(header + 0x3A);
    uint64_t count = Get16(header + 0x3C);
    uint32_t namesIndex = Get16(header + 0x3E);
    if (tableOffset == 0) { // no section table: nothing to find
        error = QV_ERROR_RESOURCE_TYPE_NOT_FOUND;
        return false;
    }
    if (entrySize < SECTION_HEADER_SIZE) {
        error = QV_ERROR_BAD_FORMAT;
        return false;
    }

    // Counts that do not fit the header live in the first section header.
    unsigned char first[SECTION_HEADER_SIZE];
    if (!file.ReadAt(tableOffset, first, sizeof first, error))
        return false;
    const SectionHeader zero = DecodeSectionHeader(first);
    if (count == 0)
        count = zero.size;
    if (namesIndex == SHN_XINDEX)
        namesIndex = zero.link;
    if (count == 0) {
        error = QV_ERROR_RESOURCE_TYPE_NOT_FOUND;
        return false;
    }
    if (count > MAX_SECTION_COUNT || count * entrySize > MAX_SECTION_TABLE_SIZE || namesIndex >= count) {
        error = QV_ERROR_BAD_FORMAT;
        return false;
    }
    if (namesIndex == SHN_UNDEF) {
        error = QV_ERROR_RESOURCE_TYPE_NOT_FOUND;
        return false;
    }

    std::vector<unsigned char> table(static_cast<size_t>(count * entrySize));
    if (!file.ReadAt(tableOffset, table.data(), table.size(), error))
        return false;
    std::vector<char> names;
    if (!file.ReadSection(DecodeSectionHeader(table.data() + namesIndex * entrySize), MAX_SECTION_NAMES_SIZE,
                          names, error))
        return false;

    for (uint64_t i = 0; i < count; ++i) {
        const SectionHeader section = DecodeSectionHeader(table.data() + i * entrySize);
        if (section.name >= names.size() || names.size() - section.name < sizeof SECTION_NAME ||
            std::memcmp(names.data() + section.name, SECTION_NAME, sizeof SECTION_NAME) != 0)
            continue;
        if (section.type == SHT_NOBITS || (section.flags & SHF_COMPRESSED) != 0 ||
            section.size < RECORD_STRINGS_OFFSET || section.size > MAX_BLOCK_SIZE) {
            error = QV_ERROR_INVALID_DATA;
            return false;
        }
        return file.ReadSection(section, MAX_BLOCK_SIZE, block, error);
    }
    error = QV_ERROR_RESOURCE_TYPE_NOT_FOUND;
    return false;
}

// Walks the string table; false when a string runs past the record or the table has no end.
template <typename Visit> bool ForEachString(const std::vector<char>& record, Visit visit)
{
    size_t pos = RECORD_STRINGS_OFFSET;
    const size_t end = record.size();
    for (;;) {
        const void* keyEnd = pos < end ? std::memchr(record.data() + pos, 0, end - pos) : nullptr;
        if (!keyEnd)
            return false;
        const size_t keyLength = static_cast<const char*>(keyEnd) - (record.data() + pos);
        if (keyLength == 0)
            return true;
        const size_t valuePos = pos + keyLength + 1;
        const void* valueEnd =
            valuePos < end ? std::memchr(record.data() + valuePos, 0, end - valuePos) : nullptr;
        if (!valueEnd)
            return false;
        const size_t valueLength = static_cast<const char*>(valueEnd) - (record.data() + valuePos);
        if (visit(record.data() + pos, keyLength, record.data() + valuePos, valueLength))
            return true;
        pos = valuePos + valueLength + 1;
    }
}

// Checks the record and trims it to its stated size.
bool ValidateRecord(std::vector<char>& record, uint32_t& error)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(record.data());
    error = QV_ERROR_INVALID_DATA;
    if (record.size() < RECORD_STRINGS_OFFSET || std::memcmp(bytes, RECORD_MAGIC, sizeof RECORD_MAGIC) != 0)
        return false;
    const uint32_t size = Get32(bytes + 8);
    if (size < RECORD_STRINGS_OFFSET || size > record.size() || Get32(bytes + 12) != RECORD_LAYOUT ||
        Get32(bytes + RECORD_FIXED_OFFSET) != VS_FFI_SIGNATURE)
        return false;
    record.resize(size);
    if (!ForEachString(record, [](const char*, size_t, const char*, size_t) { return false; }))
        return false;
    error = 0;
    return true;
}

struct ModuleSearch {
    uintptr_t address = 0;
    bool found = false;
    std::string name;
};

int FindModuleCallback(dl_phdr_info* info, size_t, void* data)
{
    auto* search = static_cast<ModuleSearch*>(data);
    for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD)
            continue;
        const uintptr_t start = info->dlpi_addr + segment.p_vaddr;
        if (search->address >= start && search->address - start < segment.p_memsz) {
            search->found = true;
            search->name = info->dlpi_name ? info->dlpi_name : "";
            return 1;
        }
    }
    return 0;
}

QString MainProgramPath()
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer)
        return {};
    return QFile::decodeName(QByteArray(buffer, length));
}

} // namespace

bool CModuleVersion::Load(const QString& path)
{
    Release();
    if (path.isEmpty()) {
        m_dwError = QV_ERROR_BAD_ARGUMENTS;
        return false;
    }
    m_wCodePage = 1252;

    const QByteArray local = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(local.constData(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        m_dwError = ErrorFromErrno(errno);
        return false;
    }
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const bool folder = S_ISDIR(status.st_mode);
        ::close(fd);
        m_dwError = folder ? QV_ERROR_ACCESS_DENIED : QV_ERROR_BAD_FORMAT;
        return false;
    }
    const ModuleFile file(fd, static_cast<uint64_t>(status.st_size));

    std::vector<char> record;
    uint32_t error = 0;
    if (!FindVersionSection(file, record, error) || !ValidateRecord(record, error)) {
        m_dwError = error;
        return false;
    }

    const auto* bytes = reinterpret_cast<const unsigned char*>(record.data());
    uint32_t words[13];
    for (int i = 0; i < 13; ++i)
        words[i] = Get32(bytes + RECORD_FIXED_OFFSET + 4 * i);
    static_assert(sizeof words == sizeof(VS_FIXEDFILEINFO));
    std::memcpy(&m_fixed, words, sizeof m_fixed);
    const uint32_t translation = Get32(bytes + RECORD_TRANSLATION_OFFSET);
    m_wLanguage = static_cast<uint16_t>(translation & 0xFFFF);
    m_wCodePage = static_cast<uint16_t>(translation >> 16);
    m_block = std::move(record);
    m_strPath = path;
    m_dwError = 0;
    return true;
}

bool CModuleVersion::Load(HMODULE module)
{
    const QString path = GetModuleFilePath(module);
    if (path.isEmpty()) {
        Release();
        m_dwError = QV_ERROR_INVALID_HANDLE;
        return false;
    }
    return Load(path);
}

void CModuleVersion::Release()
{
    m_block.clear();
    m_block.shrink_to_fit();
    m_fixed = {};
    m_strPath.clear();
}

bool CModuleVersion::GetFixedFileInfo(VS_FIXEDFILEINFO& info) const
{
    info = IsLoaded() ? m_fixed : VS_FIXEDFILEINFO{};
    return IsLoaded();
}

namespace {

bool SplitVersion(bool loaded, uint32_t ms, uint32_t ls, uint16_t& major, uint16_t& minor, uint16_t& revision,
                  uint16_t& build)
{
    if (!loaded)
        ms = ls = 0;
    major = static_cast<uint16_t>(ms >> 16);
    minor = static_cast<uint16_t>(ms & 0xFFFF);
    revision = static_cast<uint16_t>(ls >> 16);
    build = static_cast<uint16_t>(ls & 0xFFFF);
    return loaded;
}

bool ToVersionNumber(bool loaded, uint32_t ms, uint32_t ls, CVersionNumber& version)
{
    uint16_t major, minor, revision, build;
    const bool result = SplitVersion(loaded, ms, ls, major, minor, revision, build);
    version.SetNumber(major, minor, revision, build);
    return result;
}

} // namespace

bool CModuleVersion::GetFileVersion(uint16_t& major, uint16_t& minor, uint16_t& revision,
                                    uint16_t& build) const
{
    return SplitVersion(IsLoaded(), m_fixed.dwFileVersionMS, m_fixed.dwFileVersionLS, major, minor, revision,
                        build);
}

bool CModuleVersion::GetProductVersion(uint16_t& major, uint16_t& minor, uint16_t& revision,
                                       uint16_t& build) const
{
    return SplitVersion(IsLoaded(), m_fixed.dwProductVersionMS, m_fixed.dwProductVersionLS, major, minor,
                        revision, build);
}

bool CModuleVersion::GetFileVersion(CVersionNumber& version) const
{
    return ToVersionNumber(IsLoaded(), m_fixed.dwFileVersionMS, m_fixed.dwFileVersionLS, version);
}

bool CModuleVersion::GetProductVersion(CVersionNumber& version) const
{
    return ToVersionNumber(IsLoaded(), m_fixed.dwProductVersionMS, m_fixed.dwProductVersionLS, version);
}

bool CModuleVersion::GetFileFlags(uint32_t& flags) const
{
    flags = m_fixed.dwFileFlags;
    return IsLoaded();
}

bool CModuleVersion::GetFileOS(uint32_t& os) const
{
    os = m_fixed.dwFileOS;
    return IsLoaded();
}

bool CModuleVersion::GetFileType(uint32_t& type) const
{
    type = m_fixed.dwFileType;
    return IsLoaded();
}

bool CModuleVersion::GetFileSubtype(uint32_t& subtype) const
{
    subtype = m_fixed.dwFileSubtype;
    return IsLoaded();
}

bool CModuleVersion::GetSubBlockValue(const QString& name, QString& value)
{
    value.clear();
    if (name.isNull()) {
        m_dwError = QV_ERROR_BAD_ARGUMENTS;
        return false;
    }
    if (!IsLoaded()) {
        m_dwError = QV_ERROR_INVALID_HANDLE;
        return false;
    }
    bool found = false;
    ForEachString(m_block, [&](const char* key, size_t keyLength, const char* text, size_t textLength) {
        if (QString::fromUtf8(key, static_cast<qsizetype>(keyLength)).compare(name, Qt::CaseInsensitive) != 0)
            return false;
        value = QString::fromUtf8(text, static_cast<qsizetype>(textLength));
        found = true;
        return true;
    });
    if (!found)
        m_dwError = QV_ERROR_RESOURCE_NAME_NOT_FOUND;
    return found;
}

QString CModuleVersion::GetModuleFilePath(HMODULE module)
{
    if (!module)
        return MainProgramPath();
    ModuleSearch search;
    search.address = reinterpret_cast<uintptr_t>(module);
    dl_iterate_phdr(FindModuleCallback, &search);
    if (!search.found)
        return {};
    // The main program is the one entry without a name.
    if (search.name.empty())
        return MainProgramPath();
    return QFile::decodeName(QByteArray::fromStdString(search.name));
}
