#include "cordalib/app/CrashModules.h"

#include <cerrno>
#include <cstring>

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

constexpr size_t ELF_HEADER_SIZE = 64;
constexpr size_t PROGRAM_HEADER_SIZE = 56;
constexpr size_t SECTION_HEADER_SIZE = 64;
constexpr uint64_t MAX_SECTIONS = 1u << 20;
constexpr uintptr_t PAGE_MASK = 4095;

bool IsElfHeader(const unsigned char* header)
{
    return memcmp(header, ELFMAG, SELFMAG) == 0 && header[EI_CLASS] == ELFCLASS64 &&
           header[EI_DATA] == ELFDATA2LSB;
}

bool IsModulePath(const char* path)
{
    return path[0] == '/' || strcmp(path, "[vdso]") == 0;
}

bool AsciiEqualNoCase(const char* a, size_t aLength, const char* b)
{
    size_t i = 0;
    for (; i < aLength && b[i] != '\0'; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return i == aLength && b[i] == '\0';
}

ssize_t RetryPread(int fd, void* buffer, size_t length, uint64_t offset)
{
    ssize_t count;
    do {
        count = ::pread(fd, buffer, length, static_cast<off_t>(offset));
    } while (count < 0 && errno == EINTR);
    return count;
}

// Reads exactly length bytes inside a file of fileSize bytes.
bool ReadExactly(int fd, uint64_t fileSize, uint64_t offset, void* buffer, size_t length)
{
    if (offset > fileSize || length > fileSize - offset)
        return false;
    auto* out = static_cast<unsigned char*>(buffer);
    while (length > 0) {
        const ssize_t count = RetryPread(fd, out, length, offset);
        if (count <= 0)
            return false;
        out += count;
        offset += static_cast<uint64_t>(count);
        length -= static_cast<size_t>(count);
    }
    return true;
}

struct FindContext {
    uintptr_t address;
    char* name;
    size_t size;
    bool found;
};

bool FindVisitor(const CCrashModule& module, void* data)
{
    auto* context = static_cast<FindContext*>(data);
    if (context->address >= module.base && context->address < module.end) {
        CrashCopyText(context->name, context->size, module.name);
        context->found = true;
        return false;
    }
    return true;
}

} // namespace

CCrashMapsReader::~CCrashMapsReader()
{
    Close();
}

bool CCrashMapsReader::Open(const char* path)
{
    Close();
    do {
        m_fd = ::open(path, O_RDONLY | O_CLOEXEC);
    } while (m_fd < 0 && errno == EINTR);
    m_begin = m_end = 0;
    m_eof = false;
    return m_fd >= 0;
}

void CCrashMapsReader::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool CCrashMapsReader::Fill()
{
    const size_t room = sizeof m_buffer - 1 - m_end;
    ssize_t count;
    do {
        count = ::read(m_fd, m_buffer + m_end, room);
    } while (count < 0 && errno == EINTR);
    if (count <= 0) {
        m_eof = true;
        return false;
    }
    m_end += static_cast<size_t>(count);
    return true;
}

bool CCrashMapsReader::Next(CCrashMapping& mapping)
{
    if (m_fd < 0)
        return false;
    bool skipping = false;
    for (;;) {
        char* start = m_buffer + m_begin;
        auto* lineEnd = static_cast<char*>(memchr(start, '\n', m_end - m_begin));
        if (lineEnd) {
            m_begin = static_cast<size_t>(lineEnd - m_buffer) + 1;
            if (skipping) {
                skipping = false;
                continue;
            }
            if (ParseLine(start, static_cast<size_t>(lineEnd - start), mapping))
                return true;
            continue;
        }
        if (m_eof) {
            const size_t length = m_end - m_begin;
            m_begin = m_end;
            if (!skipping && length > 0 && ParseLine(start, length, mapping))
                return true;
            return false;
        }
        if (m_begin > 0) {
            memmove(m_buffer, start, m_end - m_begin);
            m_end -= m_begin;
            m_begin = 0;
        }
        if (m_end == sizeof m_buffer - 1) { // a line longer than the buffer: drop it
            skipping = true;
            m_end = 0;
        }
        Fill();
    }
}

