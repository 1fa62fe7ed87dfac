#include "qvsystem/platform/StringTable.h"

#include <QLocale>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <limits>
#include <string>

CStringTable::CStringTable(std::initializer_list<std::pair<unsigned, const char*>> entries)
{
    m_strings.reserve(entries.size());
    for (const auto& [id, text] : entries)
        m_strings[id] = QString::fromUtf8(text);
}

void CStringTable::Add(unsigned id, const QString& text)
{
    m_strings[id] = text;
}

bool CStringTable::Load(unsigned id, QString& text) const
{
    const auto it = m_strings.find(id);
    if (it == m_strings.end()) {
        text.clear();
        return false;
    }
    text = it->second;
    return true;
}

namespace {

std::atomic<const CStringTable*> g_applicationTable{nullptr};

// Bounds a width or precision taken from a format text, so that a stray "%1!999999999d!"
// cannot ask for a giant buffer.
constexpr int MAX_FIELD = 4096;

struct PrintfSpec {
    QString flags;
    int width = -1;
    int precision = -1;
    bool wide64 = false; // ll, I64, j, z, t: the full 64 bits even for small negative values
    QChar conversion;
};

bool ParseSpec(const QString& text, PrintfSpec& directive)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && QStringView(u"-+ #0").contains(text[i]))
        directive.flags.append(text[i++]);
    auto readNumber = [&](int& value) {
        if (i >= n || !text[i].isDigit())
            return;
        value = 0;
        while (i < n && text[i].isDigit()) {
            value = std::min(MAX_FIELD, value * 10 + text[i].digitValue());
            ++i;
        }
    };
    readNumber(directive.width);
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        directive.precision = 0;
        readNumber(directive.precision);
    }
    // Length modifiers change nothing here except whether a negative value may be shown
    // in 32 bits, as Windows does for a plain !x! or !u!.
    static const char* const modifiers[] = {"I64", "I32", "ll", "hh", "h", "l", "L",
                                            "q",   "j",   "z",  "t",  "I", "w"};
    for (bool matched = true; matched && i < n;) {
        matched = false;
        for (const char* modifier : modifiers) {
            const QLatin1StringView m(modifier);
            if (QStringView(text).mid(i).startsWith(m)) {
                if (m == QLatin1StringView("I64") || m == QLatin1StringView("ll") ||
                    m == QLatin1StringView("j") || m == QLatin1StringView("z") ||
                    m == QLatin1StringView("t") || m == QLatin1StringView("q"))
                    directive.wide64 = true;
                i += m.size();
                matched = true;
                break;
            }
        }
    }
    if (i + 1 != n)
        return false;
    directive.conversion = text[i];
    return QStringView(u"diuxXocCsSeEfFgGaA").contains(directive.conversion);
}

QString Pad(QString text, const PrintfSpec& directive)
{
    if (directive.precision >= 0 && text.size() > directive.precision)
        text.truncate(directive.precision);
    if (directive.width > text.size()) {
        const QString fill(directive.width - text.size(), QLatin1Char(' '));
        text = directive.flags.contains(QLatin1Char('-')) ? text + fill : fill + text;
    }
    return text;
}

std::string CFormat(const PrintfSpec& directive, const char* length, char conversion)
{
    std::string format = "%";
    format += directive.flags.toStdString();
    if (directive.width >= 0)
        format += std::to_string(directive.width);
    if (directive.precision >= 0) {
        format += '.';
        format += std::to_string(directive.precision);
    }
    format += length;
    format += conversion;
    return format;
}

template <typename T> QString PrintNumber(const std::string& format, T value)
{
    char small[128];
    const int needed = std::snprintf(small, sizeof small, format.c_str(), value);
    if (needed < 0)
        return QString();
    if (static_cast<size_t>(needed) < sizeof small)
        return QString::fromLatin1(small, needed);
    std::string large(static_cast<size_t>(needed) + 1, '\0');
    std::snprintf(large.data(), large.size(), format.c_str(), value);
    return QString::fromLatin1(large.data(), needed);
}

} // namespace

QString CMessageArg::ToText() const
{
    if (const auto* text = std::get_if<QString>(&m_value))
        return *text;
    if (const auto* value = std::get_if<int64_t>(&m_value))
        return QString::number(*value);
    if (const auto* value = std::get_if<uint64_t>(&m_value))
        return QString::number(*value);
    return QString::number(std::get<double>(m_value), 'g', QLocale::FloatingPointShortest);
}

