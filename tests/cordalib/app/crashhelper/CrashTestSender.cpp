// A stand-in for the report sender: it records how it was started and ends. The record
// goes to $CRASH_TEST_SENDER_LOG.<pid>: the program's own path, then each argument, argv[0]
// included, every one followed by a NUL byte.

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

int main(int argc, char** argv)
{
    const char* log = std::getenv("CRASH_TEST_SENDER_LOG");
    if (!log)
        return 2;
    const std::string path = std::string(log) + "." + std::to_string(getpid());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 2;
    char self[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    std::fwrite(self, 1, length > 0 ? static_cast<size_t>(length) + 1 : 1, file);
    for (int i = 0; i < argc; ++i)
        std::fwrite(argv[i], 1, std::strlen(argv[i]) + 1, file);
    return std::fclose(file) == 0 ? 0 : 2;
}
