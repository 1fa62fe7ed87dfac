#pragma once
// The crash handler. When a fault escapes the program (SIGSEGV, SIGBUS, SIGFPE, SIGILL or
// SIGABRT), it writes an XML error report, errorreport-<id>.xml in UTF-16 little-endian,
// into $XDG_DATA_HOME/Corda Software/Corda Librarian/1.0/Logs, and starts the report sender
// faultpost, which offers the report to the user.
//
// The handler runs on an alternate stack, so it also works after a stack overflow, and it
// allocates nothing and takes no lock, so it also works after heap corruption or a fault
// inside malloc: everything it needs (buffers, paths, the machine's fixed data, the pipe it
// reads doubtful memory through, the sender's spawn attributes) is prepared when it is
// installed, and at the fault it makes only async-signal-safe system calls.
//
// The sender is looked for beside the running program first, then in the folders of PATH
// (absolute entries only: a relative one would run whatever the current folder holds). It
// gets the command line
//   faultpost -app <product> -path <program> -log <report> -company <company>
//             -mailto <address> -contact <contact>
// as separate arguments. With the sender started the process ends at once with status
// 128 + the signal number. Otherwise (no folder, no file, a debugger attached, no sender)
// the previous disposition of the signal is restored and the signal raised again, so the
// system's own handling (a core dump, the debugger) follows.
//
// Only the thread that installs the handler gets the alternate stack; a stack overflow on
// another thread cannot run the handler and ends the process as it would without it.

#include "cordalib/app/CrashMachineInfo.h"
#include "cordalib/app/CrashModules.h"
#include "cordalib/app/CrashReportWriter.h"
#include "cordalib/app/CrashSignalSafe.h"

#include <atomic>
#include <climits>
#include <cstddef>
#include <cstdint>

#include <signal.h>
#include <spawn.h>

// Installs the handler for the process; call once from main, right after the
// single-instance check succeeded. False when it could not be installed (the program then
// runs without it). A second call does nothing and returns true.
bool InstallCrashHandler();

// The constants of the report and of the sender's command line.
inline constexpr char CRASH_PRODUCT_NAME[] = "Corda Librarian";
inline constexpr char CRASH_PRODUCT_VERSION[] = "1.0";
inline constexpr char CRASH_COMPANY_NAME[] = "Corda Software";
inline constexpr char CRASH_CONTACT_NAME[] = "The Corda Software Team";
inline constexpr char CRASH_FILTER_NAME[] = "AppUnhandledExceptionFilter";
inline constexpr char CRASH_REPORT_ADDRESS[] = "errorreports@corda-software.example";
inline constexpr char CRASH_SENDER_NAME[] = "faultpost";

// Exception codes of the faults the handler sees (the Windows codes, which the report's
// readers know), and the one added for abort().
inline constexpr uint32_t CRASH_ACCESS_VIOLATION = 0xC0000005;
inline constexpr uint32_t CRASH_IN_PAGE_ERROR = 0xC0000006;
inline constexpr uint32_t CRASH_DATATYPE_MISALIGNMENT = 0x80000002;
inline constexpr uint32_t CRASH_ILLEGAL_INSTRUCTION = 0xC000001D;
inline constexpr uint32_t CRASH_PRIVILEGED_INSTRUCTION = 0xC0000096;
inline constexpr uint32_t CRASH_STACK_OVERFLOW = 0xC00000FD;
inline constexpr uint32_t CRASH_FATAL_APP_EXIT = 0x40000015;
// A signal whose cause the system did not name (sent by another process): not in the
// table, so described as an unknown exception type; the low byte is the signal number.
inline constexpr uint32_t CRASH_SIGNAL_CODE_BASE = 0xE0000000;

// The description of an exception code; "an Unknown exception type" for one not known.
const char* CrashExceptionDescription(uint32_t code);

// The processor state of the faulting thread (x86-64 names; on other processors only
// valid is false and the report leaves the registers out).
struct CCrashRegisters {
    bool valid = false;
    uint64_t rdi = 0, rsi = 0, rax = 0, rbx = 0, rcx = 0, rdx = 0, rip = 0, rbp = 0, rsp = 0;
    uint64_t r8 = 0, r9 = 0, r10 = 0, r11 = 0, r12 = 0, r13 = 0, r14 = 0, r15 = 0;
    uint32_t eflags = 0, cs = 0, ss = 0;
};

