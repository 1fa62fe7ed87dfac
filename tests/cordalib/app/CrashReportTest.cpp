// The crash report's parts in-process: the fixed-buffer writer, the signal-safe readers of
// memory, /proc files, module images and version blocks, the machine data, the fault
// classification and the report text for faults made up here. The real faults are in
// test_crash_report.py.

#include "cordalib/app/CrashReport.h"

#include "TestSupport.h"
#include "qvsystem/platform/StringTable.h"
#include "qvsystem/system/ModuleVersion.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <link.h>
#include <signal.h>
#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

namespace {

// Writes through a writer into a temporary file and gives back the text.
class WriterFile {
public:
    WriterFile()
    {
        m_path = m_dir.path() + QStringLiteral("/out.bin");
        m_fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        m_writer = std::make_unique<CCrashReportWriter>();
        m_writer->Open(m_fd);
    }
    ~WriterFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CCrashReportWriter& writer() { return *m_writer; }
    QByteArray Bytes()
    {
        m_writer->Flush();
        return corda::test::ReadAll(m_path);
    }
    QString Text()
    {
        const QByteArray bytes = Bytes();
        return QString(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2);
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    int m_fd = -1;
    std::unique_ptr<CCrashReportWriter> m_writer;
};

QByteArray Utf16Le(const QString& text)
{
    QByteArray bytes;
    for (QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

// The text of an element of an XML text (the first with that name).
QString ElementText(const QString& xml, const QString& name)
{
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == name)
            return reader.readElementText(QXmlStreamReader::IncludeChildElements);
    }
    return QStringLiteral("<missing>");
}

bool ParsesAsXml(const QString& xml)
{
    QXmlStreamReader reader(xml);
    while (!reader.atEnd())
        reader.readNext();
    return !reader.hasError();
}

void LocalFunction() {}

} // namespace

// A report larger than the buffer must reach the file whole and in order, with the buffer
// never holding more than its 8192 units, whatever the length of one text.
TEST(CrashReportWriter, LongReportIsFlushedInBlocksAndStaysByteIdentical)
{
    WriterFile file;
    CCrashReportWriter& w = file.writer();
    QString expected;
    std::mt19937 random(7);
    const std::string longPath(5000, 'p'); // one %s far over a piece's 1024 units
    for (int i = 0; i < 600; ++i) {
        const unsigned value = static_cast<unsigned>(random());
        w.Format("<line number=\"%d\">%08x caf\xc3\xa9 %s</line>\r\n", i, value,
                 i % 100 == 0 ? longPath.c_str() : "-");
        expected += QStringLiteral("<line number=\"%1\">%2 caf\u00e9 %3</line>\r\n")
                        .arg(i)
                        .arg(value, 8, 16, QLatin1Char('0'))
                        .arg(i % 100 == 0 ? QString::fromStdString(longPath) : QStringLiteral("-"));
        ASSERT_LE(w.GetPendingUnits(), CCrashReportWriter::BUFFER_UNITS);
    }
    ASSERT_GT(expected.size(), 3 * 8192);
    EXPECT_EQ(file.Bytes(), Utf16Le(expected));
    EXPECT_GE(w.GetFlushCount(), 4u);
    EXPECT_FALSE(w.HasFailed());
}

// Outside text must not end a CDATA section or open a tag, nor carry characters that make
// the whole report unreadable to an XML parser.
TEST(CrashReportWriter, OutsideTextIsMadeSafeForXml)
{
    {
        WriterFile file;
        CCrashReportWriter& w = file.writer();
        w.Format("<a>%s</a>", "x<&>\"y");
        w.CDataElement("<b>", "one]]>two", "</b>");
        // A "]]" at the end of one text and a ">" at the start of the next.
        w.Format("<c>");
        w.BeginCData();
        w.Format("%s", "tail]]");
        w.Format("%s", ">head");
        w.EndCData();
        w.Format("</c>");
        const QString text = file.Text();
        EXPECT_TRUE(text.startsWith(QStringLiteral("<a>x&lt;&amp;&gt;&quot;y</a>")));
        const QString xml = QStringLiteral("<r>") + text + QStringLiteral("</r>");
        ASSERT_TRUE(ParsesAsXml(xml)) << xml.toStdString();
        EXPECT_EQ(ElementText(xml, QStringLiteral("a")), QStringLiteral("x<&>\"y"));
        EXPECT_EQ(ElementText(xml, QStringLiteral("b")), QStringLiteral("one]]>two"));
        EXPECT_EQ(ElementText(xml, QStringLiteral("c")), QStringLiteral("tail]]>head"));
    }
    {
        // Malformed UTF-8 (a stray continuation byte, an overlong slash, an encoded
        // surrogate, a cut sequence), a control character and a non-character each become
        // U+FFFD; valid characters of every length pass, the one above U+FFFF as a pair.
        WriterFile file;
        file.writer().Format(
            "%s",
            "\x80|\xc0\xaf|\xed\xa0\x80|\x01|\xef\xbf\xbe|\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80|\xe2\x82");
        const QString expected = QStringLiteral("\ufffd|\ufffd\ufffd|\ufffd\ufffd\ufffd|\ufffd|\ufffd|") +
                                 QString::fromUtf8("\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80|") +
                                 QStringLiteral("\ufffd\ufffd");
        EXPECT_EQ(file.Text(), expected);
    }
}

// The formatter is all the report's numbers go through: widths, signs and lengths.
TEST(CrashReportWriter, NumbersAndTextsFormatLikePrintf)
{
    WriterFile file;
    CCrashReportWriter& w = file.writer();
    const char* volatile nothing = nullptr; // a null text writes nothing
    w.Format("[%08x|%04X|%x|%d|%05d|%-4d|%i]", 0xbeefu, 0xabu, 0u, -12, -42, 7, 2147483647);
    w.Format("[%llu|%lld|%zu|%08llx|%%|%.*s|%s]", 18446744073709551615ull, -9223372036854775807ll - 1,
             size_t{12}, 0x7ffd2fba3f80ull, 3, "abcdef", nothing);
    EXPECT_EQ(file.Text(),
              QStringLiteral("[0000beef|00AB|0|-12|-0042|7   |2147483647]"
                             "[18446744073709551615|-9223372036854775808|12|7ffd2fba3f80|%|abc|]"));
}

// A write that fails must be seen, not taken for a written report.
TEST(CrashReportWriter, FailedWriteIsReported)
{
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[0]); // nobody reads: writing gives EPIPE
    const sighandler_t old = ::signal(SIGPIPE, SIG_IGN);
    auto writer = std::make_unique<CCrashReportWriter>();
    writer->Open(fds[1]);
    writer->Format("<x/>");
    EXPECT_FALSE(writer->Flush());
    EXPECT_TRUE(writer->HasFailed());
    ::signal(SIGPIPE, old);
    ::close(fds[1]);
}

