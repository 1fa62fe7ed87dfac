#include "faultpost/FaultPostCommandLine.h"

#include "cordalib/app/AppStrings.h"

#include <QRegularExpression>

#include <array>
#include <utility>

bool IsPlainMailAddress(const QString& address)
{
    static const QRegularExpression plain(QStringLiteral("\\A[^\\s@?&#/\\\\<>\"'%,;:()\\[\\]]+@"
                                                         "[A-Za-z0-9](?:[A-Za-z0-9.-]*[A-Za-z0-9])?\\z"));
    return address.size() <= 254 && plain.match(address).hasMatch();
}

bool ParseFaultPostCommandLine(const QStringList& arguments, CFaultPostCommandLine& commandLine,
                               QString& error)
{
    commandLine = CFaultPostCommandLine();
    const std::array<std::pair<const char*, QString*>, 6> options = {{
        {"-app", &commandLine.app},
        {"-path", &commandLine.path},
        {"-log", &commandLine.log},
        {"-company", &commandLine.company},
        {"-mailto", &commandLine.mailto},
        {"-contact", &commandLine.contact},
    }};
    std::array<bool, 6> seen = {};
    for (qsizetype i = 0; i < arguments.size(); i += 2) {
        const QString& name = arguments[i];
        size_t which = options.size();
        for (size_t o = 0; o < options.size(); ++o) {
            if (name == QLatin1String(options[o].first))
                which = o;
        }
        if (which == options.size()) {
            error = AfxFormatMessage(LoadAppString(IDS_FAULTPOST_UNKNOWN_OPTION), name);
            return false;
        }
        if (seen[which]) {
            error = AfxFormatMessage(LoadAppString(IDS_FAULTPOST_REPEATED_OPTION), name);
            return false;
        }
        if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
            error = AfxFormatMessage(LoadAppString(IDS_FAULTPOST_MISSING_VALUE), name);
            return false;
        }
        seen[which] = true;
        *options[which].second = arguments[i + 1];
    }
    for (size_t o = 0; o < options.size(); ++o) {
        if (!seen[o]) {
            error = AfxFormatMessage(LoadAppString(IDS_FAULTPOST_MISSING_OPTION), options[o].first);
            return false;
        }
    }
    if (!IsPlainMailAddress(commandLine.mailto)) {
        error = AfxFormatMessage(LoadAppString(IDS_FAULTPOST_BAD_ADDRESS), commandLine.mailto);
        return false;
    }
    error.clear();
    return true;
}
