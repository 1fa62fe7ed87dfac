#pragma once
// A small JSON writer that keeps the members in the order they are written (the command
// output documents its member order) and escapes texts as RFC 8259 requires. The output
// is UTF-8.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

class CJsonWriter {
public:
    CJsonWriter& BeginObject();
    CJsonWriter& EndObject();
    CJsonWriter& BeginArray();
    CJsonWriter& EndArray();
    // The name of the next member of the current object.
    CJsonWriter& Key(const QString& name);

    CJsonWriter& Value(const QString& text);
    CJsonWriter& Value(const char* utf8) { return Value(QString::fromUtf8(utf8)); }
    // An 8-bit text of the records (Windows-1252), converted to Unicode.
    CJsonWriter& AnsiValue(const std::string& text);
    CJsonWriter& Value(int64_t number);
    CJsonWriter& Value(uint64_t number);
    CJsonWriter& Value(int number) { return Value(static_cast<int64_t>(number)); }
    CJsonWriter& Value(unsigned number) { return Value(static_cast<uint64_t>(number)); }
    CJsonWriter& Value(double number);
    CJsonWriter& Bool(bool value);
    CJsonWriter& Null();

    // Key and value in one call.
    template <typename T> CJsonWriter& Member(const QString& name, const T& value)
    {
        Key(name);
        return Value(value);
    }

    const QByteArray& GetText() const { return m_text; }

    static QByteArray Quote(const QString& text);

private:
    void BeforeValue();

    QByteArray m_text;
    // Per open container: whether a value has been written into it yet.
    std::vector<bool> m_hasValue;
    bool m_afterKey = false;
};