// The report's dates, the file times, must not go through gmtime (it locks); the own
// conversion must agree with Qt's for any second, leap days and negative times included.
TEST(CrashSignalSafe, CalendarAgreesWithQt)
{
    std::mt19937_64 random(11);
    std::vector<int64_t> seconds = {0, -1, 951782400, 951868799, 4107542399, 253402300799, -2208988800};
    for (int i = 0; i < 2000; ++i)
        seconds.push_back(static_cast<int64_t>(random() % 20000000000ull) - 5000000000ll);
    for (int64_t value : seconds) {
        const CrashCalendarTime c = CrashCalendarFromUnix(value);
        const QDateTime q = QDateTime::fromSecsSinceEpoch(value, Qt::UTC);
        ASSERT_EQ(QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02d", c.year, c.month, c.day, c.hour, c.minute,
                                    c.second),
                  q.toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")))
            << value;
    }
}

// Reading memory that may be unmapped must answer, not fault, and must say exactly how far
// the readable part goes.
TEST(CrashSignalSafe, SafeMemoryReaderStopsAtTheFirstUnreadableByte)
{
    CSafeMemoryReader reader;
    ASSERT_TRUE(reader.Open());
    const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    auto* area = static_cast<unsigned char*>(
        ::mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(area, MAP_FAILED);
    for (size_t i = 0; i < page; ++i)
        area[i] = static_cast<unsigned char>(i * 7);
    ASSERT_EQ(::mprotect(area + page, page, PROT_NONE), 0);

    std::vector<unsigned char> out(64, 0xEE);
    EXPECT_EQ(reader.Read(reinterpret_cast<uintptr_t>(area + page - 40), out.data(), 64), 40u);
    EXPECT_EQ(std::memcmp(out.data(), area + page - 40, 40), 0);
    EXPECT_EQ(out[40], 0xEE);
    EXPECT_EQ(reader.Read(reinterpret_cast<uintptr_t>(area + page), out.data(), 16), 0u);
    EXPECT_FALSE(reader.ReadAll(16, out.data(), 4));
    // A long read crosses pages one at a time and comes back whole.
    std::vector<unsigned char> big(3 * page + 5);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<unsigned char>(i ^ 0x5A);
    std::vector<unsigned char> copy(big.size());
    EXPECT_TRUE(reader.ReadAll(reinterpret_cast<uintptr_t>(big.data()), copy.data(), copy.size()));
    EXPECT_EQ(copy, big);
    ::munmap(area, 2 * page);
}

// The maps lines are the handler's only view of the modules: odd paths, anonymous areas,
// overlong lines and a missing last line feed must all parse or be passed over.
TEST(CrashModules, MapsLinesParse)
{
    char line1[] =
        "55d4c3a1b000-55d4c3a1d000 r-xp 00002000 fe:01 1234567                    /opt/my app/lib x.so";
    CCrashMapping m;
    ASSERT_TRUE(CCrashMapsReader::ParseLine(line1, strlen(line1), m));
    EXPECT_EQ(m.start, 0x55d4c3a1b000u);
    EXPECT_EQ(m.end, 0x55d4c3a1d000u);
    EXPECT_STREQ(m.perms, "r-xp");
    EXPECT_EQ(m.offset, 0x2000u);
    EXPECT_EQ(m.inode, 1234567u);
    EXPECT_STREQ(m.path, "/opt/my app/lib x.so");
    char line2[] = "7ffd2fba4000-7ffd2fbc5000 rw-p 00000000 00:00 0";
    ASSERT_TRUE(CCrashMapsReader::ParseLine(line2, strlen(line2), m));
    EXPECT_STREQ(m.path, "");
    for (const char* bad : {"", "zz-10 r-xp 0 0:0 0", "1000-2000 r-x", "2000-1000 r-xp 00000000 00:00 0"}) {
        char copy[64];
        std::strcpy(copy, bad);
        EXPECT_FALSE(CCrashMapsReader::ParseLine(copy, strlen(copy), m)) << bad;
    }

    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/maps");
    QByteArray text = "1000-2000 r--p 00000000 08:01 11 /lib/a.so\n";
    text += "2000-3000 r-xp 00001000 08:01 11 /lib/a.so (deleted)\n";
    text += "3000-4000 rw-p 00000000 00:00 0 /" + QByteArray(PATH_MAX + 1000, 'x') + "\n"; // too long
    text += "4000-5000 r--p 00000000 00:00 0 [vdso]";                                      // no line feed
    corda::test::WriteAll(path, text);
    CCrashMapsReader reader;
    ASSERT_TRUE(reader.Open(QFile::encodeName(path).constData()));
    QStringList seen;
    while (reader.Next(m))
        seen << QString::asprintf("%lx %s", static_cast<unsigned long>(m.start), m.path);
    EXPECT_EQ(seen, QStringList({QStringLiteral("1000 /lib/a.so"), QStringLiteral("2000 /lib/a.so (deleted)"),
                                 QStringLiteral("4000 [vdso]")}));
}

namespace {

struct PhdrModule {
    std::string name;
    uintptr_t base;
};

int CollectModule(dl_phdr_info* info, size_t, void* data)
{
    auto* modules = static_cast<std::vector<PhdrModule>*>(data);
    uintptr_t low = UINTPTR_MAX;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        if (info->dlpi_phdr[i].p_type == PT_LOAD &&
            info->dlpi_addr + (info->dlpi_phdr[i].p_vaddr & ~4095ul) < low)
            low = info->dlpi_addr + (info->dlpi_phdr[i].p_vaddr & ~4095ul);
    }
    const char* name = info->dlpi_name && *info->dlpi_name ? info->dlpi_name : "";
    modules->push_back({name, low});
    return 0;
}

// A module as the visitor saw it: its texts live in the enumerator only during the visit.
struct CollectedModule {
    std::string path;
    uintptr_t base, end;
};

bool CollectVisitor(const CCrashModule& module, void* data)
{
    static_cast<std::vector<CollectedModule>*>(data)->push_back({module.path, module.base, module.end});
    return true;
}

} // namespace

