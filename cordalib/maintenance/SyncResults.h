#pragma once
// What one synchronization run did, for the command that started it.

#include <QString>
#include <QStringList>

#include <cstdint>

// How a run ended.
enum syncOutcome : int {
    syncCompleted = 0,     // carried to its end, possibly with error lines
    syncCancelled = 1,     // Cancel was pressed while scanning; nothing was applied
    syncFolderMissing = 2, // a synchronized folder does not exist; nothing was applied
};

class CSyncResults {
public:
    void Zero() { *this = CSyncResults(); }

    uint32_t GetAdded() const { return m_nSongsAdded + m_nLessonsAdded; }
    uint32_t GetUpdated() const { return m_nSongsUpdated + m_nLessonsUpdated; }
    uint32_t GetRenamed() const { return m_nSongsRenamed + m_nLessonsRenamed; }
    uint32_t GetRemoved() const { return m_nSongsRemoved + m_nLessonsRemoved; }

    bool AnySongCounter() const
    {
        return m_nSongsAdded || m_nSongsUpdated || m_nSongsRenamed || m_nSongsRemoved;
    }
    bool AnyLessonCounter() const
    {
        return m_nLessonsAdded || m_nLessonsUpdated || m_nLessonsRenamed || m_nLessonsRemoved;
    }
    // A completed run reports only when it changed something or met an error.
    bool HasSomethingToReport() const
    {
        return AnySongCounter() || AnyLessonCounter() || !m_errors.isEmpty();
    }

    uint32_t m_nSongsAdded = 0;
    uint32_t m_nSongsUpdated = 0; // refreshed from the file or written into it
    uint32_t m_nSongsRenamed = 0;
    uint32_t m_nSongsRemoved = 0;
    uint32_t m_nLessonsAdded = 0;
    uint32_t m_nLessonsUpdated = 0;
    uint32_t m_nLessonsRenamed = 0;
    uint32_t m_nLessonsRemoved = 0;
    QStringList m_errors;           // one line per failure, in the order met
    double m_dElapsedSeconds = 0.0; // scanning plus applying
    syncOutcome m_outcome = syncCompleted;
};
