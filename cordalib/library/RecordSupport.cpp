#include "cordalib/library/RecordSupport.h"

#include "qvsystem/system/FormatUtilities.h"

namespace RecordSupport {

COleDateTime UtcToLocalOrZero(const COleDateTime& utc)
{
    COleDateTime local;
    if (!AfxUTCToLocalTime(utc, local))
        return COleDateTime();
    return local;
}

QString RemoveFileSpec(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return path;
    if (slash == 0)
        return path.left(1);
    return path.left(slash);
}

} // namespace RecordSupport
