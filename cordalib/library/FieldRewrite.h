#pragma once
// A rewrite of some header fields of one record's file in the three stages of the records'
// WriteFieldsToFile, for a run over many files that lets the disk take one file on a helper
// thread while the next one is read and written: Prepare reads the file and writes the new
// header and the untouched rest to a temporary file beside it; Commit puts that file in
// place, at once or through a closer; Finish hands the record what the file now holds. Until
// the commit the file is as it was; a rewrite dropped before its commit removes its
// temporary file.

#include "cordalib/library/CordaFileHeader.h"

#include "qvsystem/platform/MirrorFile.h"

#include <QString>

#include <exception>
#include <string>

class CLessonRecord;
class CSongRecord;

class CFieldRewrite {
public:
    CFieldRewrite() = default;
    ~CFieldRewrite(); // waits for a commit still running
    CFieldRewrite(const CFieldRewrite&) = delete;
    CFieldRewrite& operator=(const CFieldRewrite&) = delete;

    // The fields of values named in fields (FieldBit of the record's kind) over the file's
    // current header, as WriteFieldsToFile writes them. False, with the error reported (a
    // box with showErrors, otherwise its text in errorText), when the file cannot be read,
    // is of the other kind or the temporary file cannot be written; nothing is left then.
    bool Prepare(const CSongRecord& values, unsigned fields, bool showErrors, QString* errorText);
    bool Prepare(const CLessonRecord& values, unsigned fields, bool showErrors, QString* errorText);
    bool IsPrepared() const { return m_bPrepared; }
    unsigned GetFields() const { return m_nFields; }

    // Puts the prepared file in place: here, or on the closer's helper thread, when one is
    // given, which must outlive the wait for it.
    void Commit(CMirrorFileCloser* closer = nullptr);
    // Until the commit is done; Finish waits as well.
    void WaitForCommit();
    // After the commit: true when the file is in place, and the record (the one prepared
    // from) takes every header field, the last write time and the checksum the file now
    // holds; false with the error reported as by Prepare, the record untouched.
    bool Finish(CSongRecord& record, bool showErrors, QString* errorText);
    bool Finish(CLessonRecord& record, bool showErrors, QString* errorText);

private:
    template <typename Update>
    bool PrepareWith(const QString& path, uint8_t kind, Update update, bool showErrors, QString* errorText);
    bool TakeCommitFailure(bool showErrors, QString* errorText);

    QString m_path;
    unsigned m_nFields = 0;
    bool m_bPrepared = false;
    bool m_bCommitted = false;
    CMirrorFile m_mirror;
    CMirrorFileCloser* m_pCloser = nullptr;
    std::exception_ptr m_failure;
    // What the commit puts on the disk, taken from the bytes written: the header as a later
    // read sees it and the whole file's checksum (known is false when they could not be had).
    CCordaFileHeader m_written;
    std::string m_checksum;
    bool m_bKnown = false;
};
