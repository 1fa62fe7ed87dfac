#include "qvsystem/online/OpenExternalLink.h"

#include <mutex>

namespace {

std::mutex g_mutex;
std::function<int(const QString&)> g_callback;

} // namespace

void QVSystemSetOpenExternalLinkCallback(std::function<int(const QString&)> callback)
{
    std::lock_guard lock(g_mutex);
    g_callback = std::move(callback);
}

bool AfxIsOpenExternalLinkAllowed(const QString& link)
{
    std::function<int(const QString&)> callback;
    {
        std::lock_guard lock(g_mutex);
        callback = g_callback;
    }
    // Called outside the lock: the program's function shows a message box.
    return !callback || callback(link) != 0;
}
