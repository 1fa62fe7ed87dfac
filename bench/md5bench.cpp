// Times AfxGenerateFileMD5Checksum over one file: md5bench FILE [RUNS]
// Prints one line per run, "seconds checksum", then "median seconds".
#include "qvsystem/system/MD5.h"

#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

double Now()
{
    timespec t = {};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [RUNS]\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        std::string checksum;
        const double start = Now();
        const bool ok = AfxGenerateFileMD5Checksum(path, checksum);
        const double seconds = Now() - start;
        if (!ok) {
            std::fprintf(stderr, "md5bench: cannot read %s\n", argv[1]);
            return 1;
        }
        times.push_back(seconds);
        std::printf("%.6f %s\n", seconds, checksum.c_str());
    }
    std::sort(times.begin(), times.end());
    std::printf("median %.6f\n", times[times.size() / 2]);
    return 0;
}
