// The shared library is assembled from the folder libraries; this unit only gives the
// module a source of its own.
#include "qvsystem/qvsystem_export.h"

extern "C" QVSYSTEM_EXPORT const char* QVSystemModuleName()
{
    return "qvsystem";
}
