#pragma once
// Safe save: writing with modeCreate goes to a temporary file in the target's folder,
// which replaces the target (keeping its permissions) only when Close succeeds. Abort,
// a failed Close, or destruction without Close leave the target as it was and remove
// the temporary file.

#include "qvsystem/platform/File.h"

#include <QByteArray>

class QVSYSTEM_EXPORT CMirrorFile : public CFile {
public:
    CMirrorFile() = default;
    ~CMirrorFile() override; // aborts when still open

    bool Open(const QString& path, unsigned openFlags, CFileException* error = nullptr) override;
    void Close() override; // fsync, rename over the target, fsync the folder; throws on failure
    void Abort() override;

    // The temporary file's path while open for writing (empty otherwise).
    QString GetTemporaryPath() const { return m_strMirrorName; }

private:
    void DiscardMirror();
    [[noreturn]] void FailClose(int osError);

    QString m_strMirrorName;
    // The system-call forms: a name need not be valid UTF-8 to be removed or replaced.
    QByteArray m_nativeMirror;
    QByteArray m_nativeTarget;
    bool m_targetExisted = false;
    unsigned m_targetMode = 0;
    unsigned m_targetOwner = 0;
    unsigned m_targetGroup = 0;
};
