#include "TestSupport.h"

#include "qvsystem/system/ModuleVersion.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtGlobal>

#include <cstring>
#include <functional>
#include <map>
#include <string>

namespace {

const QString kLibrary = QStringLiteral(CORDA_BINARY_DIR "/qvsystem/libqvsystem.so");
const QString kCopyright = QStringLiteral("Copyright \u00a9 2026 Corda Software");

// ---- A small ELF file built here, so that every field can be damaged on purpose ----

void Put16(QByteArray& b, qsizetype at, uint16_t v)
{
    for (int i = 0; i < 2; ++i)
        b[at + i] = static_cast<char>(v >> (8 * i));
}
void Put32(QByteArray& b, qsizetype at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>(v >> (8 * i));
}
void Put64(QByteArray& b, qsizetype at, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        b[at + i] = static_cast<char>(v >> (8 * i));
}

struct SyntheticElf {
    QByteArray bytes;
    qsizetype record = 0; // offset of the version record
    qsizetype recordSize = 0;
    qsizetype sectionTable = 0; // offset of the section headers: null, names, version
    qsizetype Header(int index) const { return sectionTable + 64 * index; }
};

SyntheticElf BuildElf(const std::map<std::string, std::string>& strings, uint32_t signature = 0xFEEF04BD)
{
    SyntheticElf elf;
    const QByteArray names("\0.shstrtab\0.qvversion\0", 22);

    QByteArray record(72, '\0');
    record.replace(0, 8, "QVVERBLK");
    Put32(record, 12, 1);
    const uint32_t fixed[13] = {signature, 0x10000, 0x00020003, 0x00040005, 0x00060007, 0x00080009, 0x3F,
                                0x1,       0,       VFT_DLL,    7,          0,          0};
    for (int i = 0; i < 13; ++i)
        Put32(record, 16 + 4 * i, fixed[i]);
    Put32(record, 68, 0x0407 | (1252u << 16));
    for (const auto& [key, value] : strings) {
        record.append(key.c_str(), qsizetype(key.size()) + 1);
        record.append(value.c_str(), qsizetype(value.size()) + 1);
    }
    record.append('\0');
    Put32(record, 8, static_cast<uint32_t>(record.size()));

    elf.bytes = QByteArray(64, '\0');
    elf.bytes.replace(0, 4,
                      "\x7f"
                      "ELF");
    elf.bytes[4] = 2; // 64-bit
    elf.bytes[5] = 1; // little-endian
    elf.bytes[6] = 1;
    Put16(elf.bytes, 16, 3);  // shared object
    Put16(elf.bytes, 18, 62); // x86-64
    Put32(elf.bytes, 20, 1);
    Put16(elf.bytes, 52, 64);
    const qsizetype namesOffset = elf.bytes.size();
    elf.bytes.append(names);
    while (elf.bytes.size() % 8)
        elf.bytes.append('\0');
    elf.record = elf.bytes.size();
    elf.recordSize = record.size();
    elf.bytes.append(record);
    while (elf.bytes.size() % 8)
        elf.bytes.append('\0');
    elf.sectionTable = elf.bytes.size();
    elf.bytes.append(QByteArray(3 * 64, '\0'));
    Put64(elf.bytes, 0x28, static_cast<uint64_t>(elf.sectionTable));
    Put16(elf.bytes, 0x3A, 64);
    Put16(elf.bytes, 0x3C, 3);
    Put16(elf.bytes, 0x3E, 1);
    // Section 1: the names.
    Put32(elf.bytes, elf.Header(1) + 0, 1);
    Put32(elf.bytes, elf.Header(1) + 4, 3); // SHT_STRTAB
    Put64(elf.bytes, elf.Header(1) + 24, static_cast<uint64_t>(namesOffset));
    Put64(elf.bytes, elf.Header(1) + 32, static_cast<uint64_t>(names.size()));
    // Section 2: the version block.
    Put32(elf.bytes, elf.Header(2) + 0, 11);
    Put32(elf.bytes, elf.Header(2) + 4, 1); // SHT_PROGBITS
    Put64(elf.bytes, elf.Header(2) + 8, 2); // SHF_ALLOC
    Put64(elf.bytes, elf.Header(2) + 24, static_cast<uint64_t>(elf.record));
    Put64(elf.bytes, elf.Header(2) + 32, static_cast<uint64_t>(record.size()));
    return elf;
}

const std::map<std::string, std::string> kStrings = {
    {"ProductName", "Synthetic Product"},
    {"FileVersion", "2.3.4.5"},
    {"LegalCopyright", "Copyright \xc2\xa9 Someone"},
};

class ModuleVersionTest : public testing::Test {
protected:
    QString Write(const QByteArray& bytes, const QString& name = QStringLiteral("module.so"))
    {
        const QString path = m_dir.filePath(name);
        corda::test::WriteAll(path, bytes);
        return path;
    }
    QTemporaryDir m_dir;
};

} // namespace