bool CCrashMapsReader::ParseLine(char* line, size_t length, CCrashMapping& mapping)
{
    size_t pos = 0;
    uint64_t start, end, offset, inode;
    if (!CrashParseHex(line, length, &pos, &start) || pos >= length || line[pos++] != '-' ||
        !CrashParseHex(line, length, &pos, &end) || pos >= length || line[pos++] != ' ' || length - pos < 5)
        return false;
    memcpy(mapping.perms, line + pos, 4);
    mapping.perms[4] = '\0';
    pos += 4;
    if (line[pos++] != ' ' || !CrashParseHex(line, length, &pos, &offset) || pos >= length ||
        line[pos++] != ' ')
        return false;
    while (pos < length && line[pos] != ' ') // the device
        ++pos;
    while (pos < length && line[pos] == ' ')
        ++pos;
    if (!CrashParseDecimal(line, length, &pos, &inode))
        return false;
    while (pos < length && line[pos] == ' ')
        ++pos;
    line[length] = '\0';
    mapping.start = static_cast<uintptr_t>(start);
    mapping.end = static_cast<uintptr_t>(end);
    mapping.offset = offset;
    mapping.inode = inode;
    mapping.path = line + pos;
    return end > start;
}

bool CCrashModuleEnumerator::Run(Visitor visit, void* context, const char* mapsPath)
{
    if (!m_maps.Open(mapsPath))
        return false;
    bool have = false;
    CCrashModule current;
    CCrashMapping mapping;
    while (m_maps.Next(mapping)) {
        if (!IsModulePath(mapping.path))
            continue;
        if (have && mapping.offset != 0 && mapping.inode == current.inode &&
            strcmp(mapping.path, m_path) == 0) {
            current.end = mapping.end;
            continue;
        }
        if (have) {
            have = false;
            if (!visit(current, context)) {
                m_maps.Close();
                return true;
            }
        }
        unsigned char magic[SELFMAG + 2];
        if (mapping.offset == 0 && mapping.perms[0] == 'r' &&
            m_memory.ReadAll(mapping.start, magic, sizeof magic) && IsElfHeader(magic)) {
            CrashCopyText(m_path, sizeof m_path, mapping.path);
            current.path = m_path;
            current.name = CrashFileNamePart(m_path);
            current.base = mapping.start;
            current.end = mapping.end;
            current.inode = mapping.inode;
            have = true;
        }
    }
    if (have)
        visit(current, context);
    m_maps.Close();
    return true;
}

bool CCrashModuleEnumerator::FindModuleName(uintptr_t address, char* name, size_t size)
{
    FindContext context{address, name, size, false};
    Run(FindVisitor, &context);
    return context.found;
}

uintptr_t CrashFindStackEnd(CCrashMapsReader& maps, uintptr_t sp, uintptr_t limit, const char* mapsPath)
{
    const uintptr_t cap = sp + limit < sp ? UINTPTR_MAX : sp + limit;
    if (!maps.Open(mapsPath))
        return sp;
    uintptr_t end = sp;
    CCrashMapping mapping;
    bool inGuard = false;
    uintptr_t guardEnd = 0;
    while (maps.Next(mapping)) {
        if (inGuard) { // the mapping just above an overflowed guard
            if (mapping.start == guardEnd && mapping.perms[0] == 'r')
                end = mapping.end;
            break;
        }
        if (mapping.end <= sp)
            continue;
        if (mapping.start <= sp && mapping.perms[0] != 'r') {
            inGuard = true;
            guardEnd = mapping.end;
            continue;
        }
        // Holds sp, or is the first mapping above a gap that sp ran into.
        if (mapping.perms[0] == 'r')
            end = mapping.end;
        break;
    }
    maps.Close();
    return end < cap ? end : cap;
}