// The modules found from the maps must be the loader's own list: same images, same bases.
TEST(CrashModules, ModulesFromMapsMatchTheLoader)
{
    CSafeMemoryReader memory;
    ASSERT_TRUE(memory.Open());
    auto enumerator = std::make_unique<CCrashModuleEnumerator>(memory);
    std::vector<CollectedModule> modules;
    ASSERT_TRUE(enumerator->Run(CollectVisitor, &modules));
    std::vector<PhdrModule> loaded;
    dl_iterate_phdr(CollectModule, &loaded);
    ASSERT_GT(loaded.size(), 3u);
    for (const PhdrModule& module : loaded) {
        bool found = false;
        for (const CollectedModule& candidate : modules)
            found = found || candidate.base == module.base;
        EXPECT_TRUE(found) << module.name << " at " << std::hex << module.base;
    }

    char name[256] = "untouched";
    ASSERT_TRUE(enumerator->FindModuleName(reinterpret_cast<uintptr_t>(&LocalFunction), name, sizeof name));
    char self[PATH_MAX] = {};
    ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
    EXPECT_STREQ(name, CrashFileNamePart(self));
    auto heap = std::make_unique<int>(5);
    std::strcpy(name, "untouched");
    EXPECT_FALSE(enumerator->FindModuleName(reinterpret_cast<uintptr_t>(heap.get()), name, sizeof name));
    EXPECT_STREQ(name, "untouched");
}

