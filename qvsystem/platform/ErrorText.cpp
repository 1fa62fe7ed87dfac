#include "qvsystem/platform/ErrorText.h"

#include <climits>
#include <cstring>
#include <string.h>

namespace {

// strerror_r comes in two shapes; overloads pick whichever the C library declares.
[[maybe_unused]] const char* ErrorBufferResult(int result, const char* buffer)
{
    return result == 0 ? buffer : nullptr;
}

[[maybe_unused]] const char* ErrorBufferResult(const char* result, const char*)
{
    return result;
}

bool HasErrorText(long error)
{
    if (error < INT_MIN || error > INT_MAX)
        return false;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 32))
    // Independent of the message language, unlike matching "Unknown error".
    return ::strerrordesc_np(static_cast<int>(error)) != nullptr;
#else
    char buffer[256];
    const char* text =
        ErrorBufferResult(::strerror_r(static_cast<int>(error), buffer, sizeof buffer), buffer);
    return text && std::strncmp(text, "Unknown error", 13) != 0;
#endif
}

} // namespace

bool AfxGetPlatformErrorText(long error, QString& text)
{
    text.clear();
    if (!HasErrorText(error))
        return false;
    char buffer[512];
    const char* message =
        ErrorBufferResult(::strerror_r(static_cast<int>(error), buffer, sizeof buffer), buffer);
    if (!message)
        return false;
    text = QString::fromLocal8Bit(message);
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    if (text.isEmpty())
        return false;
    return true;
}
