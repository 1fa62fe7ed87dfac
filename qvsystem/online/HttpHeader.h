#pragma once
// The header of an HTTP response: the version word and status code of its first line and
// the fields up to the blank line.

#include "qvsystem/platform/OleDateTime.h"
#include "qvsystem/qvsystem_export.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <map>

class QVSYSTEM_EXPORT CHttpHeader {
public:
    using FieldsMap = std::map<QString, QString>;

    // Parses the start of the stream once it holds the whole header (up to and including
    // "\r\n\r\n"); false, and the header unchanged, while it does not. The first line is a
    // version word and a status number; each further line is a field, split at its first
    // ':' and trimmed, kept when its name is not empty (a later field of the same name
    // wins). The header's length counts the blank line.
    bool InitializeFromStream(const QByteArray& stream);
    bool IsInitialized() const { return m_nLength != 0; }

    // Field names compare exactly here; GetContentLength and IsChunked look their fields up
    // regardless of case, since servers write them either way.
    QString GetFieldValue(const QString& name) const;
    void SetFieldValue(const QString& name, const QString& value);
    bool RemoveField(const QString& name);
    void RemoveAllFields();
    const FieldsMap& GetFieldsMap() const { return m_fields; }

    // "Content-Length" as a number; 0 when absent, -1 when present but not a number.
    int64_t GetContentLength() const;
    bool HasContentLength() const;
    // "Transfer-Encoding" names chunked.
    bool IsChunked() const;
    // "Last-Modified" in UTC; a value that is not valid when absent or unreadable.
    COleDateTime GetLastModified() const;

    QString GetVersion() const { return m_strVersion; }
    int GetStatusCode() const { return m_nStatusCode; }
    // Bytes up to and including the blank line; 0 before the header was parsed.
    int GetLength() const { return m_nLength; }

private:
    QString FindField(const QString& name) const;

    QString m_strVersion;
    int m_nStatusCode = 0;
    int m_nLength = 0;
    FieldsMap m_fields;
};
