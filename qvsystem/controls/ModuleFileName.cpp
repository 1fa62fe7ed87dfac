#include "qvsystem/controls/ModuleFileName.h"

#include "qvsystem/controls/QVMessageBoxFunctions.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <climits>
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <vector>

namespace {

// The program's own file: the loader names it only by argv[0], which may be relative or
// a name found on PATH.
bool ReadProgramPath(QString& path, int& error)
{
    std::vector<char> buffer(PATH_MAX + 1);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            error = errno;
            return false;
        }
        if (static_cast<size_t>(length) < buffer.size()) {
            path = QFile::decodeName(QByteArray(buffer.data(), length));
            return true;
        }
        if (buffer.size() > (1u << 20)) {
            error = ENAMETOOLONG;
            return false;
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool FindModulePath(const void* module, QString& path, int& error)
{
    if (!module)
        return ReadProgramPath(path, error);
    Dl_info info{};
    link_map* map = nullptr;
    if (::dladdr1(module, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 || !map) {
        // No loaded module holds the address.
        error = EFAULT;
        return false;
    }
    if (!map->l_name || map->l_name[0] == '\0')
        return ReadProgramPath(path, error);
    // A library loaded by a relative name is named relative to the working folder.
    path = QDir::cleanPath(QDir::current().absoluteFilePath(QFile::decodeName(map->l_name)));
    return true;
}

} // namespace

int AfxGetModuleFileName(const void* module, QString& path)
{
    path.clear();
    int error = 0;
    if (FindModulePath(module, path, error))
        return 1;
    path.clear();
    AfxSystemErrorMessageBox(error, MB_OK | MB_ICONERROR);
    return 0;
}