QString CMessageArg::Format(const QString& printfSpec) const
{
    PrintfSpec directive;
    if (!ParseSpec(printfSpec, directive))
        return ToText();
    const char conversion = directive.conversion.toLatin1();
    if (conversion == 's' || conversion == 'S')
        return Pad(ToText(), directive);
    if (std::holds_alternative<QString>(m_value)) {
        // A text given where a number was expected is shown as it stands.
        PrintfSpec textSpec = directive;
        textSpec.precision = -1;
        return Pad(std::get<QString>(m_value), textSpec);
    }
    int64_t asSigned = 0;
    uint64_t asUnsigned = 0;
    double asDouble = 0.0;
    if (const auto* value = std::get_if<int64_t>(&m_value)) {
        asSigned = *value;
        asUnsigned = static_cast<uint64_t>(*value);
        if (*value < 0 && *value >= std::numeric_limits<int32_t>::min() && !directive.wide64)
            asUnsigned = static_cast<uint32_t>(*value);
        asDouble = static_cast<double>(*value);
    } else if (const auto* uvalue = std::get_if<uint64_t>(&m_value)) {
        asSigned = static_cast<int64_t>(*uvalue);
        asUnsigned = *uvalue;
        asDouble = static_cast<double>(*uvalue);
    } else {
        asDouble = std::get<double>(m_value);
        const bool inRange = asDouble > -9.2e18 && asDouble < 9.2e18;
        asSigned = inRange ? static_cast<int64_t>(asDouble) : 0;
        asUnsigned = static_cast<uint64_t>(asSigned);
    }
    switch (conversion) {
    case 'd':
    case 'i':
        return PrintNumber(CFormat(directive, "ll", 'd'), static_cast<long long>(asSigned));
    case 'u':
    case 'x':
    case 'X':
    case 'o':
        return PrintNumber(CFormat(directive, "ll", conversion), static_cast<unsigned long long>(asUnsigned));
    case 'c':
    case 'C': {
        const char32_t code = static_cast<char32_t>(asUnsigned);
        PrintfSpec charSpec = directive;
        charSpec.precision = -1;
        return Pad(code != 0 ? QString::fromUcs4(&code, 1) : QString(), charSpec);
    }
    default:
        return PrintNumber(CFormat(directive, "", conversion), asDouble);
    }
}

QString AfxFormatMessageV(const QString& format, std::span<const CMessageArg> args)
{
    QString result;
    result.reserve(format.size() + 16 * static_cast<qsizetype>(args.size()));
    const qsizetype n = format.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = format[i];
        if (c != QLatin1Char('%') || i + 1 >= n) {
            result.append(c);
            ++i;
            continue;
        }
        const QChar next = format[i + 1];
        if (next == QLatin1Char('%')) {
            result.append(QLatin1Char('%'));
            i += 2;
            continue;
        }
        if (next < QLatin1Char('1') || next > QLatin1Char('9')) {
            result.append(c);
            ++i;
            continue;
        }
        size_t index = static_cast<size_t>(next.digitValue());
        qsizetype end = i + 2;
        if (end < n && format[end].isDigit() && format[end].unicode() < 128) {
            index = index * 10 + static_cast<size_t>(format[end].digitValue());
            ++end;
        }
        QString directive;
        bool hasSpec = false;
        if (end < n && format[end] == QLatin1Char('!')) {
            const qsizetype close = format.indexOf(QLatin1Char('!'), end + 1);
            if (close > end) {
                directive = format.mid(end + 1, close - end - 1);
                hasSpec = true;
                end = close + 1;
            }
        }
        if (index <= args.size()) {
            const CMessageArg& arg = args[index - 1];
            result.append(hasSpec ? arg.Format(directive) : arg.ToText());
        } else {
            result.append(QStringView(format).mid(i, end - i));
        }
        i = end;
    }
    return result;
}

void AfxSetApplicationStringTable(const CStringTable* table)
{
    g_applicationTable.store(table, std::memory_order_release);
}

const CStringTable* AfxGetApplicationStringTable()
{
    return g_applicationTable.load(std::memory_order_acquire);
}

bool AfxLoadString(unsigned id, QString& text)
{
    const CStringTable* application = AfxGetApplicationStringTable();
    if (application && application->Load(id, text))
        return true;
    return AfxGetQVSystemStringTable().Load(id, text);
}

QString AfxLoadString(unsigned id)
{
    QString text;
    AfxLoadString(id, text);
    return text;
}
