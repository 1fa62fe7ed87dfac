#include "cordalib/maintenance/MaintenanceStrings.h"

#include "qvsystem/platform/StringTable.h"

namespace MaintenanceStrings {

QString Load(unsigned id)
{
    return LoadCordaString(id);
}

QString FormatErrorLine(const QString& path, const QString& errorText)
{
    return AfxFormatMessage(Load(IDS_ERROR_LINE_FORMAT), path, errorText);
}

} // namespace MaintenanceStrings
