#include "qvsystem/system/VersionNumber.h"

namespace {

bool IsSeparator(QChar c)
{
    return c == u',' || c == u'.' || c == u' ';
}

// A whole signed decimal number, nothing else; values beyond 32 bits do not fit a
// component and fail like any other unreadable token.
bool ParseToken(QStringView token, uint32_t& value)
{
    qsizetype i = 0;
    bool negative = false;
    if (token[0] == u'+' || token[0] == u'-') {
        negative = token[0] == u'-';
        ++i;
    }
    if (i == token.size())
        return false;
    uint64_t number = 0;
    for (; i < token.size(); ++i) {
        const char16_t c = token[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        number = number * 10 + (c - u'0');
        if (number > UINT32_MAX)
            return false;
    }
    if (negative && number != 0)
        return false;
    value = static_cast<uint32_t>(number);
    return true;
}

} // namespace

CVersionNumber::CVersionNumber(uint32_t major, uint32_t minor, uint32_t revision, uint32_t build)
    : m_major(major), m_minor(minor), m_revision(revision), m_build(build)
{
}

CVersionNumber::CVersionNumber(const QString& text)
{
    ParseVersionNumberString(text, m_major, m_minor, m_revision, m_build);
}

void CVersionNumber::SetNumber(uint32_t major, uint32_t minor, uint32_t revision, uint32_t build)
{
    m_major = major;
    m_minor = minor;
    m_revision = revision;
    m_build = build;
}

void CVersionNumber::GetNumber(uint32_t& major, uint32_t& minor, uint32_t& revision, uint32_t& build) const
{
    major = m_major;
    minor = m_minor;
    revision = m_revision;
    build = m_build;
}

bool CVersionNumber::ParseVersionNumberString(const QString& text, uint32_t& major, uint32_t& minor,
                                              uint32_t& revision, uint32_t& build)
{
    major = minor = revision = build = 0;
    uint32_t values[4] = {};
    int index = 0;
    const qsizetype length = text.size();
    qsizetype pos = 0;
    while (pos < length) {
        if (IsSeparator(text[pos])) {
            ++pos;
            continue;
        }
        qsizetype end = pos;
        while (end < length && !IsSeparator(text[end]))
            ++end;
        uint32_t value = 0;
        if (!ParseToken(QStringView(text).mid(pos, end - pos), value))
            return false;
        if (index < 4)
            values[index++] = value;
        pos = end;
    }
    major = values[0];
    minor = values[1];
    revision = values[2];
    build = values[3];
    return true;
}

QString CVersionNumber::GetText() const
{
    // Unsigned: a component above 2^31 must not print as a negative number.
    return QStringLiteral("%1.%2.%3.%4").arg(m_major).arg(m_minor).arg(m_revision).arg(m_build);
}