bool CrashReadElfImage(const CSafeMemoryReader& memory, uintptr_t base, CCrashElfImage& image)
{
    image.imageSize = 0;
    image.buildIdLength = 0;
    unsigned char header[ELF_HEADER_SIZE];
    if (!memory.ReadAll(base, header, sizeof header) || !IsElfHeader(header))
        return false;
    const uint64_t phoff = Get64(header + 0x20);
    const uint16_t phentsize = Get16(header + 0x36);
    const uint16_t phnum = Get16(header + 0x38);
    if (phentsize != PROGRAM_HEADER_SIZE || phnum == 0 ||
        phnum * PROGRAM_HEADER_SIZE > sizeof image.scratch || phoff > UINTPTR_MAX - base)
        return false;
    const size_t tableSize = phnum * PROGRAM_HEADER_SIZE;
    if (!memory.ReadAll(base + static_cast<uintptr_t>(phoff), image.scratch, tableSize))
        return false;

    struct Note {
        uint64_t vaddr, size, align;
    } notes[8];
    size_t noteCount = 0;
    uint64_t low = UINT64_MAX, high = 0;
    for (size_t i = 0; i < phnum; ++i) {
        const unsigned char* entry = image.scratch + i * PROGRAM_HEADER_SIZE;
        const uint32_t type = Get32(entry);
        const uint64_t vaddr = Get64(entry + 0x10);
        const uint64_t memsz = Get64(entry + 0x28);
        if (type == PT_LOAD) {
            if ((vaddr & ~static_cast<uint64_t>(PAGE_MASK)) < low)
                low = vaddr & ~static_cast<uint64_t>(PAGE_MASK);
            if (vaddr + memsz > high)
                high = vaddr + memsz;
        } else if (type == PT_NOTE && noteCount < 8) {
            notes[noteCount++] = {vaddr, memsz, Get64(entry + 0x30)};
        }
    }
    if (low == UINT64_MAX || high <= low)
        return false;
    image.imageSize = static_cast<uintptr_t>(high - low);
    // The header is mapped where the lowest segment is: that fixes the load bias.
    const uintptr_t bias = base - static_cast<uintptr_t>(low);

    for (size_t n = 0; n < noteCount && image.buildIdLength == 0; ++n) {
        const size_t size =
            notes[n].size < sizeof image.scratch ? static_cast<size_t>(notes[n].size) : sizeof image.scratch;
        const size_t align = notes[n].align == 8 ? 8 : 4;
        const size_t got = memory.Read(bias + static_cast<uintptr_t>(notes[n].vaddr), image.scratch, size);
        size_t pos = 0;
        while (pos + 12 <= got) {
            const uint32_t nameSize = Get32(image.scratch + pos);
            const uint32_t descSize = Get32(image.scratch + pos + 4);
            const uint32_t type = Get32(image.scratch + pos + 8);
            const size_t namePos = pos + 12;
            const size_t descPos = namePos + ((nameSize + align - 1) & ~(align - 1));
            if (nameSize > got || descSize > got || descPos > got || descSize > got - descPos)
                break;
            if (type == NT_GNU_BUILD_ID && nameSize == 4 && memcmp(image.scratch + namePos, "GNU", 4) == 0 &&
                descSize > 0) {
                image.buildIdLength = descSize < sizeof image.buildId ? descSize : sizeof image.buildId;
                memcpy(image.buildId, image.scratch + descPos, image.buildIdLength);
                break;
            }
            pos = descPos + ((descSize + align - 1) & ~(align - 1));
        }
    }
    return true;
}

