#include "cordalib/cli/JsonWriter.h"

#include "qvsystem/platform/CodePage.h"

#include <cmath>
#include <cstdio>

QByteArray CJsonWriter::Quote(const QString& text)
{
    QByteArray out;
    out.reserve(text.size() + 2);
    out.append('"');
    const QByteArray utf8 = text.toUtf8();
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out.append("\\\"");
            break;
        case '\\':
            out.append("\\\\");
            break;
        case '\n':
            out.append("\\n");
            break;
        case '\r':
            out.append("\\r");
            break;
        case '\t':
            out.append("\\t");
            break;
        case '\b':
            out.append("\\b");
            break;
        case '\f':
            out.append("\\f");
            break;
        default:
            if (u < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", u);
                out.append(escape);
            } else {
                out.append(c);
            }
        }
    }
    out.append('"');
    return out;
}

void CJsonWriter::BeforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_hasValue.empty()) {
        if (m_hasValue.back())
            m_text.append(',');
        m_hasValue.back() = true;
    }
}

CJsonWriter& CJsonWriter::BeginObject()
{
    BeforeValue();
    m_text.append('{');
    m_hasValue.push_back(false);
    return *this;
}

CJsonWriter& CJsonWriter::EndObject()
{
    m_text.append('}');
    if (!m_hasValue.empty())
        m_hasValue.pop_back();
    return *this;
}

CJsonWriter& CJsonWriter::BeginArray()
{
    BeforeValue();
    m_text.append('[');
    m_hasValue.push_back(false);
    return *this;
}

CJsonWriter& CJsonWriter::EndArray()
{
    m_text.append(']');
    if (!m_hasValue.empty())
        m_hasValue.pop_back();
    return *this;
}

CJsonWriter& CJsonWriter::Key(const QString& name)
{
    BeforeValue();
    m_text.append(Quote(name));
    m_text.append(':');
    m_afterKey = true;
    return *this;
}

CJsonWriter& CJsonWriter::Value(const QString& text)
{
    BeforeValue();
    m_text.append(Quote(text));
    return *this;
}

CJsonWriter& CJsonWriter::AnsiValue(const std::string& text)
{
    return Value(AfxAnsiToUnicode(text));
}

CJsonWriter& CJsonWriter::Value(int64_t number)
{
    BeforeValue();
    m_text.append(QByteArray::number(static_cast<qlonglong>(number)));
    return *this;
}

CJsonWriter& CJsonWriter::Value(uint64_t number)
{
    BeforeValue();
    m_text.append(QByteArray::number(static_cast<qulonglong>(number)));
    return *this;
}

CJsonWriter& CJsonWriter::Value(double number)
{
    BeforeValue();
    // JSON has no NaN or infinity.
    if (!std::isfinite(number))
        m_text.append("null");
    else
        m_text.append(QByteArray::number(number, 'g', 17));
    return *this;
}

CJsonWriter& CJsonWriter::Bool(bool value)
{
    BeforeValue();
    m_text.append(value ? "true" : "false");
    return *this;
}

CJsonWriter& CJsonWriter::Null()
{
    BeforeValue();
    m_text.append("null");
    return *this;
}
