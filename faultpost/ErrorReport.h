#pragma once
// The summary of an error report as the sender shows it. The file is untrusted: it may be
// cut short by a second fault, damaged, huge, or not a report at all, and the sender can be
// pointed at any file. So its size is capped, it must begin with the UTF-16 LE byte-order
// mark, an odd byte at the end is left out, and the XML is read with a parser that stops at
// the first error; what was read before the error is kept when it holds the summary.

#include <QDateTime>
#include <QString>

class CErrorReport {
public:
    enum loadResult {
        loadComplete,   // the whole report was read
        loadIncomplete, // it ends early or is damaged after the summary; the summary is there
        loadMissing,    // no such file
        loadUnreadable, // not a readable file
        loadTooLarge,   // larger than any report
        loadDamaged,    // damaged before any of the summary
        loadNotAReport, // some other file
    };

    static constexpr qint64 MAX_REPORT_SIZE = 16 * 1024 * 1024;
    // Longer values are cut: they are shown in a window and go into a mail address line.
    static constexpr qsizetype MAX_VALUE_LENGTH = 2000;

    // Reads the report. For every result but loadComplete, problem holds a text that
    // says what is wrong (with the path where the user needs it).
    loadResult Load(const QString& path, QString* problem = nullptr);

    const QString& GetId() const { return m_id; }
    const QString& GetProductName() const { return m_productName; }
    const QString& GetProductVersion() const { return m_productVersion; }
    const QString& GetFaultingModule() const { return m_faultingModule; }
    const QString& GetFaultAddress() const { return m_faultAddress; }
    const QString& GetExceptionCode() const { return m_exceptionCode; }
    // The error message on one line.
    const QString& GetErrorMessage() const { return m_errorMessage; }
    const QString& GetOperatingSystem() const { return m_operatingSystem; }
    // The report's date (UTC); invalid when absent or malformed.
    const QDateTime& GetDate() const { return m_date; }
    int GetModuleCount() const { return m_moduleCount; }

    // The fault in words: the error message, else the exception code.
    QString GetFaultText() const;
    // The date in the user's local time, or the date's text as written when it does not
    // parse; empty when absent.
    QString GetLocalTimeText() const;

private:
    bool HasSummary() const;

    QString m_id;
    QString m_productName;
    QString m_productVersion;
    QString m_faultingModule;
    QString m_faultAddress;
    QString m_exceptionCode;
    QString m_errorMessage;
    QString m_operatingSystem;
    QString m_dateText;
    QDateTime m_date;
    int m_moduleCount = 0;
};