// A fault as the report describes it.
struct CCrashFault {
    int signal = 0;
    int signalCode = 0;
    uint32_t exceptionCode = 0;
    // As an access violation's record carries them: 0 read, 1 write, 8 execute; then the
    // address. Fewer than two when the system gave no address.
    uint32_t parameterCount = 0;
    uint64_t parameters[2] = {};
    CCrashRegisters registers;
    uintptr_t instructionPointer = 0;
    uintptr_t stackPointer = 0;
    uintptr_t stackEnd = 0; // where the stack dump stops (exclusive)
};

// The fault of a signal as the handler receives it.
void CrashFaultFromSignal(int signal, const siginfo_t* info, const void* context, CCrashFault& fault);

class CCrashReporter {
public:
    static constexpr uintptr_t STACK_DUMP_LIMIT = 12288;

    CCrashReporter();
    ~CCrashReporter();
    CCrashReporter(const CCrashReporter&) = delete;
    CCrashReporter& operator=(const CCrashReporter&) = delete;

    // Start-up: the paths, the machine's fixed data, the pipe, the spawn attributes. May
    // allocate. False when the report could never be written (no log folder or program
    // path known).
    bool Prepare();

    // Writes the report and starts the sender; true when the sender was started. Runs once
    // per reporter; a second call returns false at once. Signal-safe.
    bool WriteReport(const CCrashFault& fault, const char* filterName);

    // The report's text after the byte-order mark, for a fault whose stack end is known.
    void WriteReportText(CCrashReportWriter& writer, const CCrashFault& fault, const char* filterName,
                         const char* reportId, const CrashCalendarTime& date, const char* faultingModule);

    // The file name without its extension, as the error message names it: "libc.so.6"
    // gives "libc", "cordalib" stays as it is.
    static void ModuleNameWithoutExtension(const char* name, char* out, size_t size);
    // 32 upper-case hexadecimal digits.
    static void FormatReportId(const unsigned char guid[16], char out[33]);

    const char* GetLastReportPath() const { return m_reportPath; }
    const char* GetLogFolder() const { return m_logFolder; }
    const char* GetProgramPath() const { return m_programPath; }
    CCrashModuleEnumerator& GetModules() { return m_modules; }
    const CSafeMemoryReader& GetMemory() const { return m_memory; }
    CCrashMapsReader& GetMaps() { return m_maps; }

private:
    void WriteMachineBlock(CCrashReportWriter& writer);
    void WriteRegisterBlock(CCrashReportWriter& writer, const CCrashFault& fault);
    void WriteCodeBytes(CCrashReportWriter& writer, uintptr_t address);
    void WriteStackBlock(CCrashReportWriter& writer, uintptr_t sp, uintptr_t end);
    void WriteModuleList(CCrashReportWriter& writer);
    void WriteModule(CCrashReportWriter& writer, const CCrashModule& module, int number);
    bool IsDebuggerAttached();
    bool FindSender(char* path, size_t size);
    bool StartSender();
    void MakeReportId(char out[33]);

    static bool ModuleVisitor(const CCrashModule& module, void* context);

    bool m_prepared = false;
    std::atomic<bool> m_entered{false};
    CCrashMachineInfo m_machine;
    CSafeMemoryReader m_memory;
    CCrashMapsReader m_maps;
    CCrashModuleEnumerator m_modules;
    CCrashElfImage m_image;
    CCrashVersionBlock m_version;
    CCrashReportWriter m_writer;
    int m_moduleNumber = 0;
    bool m_spawnReady = false;
    posix_spawnattr_t m_spawnAttributes;
    posix_spawn_file_actions_t m_spawnActions;
    char m_programPath[PATH_MAX] = {};
    char m_programFolder[PATH_MAX] = {};
    char m_searchPath[8192] = {};
    char m_logFolder[PATH_MAX] = {};
    char m_reportPath[PATH_MAX + 64] = {};
    char m_senderPath[PATH_MAX + 64] = {};
    char m_scratch[16384] = {};
};
