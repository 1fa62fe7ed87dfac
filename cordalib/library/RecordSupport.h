#pragma once
// Small helpers shared by the two record kinds (internal to the library).

#include "cordalib/library/TextCollation.h"

#include "qvsystem/platform/FileTime.h"
#include "qvsystem/platform/OleDateTime.h"

#include <QString>

#include <string>

namespace RecordSupport {

inline std::string TextOrEmpty(const char* text)
{
    return text ? std::string(text) : std::string();
}

template <typename T> int CompareNumbers(T a, T b)
{
    return (a > b) - (a < b);
}

// Invalid (or null) dates are never less than another date; they order after every valid
// one and equal to each other, so that sorting sees a consistent order.
inline int CompareDates(const COleDateTime& a, const COleDateTime& b)
{
    const bool validA = a.GetStatus() == COleDateTime::valid;
    const bool validB = b.GetStatus() == COleDateTime::valid;
    if (validA && validB)
        return a < b ? -1 : (b < a ? 1 : 0);
    return CompareNumbers<int>(!validA, !validB);
}

inline int CompareTexts(const std::string& a, const std::string& b)
{
    return CTextCollation::Default().Compare(a, b);
}

inline int ComparePaths(const QString& a, const QString& b)
{
    return CTextCollation::Default().Compare(a, b);
}

COleDateTime UtcToLocalOrZero(const COleDateTime& utc);

// The folder part of a path: everything before the last separator ("/a/b" gives "/a",
// "/a" gives "/"); a path without separator has no folder and stays as it is.
QString RemoveFileSpec(const QString& path);

} // namespace RecordSupport