// The stack dump's end: the stack's own mapping, the one above an overflowed guard, or the
// limit, never memory past the stack.
TEST(CrashModules, StackEndFollowsTheMappings)
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.path() + QStringLiteral("/maps"));
    corda::test::WriteAll(QString::fromUtf8(path), "10000-11000 ---p 00000000 00:00 0\n"
                                                   "11000-20000 rw-p 00000000 00:00 0\n"
                                                   "30000-38000 rw-p 00000000 00:00 0 [stack]\n");
    CCrashMapsReader maps;
    EXPECT_EQ(CrashFindStackEnd(maps, 0x1F000, 12288, path.constData()), 0x20000u); // within the mapping
    EXPECT_EQ(CrashFindStackEnd(maps, 0x12000, 12288, path.constData()), 0x15000u); // the limit is lower
    EXPECT_EQ(CrashFindStackEnd(maps, 0x10800, 65536, path.constData()), 0x20000u); // in the guard
    EXPECT_EQ(CrashFindStackEnd(maps, 0x2F000, 65536, path.constData()), 0x38000u); // below the stack
    EXPECT_EQ(CrashFindStackEnd(maps, 0x40000, 65536, path.constData()), 0x40000u); // above everything
    EXPECT_EQ(CrashFindStackEnd(maps, 0x1000, 12288, "/nonexistent/maps"), 0x1000u);
}

// The build id and the version strings, read with signal-safe calls, must be what the
// independent readers (readelf, CModuleVersion) find; a damaged block gives none.
TEST(CrashModules, ImageHeadersAndVersionBlockMatchIndependentReaders)
{
    CSafeMemoryReader memory;
    ASSERT_TRUE(memory.Open());
    const QString library =
        CModuleVersion::GetModuleFilePath(reinterpret_cast<HMODULE>(&AfxGetQVSystemStringTable));
    ASSERT_TRUE(library.contains(QStringLiteral("libqvsystem.so"))) << library.toStdString();
    auto enumerator = std::make_unique<CCrashModuleEnumerator>(memory);
    std::vector<CollectedModule> modules;
    enumerator->Run(CollectVisitor, &modules);
    const CollectedModule* qvsystem = nullptr;
    for (const CollectedModule& module : modules) {
        if (QFile::decodeName(module.path.c_str()) == QFileInfo(library).canonicalFilePath())
            qvsystem = &module;
    }
    ASSERT_NE(qvsystem, nullptr);
    auto image = std::make_unique<CCrashElfImage>();
    ASSERT_TRUE(CrashReadElfImage(memory, qvsystem->base, *image));
    EXPECT_GE(image->imageSize, qvsystem->end - qvsystem->base - 4096);
    QString buildId;
    for (size_t i = 0; i < image->buildIdLength; ++i)
        buildId += QString::asprintf("%02x", image->buildId[i]);
    const QString readelf =
        QString::fromUtf8(corda::test::RunCommand(QStringLiteral("readelf -n '%1'").arg(library)));
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("Build ID: ([0-9a-f]+)")).match(readelf);
    ASSERT_TRUE(match.hasMatch());
    EXPECT_EQ(buildId, match.captured(1));
    EXPECT_FALSE(CrashReadElfImage(memory, 16, *image));

    auto block = std::make_unique<CCrashVersionBlock>();
    ASSERT_TRUE(block->Load(QFile::encodeName(library).constData()));
    CModuleVersion reference;
    ASSERT_TRUE(reference.Load(library));
    EXPECT_EQ(block->GetLanguage(), reference.GetLanguage());
    for (const char* name : {"Comments", "CompanyName", "FileDescription", "FileVersion", "InternalName",
                             "LegalCopyright", "LegalTrademarks", "OriginalFileName", "ProductName",
                             "ProductVersion", "PrivateBuild", "SpecialBuild", "companyname"}) {
        QString expected;
        const bool present = reference.GetSubBlockValue(QString::fromLatin1(name), expected);
        size_t length = 0;
        const char* value = block->FindString(name, &length);
        ASSERT_EQ(value != nullptr, present) << name;
        if (value) {
            EXPECT_EQ(QString::fromUtf8(value, static_cast<qsizetype>(length)), expected) << name;
        }
    }

    // The same file with the block's size field pointing past the section, then cut short.
    QTemporaryDir dir;
    QByteArray bytes = corda::test::ReadAll(library);
    // The record, not the reader's copy of its magic: layout 1 and the signature follow it.
    qsizetype at = -1;
    for (qsizetype from = bytes.indexOf("QVVERBLK"); from >= 0 && at < 0;
         from = bytes.indexOf("QVVERBLK", from + 1)) {
        if (bytes.mid(from + 12, 8) == QByteArray("\x01\x00\x00\x00\xbd\x04\xef\xfe", 8))
            at = from;
    }
    ASSERT_GT(at, 0);
    QByteArray damaged = bytes;
    damaged[at + 9] = '\x7f';
    const QString damagedPath = dir.path() + QStringLiteral("/damaged.so");
    corda::test::WriteAll(damagedPath, damaged);
    EXPECT_FALSE(block->Load(QFile::encodeName(damagedPath).constData()));
    const QString cutPath = dir.path() + QStringLiteral("/cut.so");
    corda::test::WriteAll(cutPath, bytes.left(at + 40));
    EXPECT_FALSE(block->Load(QFile::encodeName(cutPath).constData()));
    EXPECT_FALSE(block->Load("/proc/self/status"));
    EXPECT_FALSE(block->IsLoaded());
}