bool CCrashVersionBlock::Load(const char* path)
{
    m_length = 0;
    int fd;
    do {
        fd = ::open(path, O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    bool loaded = false;
    struct stat status;
    unsigned char header[ELF_HEADER_SIZE];
    unsigned char section[SECTION_HEADER_SIZE];
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        const uint64_t fileSize = static_cast<uint64_t>(status.st_size);
        if (ReadExactly(fd, fileSize, 0, header, sizeof header) && IsElfHeader(header)) {
            const uint64_t tableOffset = Get64(header + 0x28);
            const uint16_t entrySize = Get16(header + 0x3A);
            uint64_t count = Get16(header + 0x3C);
            uint32_t namesIndex = Get16(header + 0x3E);
            bool ok = tableOffset != 0 && entrySize >= SECTION_HEADER_SIZE &&
                      ReadExactly(fd, fileSize, tableOffset, section, sizeof section);
            if (ok) { // counts too large for the header live in the first section header
                if (count == 0)
                    count = Get64(section + 0x20);
                if (namesIndex == SHN_XINDEX)
                    namesIndex = Get32(section + 0x28);
                ok = count > 0 && count <= MAX_SECTIONS && namesIndex < count && namesIndex != SHN_UNDEF &&
                     ReadExactly(fd, fileSize, tableOffset + uint64_t{namesIndex} * entrySize, section,
                                 sizeof section);
            }
            const uint64_t namesOffset = ok ? Get64(section + 0x18) : 0;
            const uint64_t namesSize = ok ? Get64(section + 0x20) : 0;
            static constexpr char NAME[] = ".qvversion";
            for (uint64_t i = 1; ok && i < count; ++i) {
                if (!ReadExactly(fd, fileSize, tableOffset + i * entrySize, section, sizeof section))
                    break;
                const uint32_t nameOffset = Get32(section);
                char name[sizeof NAME];
                if (nameOffset >= namesSize || namesSize - nameOffset < sizeof NAME ||
                    !ReadExactly(fd, fileSize, namesOffset + nameOffset, name, sizeof name) ||
                    memcmp(name, NAME, sizeof NAME) != 0)
                    continue;
                const uint32_t type = Get32(section + 4);
                const uint64_t flags = Get64(section + 8);
                const uint64_t offset = Get64(section + 0x18);
                const uint64_t size = Get64(section + 0x20);
                if (type != SHT_NOBITS && (flags & SHF_COMPRESSED) == 0 && size >= 72 && size <= MAX_BLOCK &&
                    ReadExactly(fd, fileSize, offset, m_block, static_cast<size_t>(size)))
                    loaded = Validate(static_cast<size_t>(size));
                break;
            }
        }
    }
    ::close(fd);
    if (!loaded)
        m_length = 0;
    return loaded;
}

bool CCrashVersionBlock::Validate(size_t sectionSize)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(m_block);
    if (memcmp(bytes, "QVVERBLK", 8) != 0)
        return false;
    const uint32_t size = Get32(bytes + 8);
    if (size < 72 || size > sectionSize || Get32(bytes + 12) != 1 || Get32(bytes + 16) != 0xFEEF04BD)
        return false;
    // The string table must end inside the record: an empty name closes it.
    size_t pos = 72;
    for (;;) {
        const void* keyEnd = pos < size ? memchr(m_block + pos, 0, size - pos) : nullptr;
        if (!keyEnd)
            return false;
        const size_t keyLength = static_cast<size_t>(static_cast<const char*>(keyEnd) - (m_block + pos));
        if (keyLength == 0)
            break;
        const size_t valuePos = pos + keyLength + 1;
        const void* valueEnd = valuePos < size ? memchr(m_block + valuePos, 0, size - valuePos) : nullptr;
        if (!valueEnd)
            return false;
        pos = static_cast<size_t>(static_cast<const char*>(valueEnd) - m_block) + 1;
    }
    m_language = static_cast<uint16_t>(Get32(bytes + 68) & 0xFFFF);
    m_length = size;
    return true;
}

const char* CCrashVersionBlock::FindString(const char* name, size_t* length) const
{
    if (!IsLoaded())
        return nullptr;
    size_t pos = 72;
    for (;;) { // bounds were checked when the block was loaded
        const size_t keyLength = strlen(m_block + pos);
        if (keyLength == 0)
            return nullptr;
        const char* value = m_block + pos + keyLength + 1;
        const size_t valueLength = strlen(value);
        if (AsciiEqualNoCase(m_block + pos, keyLength, name)) {
            *length = valueLength;
            return value;
        }
        pos += keyLength + 1 + valueLength + 1;
    }
}