// Guards the blocks that the build compiles into the shared library: the strings, the
// fixed information and the translation must all come through.
TEST(ModuleVersionModuleTest, SharedLibraryBlock)
{
    CModuleVersion version;
    ASSERT_TRUE(version.Load(kLibrary)) << "error " << version.GetLastError();
    EXPECT_TRUE(version.IsLoaded());
    EXPECT_EQ(version.GetModulePath(), kLibrary);

    QString text;
    EXPECT_TRUE(version.GetProductName(text));
    EXPECT_EQ(text, QStringLiteral("QVSystem Code Library"));
    EXPECT_TRUE(version.GetFileDescription(text));
    EXPECT_EQ(text, QStringLiteral("QVSystem Code Library"));
    EXPECT_TRUE(version.GetCompanyName(text));
    EXPECT_EQ(text, QStringLiteral("Corda Software"));
    EXPECT_TRUE(version.GetLegalCopyright(text));
    EXPECT_EQ(text, kCopyright);
    EXPECT_TRUE(version.GetInternalName(text));
    EXPECT_EQ(text, QStringLiteral("qvsystem"));
    EXPECT_TRUE(version.GetOriginalFileName(text));
    EXPECT_EQ(text, QStringLiteral("libqvsystem.so"));
    EXPECT_TRUE(version.GetFileVersion(text));
    EXPECT_EQ(text, QStringLiteral(CORDA_PROJECT_VERSION));
    EXPECT_TRUE(version.GetProductVersion(text));
    EXPECT_EQ(text, QStringLiteral(CORDA_PROJECT_VERSION));
    EXPECT_FALSE(version.GetSpecialBuild(text));
    EXPECT_TRUE(text.isEmpty());

    CVersionNumber file, product;
    EXPECT_TRUE(version.GetFileVersion(file));
    EXPECT_TRUE(version.GetProductVersion(product));
    EXPECT_EQ(file.GetText(), QStringLiteral(CORDA_PROJECT_VERSION));
    EXPECT_EQ(product, file);
    uint32_t type = 0;
    EXPECT_TRUE(version.GetFileType(type));
    EXPECT_EQ(type, VFT_DLL);
    VS_FIXEDFILEINFO info;
    ASSERT_TRUE(version.GetFixedFileInfo(info));
    EXPECT_EQ(info.dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(version.GetLanguage(), 0x0409);
    EXPECT_EQ(version.GetCodePage(), 1252);
}

// Guards the programs' blocks and loading by module handle: null is the main program
// (this test program carries a block of the programs' kind), an address names the
// module that holds it.
TEST(ModuleVersionModuleTest, ProgramBlocksAndModuleHandles)
{
    CModuleVersion self;
    ASSERT_TRUE(self.Load(HMODULE(nullptr))) << "error " << self.GetLastError();
    QString text;
    EXPECT_TRUE(self.GetProductName(text));
    EXPECT_EQ(text, QStringLiteral("Corda Librarian"));
    EXPECT_TRUE(self.GetCompanyName(text));
    EXPECT_EQ(text, QStringLiteral("Corda Software"));
    uint32_t type = 0;
    EXPECT_TRUE(self.GetFileType(type));
    EXPECT_EQ(type, VFT_APP);
    EXPECT_EQ(QFileInfo(self.GetModulePath()).canonicalFilePath(),
              QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());

    static int insideThisProgram = 0;
    CModuleVersion byAddress;
    ASSERT_TRUE(byAddress.Load(HMODULE(&insideThisProgram)));
    EXPECT_EQ(byAddress.GetModulePath(), self.GetModulePath());

    // Qt's core library is loaded here and has no block of ours.
    const QString qtCore = CModuleVersion::GetModuleFilePath(reinterpret_cast<HMODULE>(&qVersion));
    EXPECT_TRUE(qtCore.contains(QStringLiteral("libQt6Core"))) << qtCore.toStdString();
    CModuleVersion qt;
    EXPECT_FALSE(qt.Load(reinterpret_cast<HMODULE>(&qVersion)));
    EXPECT_EQ(qt.GetLastError(), QV_ERROR_RESOURCE_TYPE_NOT_FOUND);

    CModuleVersion nowhere;
    EXPECT_FALSE(nowhere.Load(reinterpret_cast<HMODULE>(uintptr_t(16))));
    EXPECT_EQ(nowhere.GetLastError(), QV_ERROR_INVALID_HANDLE);

    // The programs themselves, as far as they are built in this tree.
    int checked = 0;
    for (const char* program : {"/cordalib/cordalib", "/cordalib/cordalib-cli", "/faultpost/faultpost"}) {
        const QString path = QStringLiteral(CORDA_BINARY_DIR) + QLatin1String(program);
        if (!QFile::exists(path))
            continue;
        CModuleVersion version;
        ASSERT_TRUE(version.Load(path)) << program;
        EXPECT_TRUE(version.GetProductName(text));
        EXPECT_EQ(text, QStringLiteral("Corda Librarian")) << program;
        EXPECT_TRUE(version.GetLegalCopyright(text));
        EXPECT_EQ(text, kCopyright);
        ++checked;
    }
    RecordProperty("programs_checked", checked);
}

// Guards the failures the callers tell apart: no block, missing file, bad arguments,
// and files that are no module at all.
TEST_F(ModuleVersionTest, FilesWithoutBlocks)
{
    CModuleVersion version;
    EXPECT_FALSE(version.Load(QStringLiteral("/bin/true")));
    EXPECT_EQ(version.GetLastError(), QV_ERROR_RESOURCE_TYPE_NOT_FOUND);
    EXPECT_FALSE(version.IsLoaded());

    EXPECT_FALSE(version.Load(m_dir.filePath(QStringLiteral("missing.so"))));
    EXPECT_EQ(version.GetLastError(), QV_ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(version.Load(QString()));
    EXPECT_EQ(version.GetLastError(), QV_ERROR_BAD_ARGUMENTS);
    EXPECT_FALSE(version.Load(m_dir.path()));
    EXPECT_EQ(version.GetLastError(), QV_ERROR_ACCESS_DENIED);
    EXPECT_FALSE(
        version.Load(Write(QByteArray("just some text, not a module"), QStringLiteral("notes.txt"))));
    EXPECT_EQ(version.GetLastError(), QV_ERROR_BAD_FORMAT);
    EXPECT_FALSE(version.Load(Write(QByteArray(), QStringLiteral("empty.so"))));
    EXPECT_EQ(version.GetLastError(), QV_ERROR_BAD_FORMAT);

    // Without a block every getter answers "nothing" rather than stale data.
    QString text = QStringLiteral("stale");
    EXPECT_FALSE(version.GetProductName(text));
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(version.GetLastError(), QV_ERROR_INVALID_HANDLE);
    uint16_t a = 1, b = 1, c = 1, d = 1;
    EXPECT_FALSE(version.GetFileVersion(a, b, c, d));
    EXPECT_EQ(a + b + c + d, 0);
}

// Guards the state after a failed load, the deep copy, and the string lookup rules.
TEST_F(ModuleVersionTest, StateCopiesAndLookups)
{
    CModuleVersion version;
    ASSERT_TRUE(version.Load(Write(BuildElf(kStrings).bytes)));
    uint16_t major, minor, revision, build;
    ASSERT_TRUE(version.GetProductVersion(major, minor, revision, build));
    EXPECT_EQ(major, 6);
    EXPECT_EQ(minor, 7);
    EXPECT_EQ(revision, 8);
    EXPECT_EQ(build, 9);
    ASSERT_TRUE(version.GetFileVersion(major, minor, revision, build));
    EXPECT_EQ(major * 1000 + minor * 100 + revision * 10 + build, 2345);
    uint32_t flags = 0, subtype = 0;
    EXPECT_TRUE(version.GetFileFlags(flags));
    EXPECT_EQ(flags, VS_FF_DEBUG);
    EXPECT_TRUE(version.GetFileSubtype(subtype));
    EXPECT_EQ(subtype, 7u);
    EXPECT_EQ(version.GetLanguage(), 0x0407);

    QString text;
    EXPECT_TRUE(version.GetSubBlockValue(QStringLiteral("productname"), text));
    EXPECT_EQ(text, QStringLiteral("Synthetic Product"));
    EXPECT_FALSE(version.GetSubBlockValue(QStringLiteral("Comments"), text));
    EXPECT_EQ(version.GetLastError(), QV_ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_FALSE(version.GetSubBlockValue(QString(), text));
    EXPECT_EQ(version.GetLastError(), QV_ERROR_BAD_ARGUMENTS);

    CModuleVersion copy(version);
    CModuleVersion assigned;
    assigned = version;
    EXPECT_FALSE(version.Load(QStringLiteral("/bin/true")));
    EXPECT_FALSE(version.IsLoaded()) << "a failed load must not keep the previous block";
    EXPECT_TRUE(version.GetModulePath().isEmpty());
    EXPECT_TRUE(copy.GetLegalCopyright(text));
    EXPECT_EQ(text, QStringLiteral("Copyright \u00a9 Someone"));
    EXPECT_TRUE(assigned.GetFileVersion(text));
    EXPECT_EQ(text, QStringLiteral("2.3.4.5"));
}

// Guards the reader against damaged files: offsets and sizes that point outside the
// file or ask for absurd amounts must fail cleanly, never read out of bounds or allocate.
TEST_F(ModuleVersionTest, DamagedFilesFailCleanly)
{
    const SyntheticElf good = BuildElf(kStrings);
    const qsizetype recordEnd = good.record + good.recordSize;
    struct Damage {
        const char* what;
        std::function<void(QByteArray&)> apply;
        uint32_t error;
    };
    const Damage damages[] = {
        {"32-bit class", [](QByteArray& b) { b[4] = 1; }, QV_ERROR_BAD_FORMAT},
        {"big-endian", [](QByteArray& b) { b[5] = 2; }, QV_ERROR_BAD_FORMAT},
        {"no section table", [](QByteArray& b) { Put64(b, 0x28, 0); }, QV_ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"section table past the end", [](QByteArray& b) { Put64(b, 0x28, ~uint64_t(0) - 8); },
         QV_ERROR_BAD_FORMAT},
        {"short section headers", [](QByteArray& b) { Put16(b, 0x3A, 40); }, QV_ERROR_BAD_FORMAT},
        {"more sections than the file holds", [](QByteArray& b) { Put16(b, 0x3C, 60000); },
         QV_ERROR_BAD_FORMAT},
        {"huge extended section count",
         [&](QByteArray& b) {
             Put16(b, 0x3C, 0);
             Put64(b, good.Header(0) + 32, uint64_t(1) << 40);
         },
         QV_ERROR_BAD_FORMAT},
        {"names index out of range", [](QByteArray& b) { Put16(b, 0x3E, 9); }, QV_ERROR_BAD_FORMAT},
        {"huge names section", [&](QByteArray& b) { Put64(b, good.Header(1) + 32, uint64_t(1) << 62); },
         QV_ERROR_BAD_FORMAT},
        {"name offset past the names", [&](QByteArray& b) { Put32(b, good.Header(2), 0x7FFFFFFF); },
         QV_ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"another section name", [](QByteArray& b) { b[64 + 11 + 9] = 'X'; },
         QV_ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"huge version section", [&](QByteArray& b) { Put64(b, good.Header(2) + 32, uint64_t(1) << 62); },
         QV_ERROR_INVALID_DATA},
        {"version section past the end",
         [&](QByteArray& b) { Put64(b, good.Header(2) + 24, static_cast<uint64_t>(b.size() - 10)); },
         QV_ERROR_BAD_FORMAT},
        {"version section without bytes", [&](QByteArray& b) { Put32(b, good.Header(2) + 4, 8); },
         QV_ERROR_INVALID_DATA},
        {"record magic", [&](QByteArray& b) { b[good.record] = 'X'; }, QV_ERROR_INVALID_DATA},
        {"record signature", [&](QByteArray& b) { Put32(b, good.record + 16, 0xFEEF04BC); },
         QV_ERROR_INVALID_DATA},
        {"record larger than its section",
         [&](QByteArray& b) { Put32(b, good.record + 8, static_cast<uint32_t>(good.recordSize + 1)); },
         QV_ERROR_INVALID_DATA},
        {"record smaller than its header", [&](QByteArray& b) { Put32(b, good.record + 8, 71); },
         QV_ERROR_INVALID_DATA},
        {"string table without an end",
         [&](QByteArray& b) {
             b[recordEnd - 1] = 'x';
             b[recordEnd - 2] = 'x';
         },
         QV_ERROR_INVALID_DATA},
    };
    CModuleVersion version;
    ASSERT_TRUE(version.Load(Write(good.bytes)));
    for (const Damage& damage : damages) {
        QByteArray bytes = good.bytes;
        damage.apply(bytes);
        EXPECT_FALSE(version.Load(Write(bytes))) << damage.what;
        EXPECT_EQ(version.GetLastError(), damage.error) << damage.what;
        EXPECT_FALSE(version.IsLoaded()) << damage.what;
    }

    // Every truncation and every single damaged byte: a clean answer each time.
    for (qsizetype size = 0; size < good.bytes.size(); ++size)
        EXPECT_FALSE(version.Load(Write(good.bytes.left(size)))) << "truncated to " << size;
    for (qsizetype at = 0; at < good.bytes.size(); ++at) {
        for (char value : {'\0', '\x01', '\x7f', '\x80', '\xff'}) {
            QByteArray bytes = good.bytes;
            bytes[at] = value;
            if (version.Load(Write(bytes))) {
                QString text;
                version.GetProductName(text);
                VS_FIXEDFILEINFO info;
                ASSERT_TRUE(version.GetFixedFileInfo(info));
                EXPECT_EQ(info.dwSignature, VS_FFI_SIGNATURE);
            } else {
                EXPECT_NE(version.GetLastError(), 0u);
            }
        }
    }
}