// Locale names, locale files and /proc texts as the machine block reads them.
TEST(CrashMachineInfo, LanguagesAndMemoryFigures)
{
    EXPECT_EQ(CrashLanguageIdFromLocale("de_AT.UTF-8@euro"), 0x0C07);
    EXPECT_EQ(CrashLanguageIdFromLocale("de"), 0x0407);
    EXPECT_EQ(CrashLanguageIdFromLocale("en_XX.UTF-8"), 0x0409); // unknown territory: the main one
    EXPECT_EQ(CrashLanguageIdFromLocale("pt_PT"), 0x0816);
    EXPECT_EQ(CrashLanguageIdFromLocale("pt"), 0x0416);
    EXPECT_EQ(CrashLanguageIdFromLocale("C.UTF-8"), CRASH_LANGUAGE_INVARIANT);
    EXPECT_EQ(CrashLanguageIdFromLocale("POSIX"), CRASH_LANGUAGE_INVARIANT);
    EXPECT_EQ(CrashLanguageIdFromLocale(""), CRASH_LANGUAGE_INVARIANT);
    EXPECT_EQ(CrashLanguageIdFromLocale("tlh_XX"), CRASH_LANGUAGE_UNSPECIFIED);

    char value[64];
    CrashLocaleFromFileText("# set by the installer\n  LANG=\"fr_CA.UTF-8\"\nLANGUAGE=fr\n", value,
                            sizeof value);
    EXPECT_STREQ(value, "fr_CA.UTF-8");
    CrashLocaleFromFileText("LC_ALL=C\n", value, sizeof value);
    EXPECT_STREQ(value, "");
    CrashPrettyNameFromOsRelease("NAME=\"Debian\"\nPRETTY_NAME='Debian GNU/Linux 12 (bookworm)'\n", value,
                                 sizeof value);
    EXPECT_STREQ(value, "Debian GNU/Linux 12 (bookworm)");

    const char meminfo[] =
        "MemTotal:        8000000 kB\nMemFree:          100000 kB\nMemAvailable:    2000000 kB\n"
        "CommitLimit:     4000000 kB\nCommitted_AS:    5000000 kB\n";
    const char status[] = "Name:\tx\nVmPeak:\t 999999 kB\nVmSize:\t  1048576 kB\n";
    CCrashMemoryStatus memory;
    CrashMemoryStatusFromTexts(memory, meminfo, sizeof meminfo - 1, status, sizeof status - 1);
    EXPECT_EQ(memory.memoryLoad, 75);
    EXPECT_EQ(memory.physicalMemory, 7813u);     // 8000000 kB rounded up to megabytes
    EXPECT_EQ(memory.physicalMemoryFree, 1954u); // MemAvailable, not MemFree
    EXPECT_EQ(memory.pagingFile, 3907u);
    EXPECT_EQ(memory.pagingFileFree, 0u); // more promised than the limit
    EXPECT_EQ(memory.userAddressSpace, 134217728u);
    EXPECT_EQ(memory.userAddressSpaceFree, 134217728u - 1024u);
    const char old[] = "MemTotal: 1 kB\nMemFree: 1 kB\n";
    CrashMemoryStatusFromTexts(memory, old, sizeof old - 1, "", 0);
    EXPECT_EQ(memory.physicalMemory, 1u);
    EXPECT_EQ(memory.physicalMemoryFree, 1u);
    EXPECT_EQ(memory.memoryLoad, 0);
    EXPECT_EQ(memory.pagingFile, 0u);
}

