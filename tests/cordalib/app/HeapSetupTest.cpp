// The heap set-up at start-up: a wrong range would leave the library's pages small (or
// make madvise fail), and a broken heap would show as soon as memory is used.

#include "cordalib/app/HeapSetup.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The kernel's huge-page mode: "always", "madvise" or "never" (empty when unknown).
std::string HugePageMode()
{
    std::ifstream file("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string text;
    std::getline(file, text);
    const size_t open = text.find('['), close = text.find(']');
    return open == std::string::npos || close == std::string::npos ? std::string()
                                                                   : text.substr(open + 1, close - open - 1);
}

long AnonHugePagesKb()
{
    std::ifstream file("/proc/self/smaps_rollup");
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind("AnonHugePages:", 0) == 0)
            return std::strtol(line.c_str() + 14, nullptr, 10);
    }
    return -1;
}

} // namespace

// In a child, as at a program's start: small records allocated after the set-up land on
// huge pages, and every one of them keeps its bytes.
TEST(HeapSetupTest, RecordsAllocatedAfterwardsLandOnHugePages)
{
    const std::string mode = HugePageMode();
    if (mode != "always" && mode != "madvise")
        GTEST_SKIP() << "the kernel offers no transparent huge pages (" << mode << ")";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!PrepareHeapForLibrary())
            _exit(2);
        const long before = AnonHugePagesKb();
        std::vector<char*> records;
        for (int i = 0; i < 60000; ++i) {
            records.push_back(static_cast<char*>(std::malloc(300)));
            std::memset(records.back(), i & 0xff, 300);
        }
        for (int i = 0; i < 60000; ++i) {
            if (records[i][0] != static_cast<char>(i & 0xff) ||
                records[i][299] != static_cast<char>(i & 0xff))
                _exit(3);
            std::free(records[i]);
        }
        const long after = AnonHugePagesKb();
        _exit(after > before ? 0 : 4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2: set-up failed, 3: memory corrupted, 4: no huge pages";
}
