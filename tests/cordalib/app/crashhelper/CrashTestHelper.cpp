// A program that installs the crash handler the way the desktop program does and then
// faults on purpose in the way its one argument names. test_crash_report.py runs it in a
// child process and reads the report it leaves.
//
//   null-write      a write through a null pointer (SIGSEGV)
//   bogus-jump      a call to an address outside every module (SIGSEGV)
//   illegal         an undefined instruction (SIGILL)
//   abort           abort() (SIGABRT)
//   heap            a fault inside malloc on a corrupted heap, with the arena lock held
//   stack-overflow  unbounded recursion (SIGSEGV on the guard page)
//   kill-segv       SIGSEGV sent by kill(): no address comes with it
//   two-threads     two threads fault at the same moment
//   traced          the fault happens under ptrace, as under a debugger
//   no-files        no file descriptor is left when the report is to be created
//
// Exit status 3: the handler could not be installed; 4: unknown mode; 77: the mode cannot
// run here (no ptrace).

#include "cordalib/app/CrashReport.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pthread.h>

#include <signal.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Read through volatile, so that the compiler cannot see the null pointer or the address
// and turn the fault into something else.
int* volatile g_nullPointer = nullptr;
volatile uintptr_t g_bogusAddress = 0x10;
volatile bool g_stopRecursion = false;
// The blocks escape through it: a malloc and free pair the compiler can see through is dropped.
void* volatile g_blocks[3];

void NullWrite()
{
    *g_nullPointer = 42;
}

void BogusJump()
{
    auto function = reinterpret_cast<void (*)()>(g_bogusAddress);
    function();
}

int Recurse(int depth)
{
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    if (g_stopRecursion)
        return frame[0];
    return Recurse(depth + 1) + frame[0];
}

void* SleepForever(void*)
{
    for (;;)
        pause();
    return nullptr;
}

void CorruptHeapAndAllocate()
{
    // A second thread makes malloc take the arena lock; with the thread cache turned off
    // (GLIBC_TUNABLES=glibc.malloc.tcache_count=0) freed 40-byte blocks go to a fastbin.
    pthread_t thread;
    pthread_create(&thread, nullptr, SleepForever, nullptr);
    void* first = malloc(40);
    void* second = malloc(40);
    void* keep = malloc(40); // keeps the two away from the top of the heap
    g_blocks[0] = first;
    g_blocks[1] = second;
    g_blocks[2] = keep;
    // The address through a volatile number: the compiler rightly objects to a pointer
    // used after free.
    volatile uintptr_t secondAddress = reinterpret_cast<uintptr_t>(second);
    free(first);
    free(second);
    // A use after free: the freed block's link now points at an unmapped, well-aligned
    // chunk (stored the way the allocator protects its links).
    const uintptr_t bogusChunk = 0x100;
    *reinterpret_cast<volatile uintptr_t*>(secondAddress) = (secondAddress >> 12) ^ bogusChunk;
    void* again = malloc(40); // the corrupted block itself
    void* fault = malloc(40); // follows the link into unmapped memory
    std::printf("not reached %p %p %p\n", keep, again, fault);
}

std::atomic<int> g_ready{0};

void* FaultTogether(void*)
{
    g_ready.fetch_add(1);
    while (g_ready.load() < 2) {
    }
    NullWrite();
    return nullptr;
}

void TwoThreads()
{
    pthread_t threads[2];
    for (pthread_t& thread : threads)
        pthread_create(&thread, nullptr, FaultTogether, nullptr);
    for (pthread_t& thread : threads)
        pthread_join(thread, nullptr);
}

// The child is traced by this process, which passes every signal on, like a debugger
// that lets the program run. Prints how the child ended.
int Traced()
{
    const pid_t child = fork();
    if (child < 0)
        return 77;
    if (child == 0) {
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0)
            _exit(77);
        raise(SIGSTOP);
        if (!InstallCrashHandler())
            _exit(3);
        NullWrite();
        _exit(0);
    }
    int status = 0;
    bool first = true;
    for (;;) {
        if (waitpid(child, &status, 0) < 0)
            return 1;
        if (WIFEXITED(status)) {
            std::printf("child-exit %d\n", WEXITSTATUS(status));
            return WEXITSTATUS(status) == 77 ? 77 : 0;
        }
        if (WIFSIGNALED(status)) {
            std::printf("child-signal %d\n", WTERMSIG(status));
            return 0;
        }
        if (WIFSTOPPED(status)) {
            // The first stop is the child's own SIGSTOP: swallow it.
            const int signal = first && WSTOPSIG(status) == SIGSTOP ? 0 : WSTOPSIG(status);
            first = false;
            ptrace(PTRACE_CONT, child, nullptr, reinterpret_cast<void*>(static_cast<intptr_t>(signal)));
        }
    }
}

void NoFiles()
{
    // The next descriptor number becomes the limit, so that every open fails.
    const int next = dup(0);
    close(next);
    const rlimit limit = {static_cast<rlim_t>(next), static_cast<rlim_t>(next)};
    setrlimit(RLIMIT_NOFILE, &limit);
    NullWrite();
}

} // namespace

int main(int argc, char** argv)
{
    // No core files from the faults that end with the system's own handling.
    const rlimit noCore = {0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    if (argc != 2)
        return 4;
    const char* mode = argv[1];
    if (strcmp(mode, "traced") == 0)
        return Traced();
    if (!InstallCrashHandler())
        return 3;
    if (strcmp(mode, "null-write") == 0)
        NullWrite();
    else if (strcmp(mode, "bogus-jump") == 0)
        BogusJump();
    else if (strcmp(mode, "illegal") == 0)
        __builtin_trap();
    else if (strcmp(mode, "abort") == 0)
        abort();
    else if (strcmp(mode, "heap") == 0)
        CorruptHeapAndAllocate();
    else if (strcmp(mode, "stack-overflow") == 0)
        std::printf("%d\n", Recurse(0));
    else if (strcmp(mode, "kill-segv") == 0)
        kill(getpid(), SIGSEGV);
    else if (strcmp(mode, "two-threads") == 0)
        TwoThreads();
    else if (strcmp(mode, "no-files") == 0)
        NoFiles();
    else
        return 4;
    return 0;
}