namespace {

siginfo_t MakeInfo(int signal, int code, uintptr_t address)
{
    siginfo_t info = {};
    info.si_signo = signal;
    info.si_code = code;
    info.si_addr = reinterpret_cast<void*>(address);
    return info;
}

ucontext_t MakeContext(uintptr_t rip, uintptr_t rsp, long trap, long error)
{
    ucontext_t context = {};
    context.uc_mcontext.gregs[REG_RIP] = static_cast<greg_t>(rip);
    context.uc_mcontext.gregs[REG_RSP] = static_cast<greg_t>(rsp);
    context.uc_mcontext.gregs[REG_TRAPNO] = trap;
    context.uc_mcontext.gregs[REG_ERR] = error;
    context.uc_mcontext.gregs[REG_CSGSFS] = static_cast<greg_t>(0x002B000000000033ull);
    return context;
}

} // namespace

// Each signal must get the exception code (and the parameters) that says what happened:
// a stack overflow is no plain access violation, and a sent signal carries no address.
TEST(CrashReport, SignalsBecomeExceptionCodes)
{
    CCrashFault fault;
    const uintptr_t sp = 0x7ffd00010000;
    ucontext_t write = MakeContext(0x401000, sp, 14, 0x6); // page fault, write, user
    siginfo_t info = MakeInfo(SIGSEGV, SEGV_MAPERR, 0);
    CrashFaultFromSignal(SIGSEGV, &info, &write, fault);
    EXPECT_EQ(fault.exceptionCode, CRASH_ACCESS_VIOLATION);
    EXPECT_EQ(fault.parameterCount, 2u);
    EXPECT_EQ(fault.parameters[0], 1u);
    EXPECT_EQ(fault.registers.cs, 0x33u);
    EXPECT_EQ(fault.registers.ss, 0x2Bu);
    EXPECT_EQ(fault.instructionPointer, 0x401000u);

    ucontext_t fetch = MakeContext(0x10, sp, 14, 0x14); // instruction fetch
    info = MakeInfo(SIGSEGV, SEGV_MAPERR, 0x10);
    CrashFaultFromSignal(SIGSEGV, &info, &fetch, fault);
    EXPECT_EQ(fault.parameters[0], 8u);
    EXPECT_EQ(fault.parameters[1], 0x10u);

    info = MakeInfo(SIGSEGV, SEGV_MAPERR, sp - 8);
    CrashFaultFromSignal(SIGSEGV, &info, &write, fault);
    EXPECT_EQ(fault.exceptionCode, CRASH_STACK_OVERFLOW);

    info = MakeInfo(SIGSEGV, SI_USER, 0);
    CrashFaultFromSignal(SIGSEGV, &info, &write, fault);
    EXPECT_EQ(fault.exceptionCode, CRASH_ACCESS_VIOLATION);
    EXPECT_EQ(fault.parameterCount, 0u);

    const struct {
        int signal, code;
        uint32_t expected;
    } cases[] = {
        {SIGFPE, FPE_INTDIV, 0xC0000094},          {SIGFPE, FPE_FLTINV, 0xC0000090},
        {SIGFPE, SI_USER, 0xE0000000 | SIGFPE},    {SIGILL, ILL_ILLOPN, CRASH_ILLEGAL_INSTRUCTION},
        {SIGILL, ILL_PRVOPC, 0xC0000096},          {SIGBUS, BUS_ADRALN, CRASH_DATATYPE_MISALIGNMENT},
        {SIGBUS, BUS_ADRERR, CRASH_IN_PAGE_ERROR}, {SIGABRT, SI_TKILL, CRASH_FATAL_APP_EXIT},
    };
    for (const auto& c : cases) {
        info = MakeInfo(c.signal, c.code, 0x1234);
        CrashFaultFromSignal(c.signal, &info, &write, fault);
        EXPECT_EQ(fault.exceptionCode, c.expected) << c.signal << " " << c.code;
    }
    EXPECT_STREQ(CrashExceptionDescription(0xC0000094), "an Integer Divide by Zero");
    EXPECT_STREQ(CrashExceptionDescription(0xE06D7363), "a Microsoft C++ Exception");
    EXPECT_STREQ(CrashExceptionDescription(0xE0000000 | SIGFPE), "an Unknown exception type");
    EXPECT_STREQ(CrashExceptionDescription(0), "an Unknown exception type");
}

