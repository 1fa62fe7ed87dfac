#include "cordalib/app/CrashReport.h"

#include "qvsystem/system/ApplicationDataFolders.h"

#include <QFile>
#include <QString>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <ucontext.h>
#include <unistd.h>

extern char** environ;

namespace {

struct ExceptionName {
    uint32_t code;
    const char* description;
};

// Searched in order. The last entry is ours: abort() has no exception of its own on
// Windows, and "an Unknown exception type" would hide the commonest crash of all.
constexpr ExceptionName EXCEPTION_NAMES[] = {
    {0x40010005, "a Control-C"},
    {0x40010008, "a Control-Break"},
    {0x80000002, "a Datatype Misalignment"},
    {0x80000003, "a Breakpoint"},
    {0xC0000005, "an Access Violation"},
    {0xC0000006, "an In Page Error"},
    {0xC0000017, "a No Memory"},
    {0xC000001D, "an Illegal Instruction"},
    {0xC0000025, "a Noncontinuable Exception"},
    {0xC0000026, "an Invalid Disposition"},
    {0xC000008C, "a Array Bounds Exceeded"},
    {0xC000008D, "a Float Denormal Operand"},
    {0xC000008E, "a Float Divide by Zero"},
    {0xC000008F, "a Float Inexact Result"},
    {0xC0000090, "a Float Invalid Operation"},
    {0xC0000091, "a Float Overflow"},
    {0xC0000092, "a Float Stack Check"},
    {0xC0000093, "a Float Underflow"},
    {0xC0000094, "an Integer Divide by Zero"},
    {0xC0000095, "an Integer Overflow"},
    {0xC0000096, "a Privileged Instruction"},
    {0xC00000FD, "a Stack Overflow"},
    {0xC0000142, "a DLL Initialization Failed"},
    {0xE06D7363, "a Microsoft C++ Exception"},
    {CRASH_FATAL_APP_EXIT, "a Fatal Application Exit"},
};

constexpr int CRASH_SIGNALS[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr size_t SIGNAL_COUNT = sizeof CRASH_SIGNALS / sizeof CRASH_SIGNALS[0];

// The twelve version strings in report order, with their elements.
struct VersionString {
    const char* name;
    const char* openTag;
    const char* closeTag;
};
constexpr VersionString VERSION_STRINGS[] = {
    {"Comments", "<comments>", "</comments>\r\n"},
    {"CompanyName", "<companyName>", "</companyName>\r\n"},
    {"FileDescription", "<fileDescription>", "</fileDescription>\r\n"},
    {"FileVersion", "<fileVersion>", "</fileVersion>\r\n"},
    {"InternalName", "<internalName>", "</internalName>\r\n"},
    {"LegalCopyright", "<legalCopyright>", "</legalCopyright>\r\n"},
    {"LegalTrademarks", "<legalTrademarks>", "</legalTrademarks>\r\n"},
    {"OriginalFileName", "<originalFileName>", "</originalFileName>\r\n"},
    {"ProductName", "<productName>", "</productName>\r\n"},
    {"ProductVersion", "<productVersion>", "</productVersion>\r\n"},
    {"PrivateBuild", "<privateBuild>", "</privateBuild>\r\n"},
    {"SpecialBuild", "<specialBuild>", "</specialBuild>\r\n"},
};

// Bytes 0x80 to 0x9F in Windows-1252, the code page the program's texts are in; the rest
// of the upper half is Latin-1.
constexpr uint16_t CP1252_HIGH[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

uint16_t DumpCharacter(unsigned char byte)
{
    if (byte < 32 || byte == 127)
        return '.';
    if (byte >= 0x80 && byte <= 0x9F)
        return CP1252_HIGH[byte - 0x80];
    return byte;
}

bool IsExecutableFile(const char* path)
{
    struct stat status;
    return ::access(path, X_OK) == 0 && ::stat(path, &status) == 0 && S_ISREG(status.st_mode);
}

struct ModuleListContext {
    CCrashReporter* reporter;
    CCrashReportWriter* writer;
};

CCrashReporter* g_reporter = nullptr;
std::atomic<bool> g_filterEntered{false};
std::atomic<bool> g_installed{false};
struct sigaction g_previous[SIGNAL_COUNT];
static_assert(std::atomic<bool>::is_always_lock_free, "the handler's flags must be lock-free");

void RestorePreviousAction(int signal)
{
    for (size_t i = 0; i < SIGNAL_COUNT; ++i) {
        if (CRASH_SIGNALS[i] == signal)
            ::sigaction(signal, &g_previous[i], nullptr);
    }
}

void CrashSignalHandler(int signal, siginfo_t* info, void* context)
{
    const int savedErrno = errno;
    if (g_filterEntered.exchange(true)) {
        // Another thread faulted while the first writes its report. That one ends the
        // process when it is done; ending it here would cut the report short. A fault in
        // the writing thread itself never comes here: the signals are blocked while it
        // writes, so the kernel ends the process at once.
        for (int i = 0; i < 300; ++i) {
            const timespec pause = {0, 100 * 1000 * 1000};
            ::nanosleep(&pause, nullptr);
        }
        ::_exit(128 + signal);
    }
    CCrashFault fault;
    CrashFaultFromSignal(signal, info, context, fault);
    if (g_reporter && g_reporter->WriteReport(fault, CRASH_FILTER_NAME))
        ::_exit(128 + signal);
    // The system's own handling follows: the signal, blocked while we run, is delivered
    // again to the previous disposition as soon as the handler returns.
    RestorePreviousAction(signal);
    ::raise(signal);
    errno = savedErrno;
}

} // namespace

const char* CrashExceptionDescription(uint32_t code)
{
    for (const ExceptionName& entry : EXCEPTION_NAMES) {
        if (entry.code == code)
            return entry.description;
    }
    return "an Unknown exception type";
}

void CrashFaultFromSignal(int signal, const siginfo_t* info, const void* context, CCrashFault& fault)
{
    fault = CCrashFault();
    fault.signal = signal;
    fault.signalCode = info ? info->si_code : 0;
    // Only the kernel's own signals carry a cause and an address; a signal sent by a
    // process (si_code <= 0) has neither.
    const bool fromKernel = info && info->si_code > 0;
    const uintptr_t address = fromKernel ? reinterpret_cast<uintptr_t>(info->si_addr) : 0;
    uint64_t accessKind = 0;
#if defined(__x86_64__)
    if (context) {
        const greg_t* g = static_cast<const ucontext_t*>(context)->uc_mcontext.gregs;
        CCrashRegisters& r = fault.registers;
        r.valid = true;
        r.rdi = static_cast<uint64_t>(g[REG_RDI]);
        r.rsi = static_cast<uint64_t>(g[REG_RSI]);
        r.rax = static_cast<uint64_t>(g[REG_RAX]);
        r.rbx = static_cast<uint64_t>(g[REG_RBX]);
        r.rcx = static_cast<uint64_t>(g[REG_RCX]);
        r.rdx = static_cast<uint64_t>(g[REG_RDX]);
        r.rip = static_cast<uint64_t>(g[REG_RIP]);
        r.rbp = static_cast<uint64_t>(g[REG_RBP]);
        r.rsp = static_cast<uint64_t>(g[REG_RSP]);
        r.r8 = static_cast<uint64_t>(g[REG_R8]);
        r.r9 = static_cast<uint64_t>(g[REG_R9]);
        r.r10 = static_cast<uint64_t>(g[REG_R10]);
        r.r11 = static_cast<uint64_t>(g[REG_R11]);
        r.r12 = static_cast<uint64_t>(g[REG_R12]);
        r.r13 = static_cast<uint64_t>(g[REG_R13]);
        r.r14 = static_cast<uint64_t>(g[REG_R14]);
        r.r15 = static_cast<uint64_t>(g[REG_R15]);
        r.eflags = static_cast<uint32_t>(g[REG_EFL]);
        const uint64_t segments = static_cast<uint64_t>(g[REG_CSGSFS]); // cs, gs, fs, ss
        r.cs = static_cast<uint32_t>(segments & 0xFFFF);
        r.ss = static_cast<uint32_t>((segments >> 48) & 0xFFFF);
        fault.instructionPointer = static_cast<uintptr_t>(r.rip);
        fault.stackPointer = static_cast<uintptr_t>(r.rsp);
        // A page fault's error code: bit 1 a write, bit 4 an instruction fetch.
        const uint64_t error = static_cast<uint64_t>(g[REG_ERR]);
        if (g[REG_TRAPNO] == 14)
            accessKind = (error & 0x10) != 0 ? 8 : (error & 0x2) != 0 ? 1 : 0;
    }
#else
    (void)context; // no register layout known here: the report carries no registers
#endif
    const uintptr_t sp = fault.stackPointer;
    switch (signal) {
    case SIGSEGV: {
        // A fault just below the stack pointer is the stack running into its guard.
        const bool nearStack =
            fromKernel && sp != 0 && (address > sp ? address - sp <= 256 : sp - address <= 65536);
        fault.exceptionCode = nearStack ? CRASH_STACK_OVERFLOW : CRASH_ACCESS_VIOLATION;
        break;
    }
    case SIGBUS:
        fault.exceptionCode = fromKernel && info->si_code == BUS_ADRALN ? CRASH_DATATYPE_MISALIGNMENT
                              : fromKernel                              ? CRASH_IN_PAGE_ERROR
                                                                        : CRASH_SIGNAL_CODE_BASE | SIGBUS;
        break;
    case SIGILL:
        fault.exceptionCode = fromKernel && (info->si_code == ILL_PRVOPC || info->si_code == ILL_PRVREG)
                                  ? CRASH_PRIVILEGED_INSTRUCTION
                                  : CRASH_ILLEGAL_INSTRUCTION;
        break;
    case SIGFPE:
        switch (fromKernel ? info->si_code : 0) {
        case FPE_INTDIV:
            fault.exceptionCode = 0xC0000094;
            break;
        case FPE_INTOVF:
            fault.exceptionCode = 0xC0000095;
            break;
        case FPE_FLTDIV:
            fault.exceptionCode = 0xC000008E;
            break;
        case FPE_FLTOVF:
            fault.exceptionCode = 0xC0000091;
            break;
        case FPE_FLTUND:
            fault.exceptionCode = 0xC0000093;
            break;
        case FPE_FLTRES:
            fault.exceptionCode = 0xC000008F;
            break;
        case FPE_FLTINV:
            fault.exceptionCode = 0xC0000090;
            break;
        case FPE_FLTSUB:
            fault.exceptionCode = 0xC000008C;
            break;
        default:
            fault.exceptionCode = CRASH_SIGNAL_CODE_BASE | SIGFPE;
            break;
        }
        break;
    case SIGABRT:
        fault.exceptionCode = CRASH_FATAL_APP_EXIT;
        break;
    default:
        fault.exceptionCode = CRASH_SIGNAL_CODE_BASE | static_cast<uint32_t>(signal & 0xFF);
        break;
    }
    if (fromKernel && (signal == SIGSEGV || (signal == SIGBUS && info->si_code != BUS_ADRALN))) {
        fault.parameterCount = 2;
        fault.parameters[0] = accessKind;
        fault.parameters[1] = address;
    }
}

CCrashReporter::CCrashReporter() : m_modules(m_memory) {}

CCrashReporter::~CCrashReporter()
{
    if (m_spawnReady) {
        posix_spawnattr_destroy(&m_spawnAttributes);
        posix_spawn_file_actions_destroy(&m_spawnActions);
    }
}

bool CCrashReporter::Prepare()
{
    const ssize_t length = ::readlink("/proc/self/exe", m_programPath, sizeof m_programPath - 1);
    if (length <= 0)
        return false;
    m_programPath[length] = '\0';
    CrashCopyText(m_programFolder, sizeof m_programFolder, m_programPath);
    if (char* slash = strrchr(m_programFolder, '/'))
        *slash = '\0';

    // PATH as it is now: getenv is not safe in a handler, and a PATH cut in the middle of
    // an entry would name a folder that does not exist.
    m_searchPath[0] = '\0';
    if (const char* path = std::getenv("PATH")) {
        CrashCopyText(m_searchPath, sizeof m_searchPath, path);
        if (strlen(path) >= sizeof m_searchPath) {
            if (char* colon = strrchr(m_searchPath, ':'))
                *colon = '\0';
        }
    }

    const CApplicationDataFolders folders(QString::fromLatin1(CRASH_COMPANY_NAME),
                                          QString::fromLatin1(CRASH_PRODUCT_NAME),
                                          QString::fromLatin1(CRASH_PRODUCT_VERSION));
    QString folder;
    if (!folders.GetUserLocalApplicationDataProductVersionFolder(folder))
        return false;
    const QByteArray logFolder = QFile::encodeName(folder + QStringLiteral("/Logs"));
    if (logFolder.isEmpty() || logFolder[0] != '/' ||
        static_cast<size_t>(logFolder.size()) >= sizeof m_logFolder)
        return false;
    CrashCopyText(m_logFolder, sizeof m_logFolder, logFolder.constData());

    if (!m_memory.Open())
        return false;
    CrashPrepareMachineInfo(m_machine);

    // The sender starts with no signal blocked, the crash signals at their defaults and
    // none of our descriptors but the standard three.
    if (!m_spawnReady && posix_spawnattr_init(&m_spawnAttributes) == 0) {
        if (posix_spawn_file_actions_init(&m_spawnActions) == 0) {
            sigset_t none, defaults;
            sigemptyset(&none);
            sigemptyset(&defaults);
            for (int signal : CRASH_SIGNALS)
                sigaddset(&defaults, signal);
            sigaddset(&defaults, SIGPIPE);
            posix_spawnattr_setsigmask(&m_spawnAttributes, &none);
            posix_spawnattr_setsigdefault(&m_spawnAttributes, &defaults);
            posix_spawnattr_setflags(&m_spawnAttributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
            posix_spawn_file_actions_addclosefrom_np(&m_spawnActions, 3);
#endif
            m_spawnReady = true;
        } else {
            posix_spawnattr_destroy(&m_spawnAttributes);
        }
    }
    m_prepared = true;
    return true;
}

void CCrashReporter::ModuleNameWithoutExtension(const char* name, char* out, size_t size)
{
    CrashCopyText(out, size, name);
    // A shared object's extension is ".so" and the version numbers after it.
    for (char* p = strstr(out, ".so"); p; p = strstr(p + 1, ".so")) {
        if (p != out && (p[3] == '\0' || p[3] == '.')) {
            *p = '\0';
            return;
        }
    }
    char* dot = strrchr(out, '.');
    if (dot && dot != out)
        *dot = '\0';
}

void CCrashReporter::FormatReportId(const unsigned char guid[16], char out[33])
{
    static constexpr char DIGITS[] = "0123456789ABCDEF";
    for (int i = 0; i < 16; ++i) {
        out[2 * i] = DIGITS[guid[i] >> 4];
        out[2 * i + 1] = DIGITS[guid[i] & 0xF];
    }
    out[32] = '\0';
}

void CCrashReporter::MakeReportId(char out[33])
{
    unsigned char guid[16] = {};
    size_t got = 0;
    while (got < sizeof guid) {
        const ssize_t count = ::getrandom(guid + got, sizeof guid - got, GRND_NONBLOCK);
        if (count <= 0)
            break;
        got += static_cast<size_t>(count);
    }
    if (got < sizeof guid) {
        // No randomness yet: the time and the process still give a name that no other
        // report has, where a fixed one would replace the last report of the same kind.
        timespec now = {};
        ::clock_gettime(CLOCK_REALTIME, &now);
        const uint64_t seconds = static_cast<uint64_t>(now.tv_sec);
        const uint64_t rest = (static_cast<uint64_t>(now.tv_nsec) << 24) ^ static_cast<uint64_t>(::getpid());
        for (int i = 0; i < 8; ++i) {
            guid[i] = static_cast<unsigned char>(seconds >> (56 - 8 * i));
            guid[8 + i] = static_cast<unsigned char>(rest >> (56 - 8 * i));
        }
    }
    // A version-4 GUID: the version in Data3's high digit, the variant in Data4's first byte.
    guid[6] = static_cast<unsigned char>((guid[6] & 0x0F) | 0x40);
    guid[8] = static_cast<unsigned char>((guid[8] & 0x3F) | 0x80);
    FormatReportId(guid, out);
}

void CCrashReporter::WriteMachineBlock(CCrashReportWriter& w)
{
    if (m_machine.operatingSystem[0] != '\0')
        w.CDataElement("<operatingSystem>", m_machine.operatingSystem, "</operatingSystem>\r\n");
    w.Format("<processors>%d</processors>\r\n", m_machine.processors);
    w.Format("<processorType>%d</processorType>\r\n", m_machine.processorType);
    w.Format("<systemLanguageID>%04x</systemLanguageID>\r\n", unsigned{m_machine.systemLanguageId});
    w.Format("<userLanguageID>%04x</userLanguageID>\r\n", unsigned{m_machine.userLanguageId});
    CCrashMemoryStatus memory;
    CrashReadMemoryStatus(memory, m_scratch, sizeof m_scratch);
    w.Format("<memoryLoad>%d</memoryLoad>\r\n", memory.memoryLoad);
    w.Format("<physicalMemory>%llu</physicalMemory>\r\n",
             static_cast<unsigned long long>(memory.physicalMemory));
    w.Format("<physicalMemoryFree>%llu</physicalMemoryFree>\r\n",
             static_cast<unsigned long long>(memory.physicalMemoryFree));
    w.Format("<pagingFile>%llu</pagingFile>\r\n", static_cast<unsigned long long>(memory.pagingFile));
    w.Format("<pagingFileFree>%llu</pagingFileFree>\r\n",
             static_cast<unsigned long long>(memory.pagingFileFree));
    w.Format("<userAddressSpace>%llu</userAddressSpace>\r\n",
             static_cast<unsigned long long>(memory.userAddressSpace));
    w.Format("<userAddressSpaceFree>%llu</userAddressSpaceFree>\r\n",
             static_cast<unsigned long long>(memory.userAddressSpaceFree));
}

void CCrashReporter::WriteRegisterBlock(CCrashReportWriter& w, const CCrashFault& fault)
{
    w.Format("<registers>");
    w.BeginCData();
    w.Format("Context:\r\n");
    const CCrashRegisters& r = fault.registers;
    if (r.valid) {
        // The 64-bit registers in full, in the order of the 32-bit layout, then the eight
        // that layout does not have.
        w.Format("RDI:    0x%016llx  RSI: 0x%016llx  RAX:   0x%016llx\r\n",
                 static_cast<unsigned long long>(r.rdi), static_cast<unsigned long long>(r.rsi),
                 static_cast<unsigned long long>(r.rax));
        w.Format("RBX:    0x%016llx  RCX: 0x%016llx  RDX:   0x%016llx\r\n",
                 static_cast<unsigned long long>(r.rbx), static_cast<unsigned long long>(r.rcx),
                 static_cast<unsigned long long>(r.rdx));
        w.Format("RIP:    0x%016llx  RBP: 0x%016llx  SegCs: 0x%08x\r\n",
                 static_cast<unsigned long long>(r.rip), static_cast<unsigned long long>(r.rbp), r.cs);
        w.Format("EFlags: 0x%08x          RSP: 0x%016llx  SegSs: 0x%08x\r\n", r.eflags,
                 static_cast<unsigned long long>(r.rsp), r.ss);
        w.Format("R8:     0x%016llx  R9:  0x%016llx  R10:   0x%016llx\r\n",
                 static_cast<unsigned long long>(r.r8), static_cast<unsigned long long>(r.r9),
                 static_cast<unsigned long long>(r.r10));
        w.Format("R11:    0x%016llx  R12: 0x%016llx  R13:   0x%016llx\r\n",
                 static_cast<unsigned long long>(r.r11), static_cast<unsigned long long>(r.r12),
                 static_cast<unsigned long long>(r.r13));
        w.Format("R14:    0x%016llx  R15: 0x%016llx\r\n", static_cast<unsigned long long>(r.r14),
                 static_cast<unsigned long long>(r.r15));
    } else {
        w.Format("The registers of this processor architecture are not recorded.\r\n");
    }
    w.Format("Signal: %d  Code: %d\r\n", fault.signal, fault.signalCode);
    w.EndCData();
    w.Format("</registers>\r\n");
}

void CCrashReporter::WriteCodeBytes(CCrashReportWriter& w, uintptr_t address)
{
    w.Format("<eip>");
    unsigned char code[16];
    const size_t got = address != 0 ? m_memory.Read(address, code, sizeof code) : 0;
    for (size_t i = 0; i < sizeof code; ++i) {
        // Past the first unreadable byte each byte is tried alone: a page boundary may
        // lie inside the sixteen.
        const bool readable = i < got || (address != 0 && m_memory.ReadAll(address + i, code + i, 1));
        if (!readable)
            w.Format("?? ");
        else if (i + 1 < sizeof code)
            w.Format("%02x ", unsigned{code[i]});
        else
            w.Format("%02x", unsigned{code[i]});
    }
    w.Format("</eip>\r\n");
}

void CCrashReporter::WriteStackBlock(CCrashReportWriter& w, uintptr_t sp, uintptr_t end)
{
    w.Format("<stack>");
    w.BeginCData();
    uintptr_t address = sp;
    // A word is taken while its last byte lies below the end.
    while (sp != 0 && end >= 4 && address <= end - 4) {
        size_t words = 0;
        while (words < 4 && address + 4 * (words + 1) <= end && address + 4 * (words + 1) > address)
            ++words;
        unsigned char bytes[16];
        const size_t got = m_memory.Read(address, bytes, 4 * words);
        w.Format("0x%08llx: ", static_cast<unsigned long long>(address));
        uint16_t text[16];
        for (size_t i = 0; i < words; ++i) {
            const bool readable = 4 * i + 4 <= got;
            if (readable) {
                const uint32_t value = static_cast<uint32_t>(bytes[4 * i]) |
                                       (static_cast<uint32_t>(bytes[4 * i + 1]) << 8) |
                                       (static_cast<uint32_t>(bytes[4 * i + 2]) << 16) |
                                       (static_cast<uint32_t>(bytes[4 * i + 3]) << 24);
                w.Format("%08x ", value);
            } else {
                w.Format("???????? ");
            }
            for (size_t b = 0; b < 4; ++b)
                text[4 * i + b] = readable ? DumpCharacter(bytes[4 * i + b]) : '?';
        }
        for (size_t i = words; i < 4; ++i)
            w.Format("         ");
        w.Characters(text, 4 * words);
        w.Format("\r\n");
        address += 4 * words;
        if (words < 4)
            break;
    }
    w.EndCData();
    w.Format("</stack>\r\n");
}

bool CCrashReporter::ModuleVisitor(const CCrashModule& module, void* data)
{
    auto* context = static_cast<ModuleListContext*>(data);
    context->reporter->WriteModule(*context->writer, module, ++context->reporter->m_moduleNumber);
    return true;
}

void CCrashReporter::WriteModule(CCrashReportWriter& w, const CCrashModule& module, int number)
{
    w.Format("<module number=\"%d\">\r\n", number);
    w.CDataElement("<name>", module.name, "</name>\r\n");
    w.CDataElement("<path>", module.path, "</path>\r\n");
    const bool image = CrashReadElfImage(m_memory, module.base, m_image);
    const uintptr_t imageSize = image ? m_image.imageSize : module.end - module.base;
    w.Format("<imageBase>%08llx</imageBase>\r\n", static_cast<unsigned long long>(module.base));
    w.Format("<imageSize>%08llx</imageSize>\r\n", static_cast<unsigned long long>(imageSize));
    // An ELF image has neither an image checksum nor a link time stamp; its build id is
    // what identifies the build.
    w.Format("<checksum>%08x</checksum>\r\n", 0u);
    w.Format("<timestamp>%08x</timestamp>\r\n", 0u);
    if (image && m_image.buildIdLength > 0) {
        w.Format("<buildId>");
        for (size_t i = 0; i < m_image.buildIdLength; ++i)
            w.Format("%02x", unsigned{m_image.buildId[i]});
        w.Format("</buildId>\r\n");
    }
    struct stat status;
    const bool isFile = module.path[0] == '/';
    const bool haveStatus = isFile && ::stat(module.path, &status) == 0;
    w.Format("<fileSize>%u</fileSize>\r\n",
             haveStatus ? static_cast<unsigned>(status.st_size & 0xFFFFFFFF) : 0u);
    w.Format("<fileTime>");
    if (haveStatus) {
        const CrashCalendarTime time = CrashCalendarFromUnix(static_cast<int64_t>(status.st_mtim.tv_sec));
        w.Format("%04d-%02d-%02dT%02d:%02d:%02d", time.year, time.month, time.day, time.hour, time.minute,
                 time.second);
    }
    w.Format("</fileTime>\r\n");
    if (isFile && m_version.Load(module.path)) {
        for (const VersionString& entry : VERSION_STRINGS) {
            size_t length = 0;
            const char* value = m_version.FindString(entry.name, &length);
            if (!value || length == 0)
                continue;
            w.CDataElement(entry.openTag, value, length, entry.closeTag);
        }
    }
    w.Format("</module>\r\n");
}

void CCrashReporter::WriteModuleList(CCrashReportWriter& w)
{
    m_moduleNumber = 0;
    ModuleListContext context{this, &w};
    m_modules.Run(ModuleVisitor, &context);
}

void CCrashReporter::WriteReportText(CCrashReportWriter& w, const CCrashFault& fault, const char* filterName,
                                     const char* reportId, const CrashCalendarTime& date,
                                     const char* faultingModule)
{
    char moduleBase[256];
    ModuleNameWithoutExtension(faultingModule, moduleBase, sizeof moduleBase);
    const unsigned long long ip = fault.instructionPointer;

    w.Format("<?xml version=\"1.0\" encoding=\"utf-16\"?>\r\n");
    w.Format("<errorReport version=\"%s\">\r\n", CRASH_PRODUCT_VERSION);
    w.Format("<id>%s</id>\r\n", reportId);
    w.Format("<date>%04d-%02d-%02dT%02d:%02d:%02d</date>\r\n", date.year, date.month, date.day, date.hour,
             date.minute, date.second);
    w.CDataElement("<productName>", CRASH_PRODUCT_NAME, "</productName>\r\n");
    w.CDataElement("<productVersion>", CRASH_PRODUCT_VERSION, "</productVersion>\r\n");
    w.Format("<faultingModule>%s</faultingModule>\r\n", faultingModule);
    w.Format("<faultAddress>%08llx</faultAddress>\r\n", ip);
    w.Format("<exceptionCode>%08x</exceptionCode>\r\n", fault.exceptionCode);
    w.CDataElement("<exceptionFilterName>", filterName, "</exceptionFilterName>\r\n");
    w.Format("<errorMessage>");
    w.BeginCData();
    w.Format("%s caused %s (0x%08x) \r\nin module %s at %04x:%08llx.", moduleBase,
             CrashExceptionDescription(fault.exceptionCode), fault.exceptionCode, faultingModule,
             fault.registers.cs, ip);
    w.EndCData();
    w.Format("</errorMessage>\r\n");
    if (fault.exceptionCode == CRASH_ACCESS_VIOLATION && fault.parameterCount >= 2) {
        // An instruction fetch is neither a read nor a write: saying "Write to" for a jump
        // to a bad address would send whoever reads the report the wrong way.
        const char* kind = fault.parameters[0] == 0   ? "Read from"
                           : fault.parameters[0] == 8 ? "Execute at"
                                                      : "Write to";
        w.Format("<debugMessage>");
        w.BeginCData();
        w.Format("%s location 0x%08llx caused an access violation.\r\n\r\n", kind,
                 static_cast<unsigned long long>(fault.parameters[1]));
        w.EndCData();
        w.Format("</debugMessage>\r\n");
    }
    WriteMachineBlock(w);
    WriteRegisterBlock(w, fault);
    WriteCodeBytes(w, fault.instructionPointer);
    WriteStackBlock(w, fault.stackPointer, fault.stackEnd);
    WriteModuleList(w);
    w.Format("</errorReport>");
}

bool CCrashReporter::IsDebuggerAttached()
{
    const size_t length = CrashReadSmallFile("/proc/self/status", m_scratch, sizeof m_scratch);
    uint64_t tracer = 0;
    return CrashFindNumber(m_scratch, length, "TracerPid:", &tracer) && tracer != 0;
}

bool CCrashReporter::FindSender(char* path, size_t size)
{
    size_t length = 0;
    path[0] = '\0';
    if (m_programFolder[0] == '/' && CrashAppendText(path, size, &length, m_programFolder) &&
        CrashAppendText(path, size, &length, "/") &&
        CrashAppendText(path, size, &length, CRASH_SENDER_NAME) && IsExecutableFile(path))
        return true;
    for (const char* entry = m_searchPath; *entry;) {
        const char* colon = strchr(entry, ':');
        const size_t entryLength = colon ? static_cast<size_t>(colon - entry) : strlen(entry);
        if (entryLength > 0 && entry[0] == '/' && entryLength + 2 + sizeof CRASH_SENDER_NAME <= size) {
            memcpy(path, entry, entryLength);
            length = entryLength;
            path[length] = '\0';
            if (CrashAppendText(path, size, &length, "/") &&
                CrashAppendText(path, size, &length, CRASH_SENDER_NAME) && IsExecutableFile(path))
                return true;
        }
        if (!colon)
            break;
        entry = colon + 1;
    }
    path[0] = '\0';
    return false;
}

bool CCrashReporter::StartSender()
{
    if (!m_spawnReady || !FindSender(m_senderPath, sizeof m_senderPath))
        return false;
    char* const argv[] = {
        const_cast<char*>(CRASH_SENDER_NAME),
        const_cast<char*>("-app"),
        const_cast<char*>(CRASH_PRODUCT_NAME),
        const_cast<char*>("-path"),
        m_programPath,
        const_cast<char*>("-log"),
        m_reportPath,
        const_cast<char*>("-company"),
        const_cast<char*>(CRASH_COMPANY_NAME),
        const_cast<char*>("-mailto"),
        const_cast<char*>(CRASH_REPORT_ADDRESS),
        const_cast<char*>("-contact"),
        const_cast<char*>(CRASH_CONTACT_NAME),
        nullptr,
    };
    pid_t pid = 0;
    return posix_spawn(&pid, m_senderPath, &m_spawnActions, &m_spawnAttributes, argv, environ) == 0;
}

bool CCrashReporter::WriteReport(const CCrashFault& fault, const char* filterName)
{
    if (m_entered.exchange(true) || !m_prepared)
        return false;
    timespec now = {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const CrashCalendarTime date = CrashCalendarFromUnix(static_cast<int64_t>(now.tv_sec));

    char faultingModule[256];
    if (fault.instructionPointer == 0 ||
        !m_modules.FindModuleName(fault.instructionPointer, faultingModule, sizeof faultingModule))
        CrashCopyText(faultingModule, sizeof faultingModule, "Unknown");

    if (!CrashCreateFolders(m_logFolder))
        return false;
    char id[33];
    MakeReportId(id);
    size_t length = 0;
    if (!CrashAppendText(m_reportPath, sizeof m_reportPath, &length, m_logFolder) ||
        !CrashAppendText(m_reportPath, sizeof m_reportPath, &length, "/errorreport-") ||
        !CrashAppendText(m_reportPath, sizeof m_reportPath, &length, id) ||
        !CrashAppendText(m_reportPath, sizeof m_reportPath, &length, ".xml"))
        return false;
    int fd;
    do {
        fd = ::open(m_reportPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        static constexpr char MESSAGE[] = "Error creating exception report\r\n";
        [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, MESSAGE, sizeof MESSAGE - 1);
        return false;
    }

    CCrashFault bounded = fault;
    if (bounded.stackEnd == 0 && bounded.stackPointer != 0)
        bounded.stackEnd = CrashFindStackEnd(m_maps, bounded.stackPointer, STACK_DUMP_LIMIT);
    m_writer.Open(fd);
    static constexpr unsigned char BYTE_ORDER_MARK[2] = {0xFF, 0xFE};
    m_writer.WriteRaw(BYTE_ORDER_MARK, sizeof BYTE_ORDER_MARK);
    WriteReportText(m_writer, bounded, filterName, id, date, faultingModule);
    m_writer.Flush();
    ::fsync(fd);
    ::close(fd);

    if (IsDebuggerAttached())
        return false;
    return StartSender();
}

bool InstallCrashHandler()
{
    if (g_installed.load())
        return true;
    // The reporter's buffers are mapped and touched now: at the fault, even a page fault
    // on fresh memory might fail.
    void* memory = ::mmap(nullptr, sizeof(CCrashReporter), PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (memory == MAP_FAILED)
        return false;
    auto* reporter = new (memory) CCrashReporter();
    if (!reporter->Prepare()) {
        reporter->~CCrashReporter();
        ::munmap(memory, sizeof(CCrashReporter));
        return false;
    }

    // The alternate stack, with an inaccessible page below it: running off its end must
    // fault (and end the process) rather than overwrite whatever lies there.
    const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    const long minimum = ::sysconf(_SC_SIGSTKSZ);
    size_t stackSize = 256 * 1024;
    if (minimum > 0 && static_cast<size_t>(minimum) * 4 > stackSize)
        stackSize = static_cast<size_t>(minimum) * 4;
    stackSize = (stackSize + page - 1) / page * page;
    void* stack = ::mmap(nullptr, stackSize + page, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE | MAP_STACK, -1, 0);
    if (stack == MAP_FAILED)
        return false;
    ::mprotect(stack, page, PROT_NONE);
    stack_t alternate = {};
    alternate.ss_sp = static_cast<char*>(stack) + page;
    alternate.ss_size = stackSize;
    if (::sigaltstack(&alternate, nullptr) != 0) {
        ::munmap(stack, stackSize + page);
        return false;
    }

    g_reporter = reporter;
    struct sigaction action = {};
    action.sa_sigaction = CrashSignalHandler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : CRASH_SIGNALS)
        sigaddset(&action.sa_mask, signal);
    for (size_t i = 0; i < SIGNAL_COUNT; ++i)
        ::sigaction(CRASH_SIGNALS[i], &action, &g_previous[i]);
    g_installed = true;
    return true;
}
