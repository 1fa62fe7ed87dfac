#pragma once
// String tables from numeric id to text, one per deliverable, and the message formatter
// with the inserts %1, %2!d!, %1!s! and %%.

#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <span>
#include <unordered_map>
#include <utility>
#include <variant>

class QVSYSTEM_EXPORT CStringTable {
public:
    CStringTable() = default;
    CStringTable(std::initializer_list<std::pair<unsigned, const char*>> entries); // UTF-8 texts

    void Add(unsigned id, const QString& text);
    // False (and an empty text) when the id has no entry.
    bool Load(unsigned id, QString& text) const;
    bool Contains(unsigned id) const { return m_strings.count(id) != 0; }

private:
    std::unordered_map<unsigned, QString> m_strings;
};

// qvsystem's own table (its message texts, ids 22500 and up, and the rest).
QVSYSTEM_EXPORT const CStringTable& AfxGetQVSystemStringTable();
// The running program registers its table at start-up; the table must outlive its use.
QVSYSTEM_EXPORT void AfxSetApplicationStringTable(const CStringTable* table);
QVSYSTEM_EXPORT const CStringTable* AfxGetApplicationStringTable();
// Looks in the program's table, then in qvsystem's. False and empty text when absent.
QVSYSTEM_EXPORT bool AfxLoadString(unsigned id, QString& text);
QVSYSTEM_EXPORT QString AfxLoadString(unsigned id);

// One insert value of the message formatter.
class QVSYSTEM_EXPORT CMessageArg {
public:
    CMessageArg(const QString& text) : m_value(text) {}
    CMessageArg(const char* utf8) : m_value(QString::fromUtf8(utf8)) {}
    CMessageArg(int value) : m_value(static_cast<int64_t>(value)) {}
    CMessageArg(long value) : m_value(static_cast<int64_t>(value)) {}
    CMessageArg(long long value) : m_value(static_cast<int64_t>(value)) {}
    CMessageArg(unsigned value) : m_value(static_cast<uint64_t>(value)) {}
    CMessageArg(unsigned long value) : m_value(static_cast<uint64_t>(value)) {}
    CMessageArg(unsigned long long value) : m_value(static_cast<uint64_t>(value)) {}
    CMessageArg(double value) : m_value(value) {}

    // The value as %n!s! (or a bare %n) shows it; numbers in decimal.
    QString ToText() const;
    // The value as %n!d! (or !u!, !x!, ...) with a printf conversion shows it.
    QString Format(const QString& printfSpec) const;

private:
    std::variant<QString, int64_t, uint64_t, double> m_value;
};

// FormatMessage-style: %1..%99 with an optional !printf-spec!, %% for a percent sign.
// An insert without a value is kept as written.
QVSYSTEM_EXPORT QString AfxFormatMessageV(const QString& format, std::span<const CMessageArg> args);

template <typename... Args>
QString AfxFormatMessage(const QString& format, const Args&... args)
{
    const CMessageArg values[] = {CMessageArg(args)..., CMessageArg(QString())};
    return AfxFormatMessageV(format, std::span<const CMessageArg>(values, sizeof...(Args)));
}
