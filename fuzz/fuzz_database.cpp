// libFuzzer target: the library database reader. Whatever loads must save and load back
// with the same records.

#include "MemoryFile.h"

#include "cordalib/library/LibraryDatabase.h"

#include "qvsystem/platform/Archive.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMemoryFile file(data, size);
    CLibraryDatabase database;
    try {
        CArchive archive(&file, CArchive::load);
        database.Load(archive);
        archive.Close();
    } catch (const CException&) {
        database.Reset();
        return 0;
    }
    CMemoryFile saved;
    {
        CArchive archive(&saved, CArchive::store);
        database.Save(archive);
        archive.Close();
    }
    saved.SeekToBegin();
    CLibraryDatabase reloaded;
    CArchive archive(&saved, CArchive::load);
    reloaded.Load(archive);
    if (reloaded.GetSongCount() != database.GetSongCount() ||
        reloaded.GetLessonCount() != database.GetLessonCount())
        std::abort();
    for (size_t i = 0; i < database.GetSongCount(); ++i) {
        if (reloaded.GetSongs()[i]->GetPath() != database.GetSongs()[i]->GetPath() ||
            reloaded.GetSongs()[i]->GetTitle() != database.GetSongs()[i]->GetTitle())
            std::abort();
    }
    return 0;
}
