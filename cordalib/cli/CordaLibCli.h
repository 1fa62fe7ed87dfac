#pragma once
// cordalib-cli: the command-line librarian. It works on the same settings store and
// library database as the desktop program, through the same application core.

#include "cordalib/cli/CliArguments.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class CCordaLibrarianApp;
class CChangeLock;
class CSingleInstance;
class CSongRecord;
class CLessonRecord;
class CJsonWriter;

class CCordaLibCli {
public:
    CCordaLibCli();
    ~CCordaLibCli();

    // Runs one command (the arguments after the program name); returns the exit status.
    int Run(const QStringList& arguments);

    // Lines written to standard output and standard error (UTF-8).
    void Out(const QString& line);
    void OutJson(const QByteArray& json);
    void Err(const QString& text);

private:
    // Takes the change lock and checks the desktop program's lock; prints the refusal.
    int AcquireChangeLocks();
    int StartCore();

    int RunFolders();
    int RunSync();
    int RunSongs();
    int RunLessons();
    int RunSummary();
    int RunHeader();
    int RunEdit();
    int RunRate();
    int RunRename();
    int RunRemove();
    int RunBackup();
    int RunInfo();
    int RunCheck();

    // Saves the library after a change; a failure is reported with exit status 2.
    int SaveLibrary();
    // The record whose path is the file (compared without regard to case, the argument
    // made absolute). Both null when the library does not hold it.
    void FindRecord(const QString& file, CSongRecord*& song, CLessonRecord*& lesson) const;
    // FindRecord, printing the refusal (exit status 3) when the file is not in the library.
    int FindRecordOrRefuse(const QString& file, CSongRecord*& song, CLessonRecord*& lesson);
    // In JSON mode, the record as a changing command leaves it.
    void PrintRecordJson(const CSongRecord* song, const CLessonRecord* lesson);
    int EditSong(CSongRecord& song);
    int EditLesson(CLessonRecord& lesson);

    CCliArguments m_args;
    std::unique_ptr<CCordaLibrarianApp> m_app;
    std::unique_ptr<CChangeLock> m_changeLock;
    std::unique_ptr<CSingleInstance> m_desktopLock;
};
