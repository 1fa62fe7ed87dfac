#include "qvsystem/online/InternetErrorText.h"

#include "qvsystem/platform/StringTable.h"

namespace {

// Texts are looked up by base + code; a code that would reach outside its block (or is not
// in the table) gets the block's unknown text at the base itself.
QString TextByCode(unsigned base, int code, int lowest, int highest)
{
    QString text;
    const CStringTable& table = AfxGetQVSystemStringTable();
    if (code >= lowest && code <= highest && table.Load(base + static_cast<unsigned>(code), text))
        return text;
    table.Load(base, text);
    return text;
}

} // namespace

QString AfxGetHTTPStatusCodeText(int code)
{
    return TextByCode(IDS_QV_HTTP_STATUS_BASE, code, 100, 599);
}

QString AfxGetWinsockErrorText(int code)
{
    return TextByCode(IDS_QV_WINSOCK_ERROR_BASE, code, 10000, 12999);
}