// Names and ids that appear in the report and its file name.
TEST(CrashReport, ModuleNamesAndReportIds)
{
    const struct {
        const char* name;
        const char* expected;
    } names[] = {{"libc.so.6", "libc"},    {"libQt6Core.so.6.4.2", "libQt6Core"},
                 {"libfoo.so", "libfoo"},  {"libsonic.sound.so.1", "libsonic.sound"},
                 {"cordalib", "cordalib"}, {"faultpost.exe", "faultpost"},
                 {".hidden", ".hidden"},   {"Unknown", "Unknown"}};
    for (const auto& n : names) {
        char out[64];
        CCrashReporter::ModuleNameWithoutExtension(n.name, out, sizeof out);
        EXPECT_STREQ(out, n.expected) << n.name;
    }
    const unsigned char guid[16] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                                    0x00, 0x10, 0xF0, 0xFF, 0x7A, 0xA7, 0x55, 0x0F};
    char id[33];
    CCrashReporter::FormatReportId(guid, id);
    EXPECT_STREQ(id, "0123456789ABCDEF0010F0FF7AA7550F");
}

namespace {

// A reporter writing the text of a made-up fault whose stack is a buffer of ours.
struct MadeUpReport {
    explicit MadeUpReport(size_t stackBytes, uint32_t code = CRASH_ACCESS_VIOLATION, uint32_t parameters = 2)
    {
        for (size_t i = 0; i < sizeof stack; ++i)
            stack[i] = static_cast<unsigned char>(i < 4 ? "]]>A"[i] : 'a' + i % 26);
        fault.exceptionCode = code;
        fault.parameterCount = parameters;
        fault.parameters[1] = 0x123;
        fault.registers.valid = true;
        fault.registers.cs = 0x33;
        fault.instructionPointer = reinterpret_cast<uintptr_t>(&LocalFunction);
        fault.registers.rip = fault.instructionPointer;
        fault.stackPointer = reinterpret_cast<uintptr_t>(stack);
        fault.stackEnd = fault.stackPointer + stackBytes;
    }
    QString Write(const char* module)
    {
        WriterFile file;
        auto reporter = std::make_unique<CCrashReporter>();
        EXPECT_TRUE(reporter->Prepare());
        reporter->WriteReportText(file.writer(), fault, CRASH_FILTER_NAME, "00000000000000000000000000000000",
                                  {2024, 2, 29, 23, 59, 58}, module);
        return file.Text();
    }
    alignas(16) unsigned char stack[64];
    CCrashFault fault;
};

QStringList StackLines(const QString& report)
{
    // Through the parser: a "]]>" in the dump's text is split in the file.
    return ElementText(report, QStringLiteral("stack")).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

// A stack that ends within a line: the words stop at the end and the text column of the
// short line stays where full lines have it.
TEST(CrashReport, StackDumpStopsAtTheEndAndPadsTheLastLine)
{
    for (size_t bytes : {16u, 20u, 24u, 28u, 35u, 3u}) {
        MadeUpReport made(bytes);
        const QStringList lines = StackLines(made.Write("cordalib"));
        const size_t words = bytes / 4;
        ASSERT_EQ(static_cast<size_t>(lines.size()), (words + 3) / 4) << bytes;
        if (lines.isEmpty())
            continue;
        const QString last = lines.last();
        const QString address = QString::asprintf(
            "0x%08llx: ", static_cast<unsigned long long>(made.fault.stackPointer + 16 * (lines.size() - 1)));
        EXPECT_TRUE(last.startsWith(address)) << last.toStdString();
        const size_t inLast = words - 4 * (lines.size() - 1);
        EXPECT_EQ(last.size(), address.size() + 36 + 4 * static_cast<qsizetype>(inLast)) << bytes;
        EXPECT_EQ(last.mid(address.size() + 9 * inLast, 9 * (4 - inLast)),
                  QString(9 * (4 - inLast), QLatin1Char(' ')));
        if (lines.size() == 1) {
            EXPECT_TRUE(last.startsWith(address + QStringLiteral("413e5d5d ")));
        }
    }
}

// The report's text around the dump: an access violation without its address has no
// debug message, an unknown code is named so, a module name with XML's own characters and
// a "]]>" in the stack's text leave the report readable, and the order of the parts holds.
TEST(CrashReport, ReportTextOfMadeUpFaults)
{
    MadeUpReport plain(32);
    const QString report = plain.Write("lib<odd>&.so.1");
    ASSERT_TRUE(ParsesAsXml(report)) << report.left(4000).toStdString();
    EXPECT_EQ(ElementText(report, QStringLiteral("faultingModule")), QStringLiteral("lib<odd>&.so.1"));
    EXPECT_EQ(ElementText(report, QStringLiteral("date")), QStringLiteral("2024-02-29T23:59:58"));
    EXPECT_EQ(
        ElementText(report, QStringLiteral("errorMessage")),
        QString::asprintf("lib<odd>& caused an Access Violation (0xc0000005) \nin module lib<odd>&.so.1 at "
                          "0033:%08llx.",
                          static_cast<unsigned long long>(plain.fault.instructionPointer)));
    EXPECT_EQ(ElementText(report, QStringLiteral("debugMessage")),
              QStringLiteral("Read from location 0x00000123 caused an access violation.\n\n"));
    EXPECT_TRUE(ElementText(report, QStringLiteral("stack")).contains(QStringLiteral("]]>A")));
    const QStringList order = {QStringLiteral("<exceptionFilterName>"),
                               QStringLiteral("<errorMessage>"),
                               QStringLiteral("<debugMessage>"),
                               QStringLiteral("<processors>"),
                               QStringLiteral("<registers>"),
                               QStringLiteral("<eip>"),
                               QStringLiteral("<stack>"),
                               QStringLiteral("<module number=\"1\">"),
                               QStringLiteral("</errorReport>")};
    qsizetype previous = -1;
    for (const QString& tag : order) {
        const qsizetype at = report.indexOf(tag);
        EXPECT_GT(at, previous) << tag.toStdString();
        previous = at;
    }
    EXPECT_TRUE(report.endsWith(QStringLiteral("</module>\r\n</errorReport>")));

    MadeUpReport oneParameter(32, CRASH_ACCESS_VIOLATION, 1);
    const QString short1 = oneParameter.Write("cordalib");
    EXPECT_FALSE(short1.contains(QStringLiteral("<debugMessage>")));
    MadeUpReport unknown(32, 0x12345678, 0);
    EXPECT_TRUE(ElementText(unknown.Write("cordalib"), QStringLiteral("errorMessage"))
                    .startsWith(QStringLiteral("cordalib caused an Unknown exception type (0x12345678)")));
}

// The writer runs once per process; a second fault must not write a second report over the
// first, and with no sender anywhere the answer is "not started".
TEST(CrashReport, WriterRunsOnceAndReportsNoSender)
{
    QTemporaryDir dir;
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path()));
    qputenv("PATH", QFile::encodeName(dir.path() + QStringLiteral("/nothing-here")));
    auto reporter = std::make_unique<CCrashReporter>();
    const bool prepared = reporter->Prepare();
    qputenv("XDG_DATA_HOME", oldData);
    qputenv("PATH", oldPath);
    ASSERT_TRUE(prepared);
    EXPECT_EQ(QString::fromUtf8(reporter->GetLogFolder()),
              dir.path() + QStringLiteral("/Corda Software/Corda Librarian/1.0/Logs"));

    MadeUpReport made(64);
    made.fault.stackEnd = 0; // the writer finds the end itself
    made.fault.stackPointer = reinterpret_cast<uintptr_t>(&made);
    EXPECT_FALSE(reporter->WriteReport(made.fault, CRASH_FILTER_NAME));
    const QString first = QString::fromUtf8(reporter->GetLastReportPath());
    ASSERT_TRUE(QFile::exists(first));
    EXPECT_TRUE(QFileInfo(first).fileName().contains(
        QRegularExpression(QStringLiteral("\\Aerrorreport-[0-9A-F]{32}\\.xml\\z"))));
    EXPECT_EQ(QFile(first).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    const QByteArray bytes = corda::test::ReadAll(first);
    ASSERT_TRUE(bytes.startsWith("\xff\xfe"));
    const QString text(reinterpret_cast<const QChar*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    EXPECT_TRUE(ParsesAsXml(text));
    EXPECT_FALSE(StackLines(text).isEmpty());

    EXPECT_FALSE(reporter->WriteReport(made.fault, CRASH_FILTER_NAME));
    EXPECT_EQ(QDir(QString::fromUtf8(reporter->GetLogFolder())).entryList(QDir::Files).size(), 1);
}
