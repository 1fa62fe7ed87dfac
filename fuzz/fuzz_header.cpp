// libFuzzer target: the tablature header reader. A header that reads must write and read
// back to the same bytes (what the program rewrites is what it understood).

#include "MemoryFile.h"

#include "cordalib/library/CordaFileHeader.h"

#include "qvsystem/platform/Archive.h"

#include <cstdlib>

namespace {

std::vector<uint8_t> WriteHeader(const CCordaFileHeader& header)
{
    CMemoryFile file;
    CArchive archive(&file, CArchive::store);
    header.Write(archive);
    archive.Close();
    return file.Data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMemoryFile file(data, size);
    CCordaFileHeader header;
    try {
        CArchive archive(&file, CArchive::load);
        header.Read(archive);
        archive.Close();
    } catch (const CException&) {
        return 0;
    }
    const std::vector<uint8_t> first = WriteHeader(header);
    CMemoryFile again(first.data(), first.size());
    CCordaFileHeader reread;
    CArchive archive(&again, CArchive::load);
    reread.Read(archive); // a header this code wrote must read
    if (WriteHeader(reread) != first)
        std::abort();
    return 0;
}
