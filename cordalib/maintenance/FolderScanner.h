#pragma once
// Walks synchronized folders for tablature files (.crd, any letter case).
//
// Directory entries come from the kernel with their type, so a file costs no stat here.
// Every folder scanned is remembered by device and inode: a folder reached a second time
// (a nested synchronized folder, a link to an ancestor, a link loop) is not scanned again,
// so no file is handled twice and every walk ends. Links to folders are followed only
// after every real folder tree of the run has been walked, so that a file reachable both
// directly and through a link is handled under its direct path, whatever order the
// entries come in. Dangling links are skipped.
//
// The files of a folder are handled while it is being listed; its sub-folders are walked
// after it is closed, so only one folder is open at a time however deep the tree goes.
//
// A folder that cannot be read, or that vanishes while it is walked, adds an error line
// and is remembered as incomplete: what lies below it was not seen, which does not mean it
// is gone.

#include "cordalib/maintenance/ProgressWindow.h"

#include "qvsystem/platform/FileTime.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

#include <deque>
#include <functional>
#include <unordered_set>
#include <vector>

// A tablature file the walk found, while its folder is open: its state can be asked for
// relative to the folder, without walking the whole path again.
class CScannedFile {
public:
    // user: the effective user of the walk, for the permission bits.
    CScannedFile(int folderDescriptor, const char* name, uid_t user)
        : m_folder(folderDescriptor), m_name(name), m_user(user)
    {
    }

    // The last write time (of a link's target) and whether this process may open the file
    // for reading. One look at the file decides where its permission bits allow reading;
    // the kernel is asked only where they seem not to. False when it cannot be looked at.
    bool GetState(FILETIME& time, bool& readable) const;

private:
    int m_folder;
    const char* m_name;
    uid_t m_user;
};

class CFolderScanner {
public:
    // Called with the full path of each tablature file found.
    using FileFound = std::function<void(const QString& path, const CScannedFile& file)>;

    // errors receives the error lines; window (may be null) is asked for Cancel between
    // entries.
    CFolderScanner(IProgressWindow* window, QStringList& errors, FileFound fileFound);

    // Walks the real folder tree below folder; links to folders wait for ScanLinks. False
    // when Cancel was pressed.
    bool ScanFolder(const QString& folder);
    // Follows the links to folders found so far, and those found below them, until none is
    // left. False when Cancel was pressed.
    bool ScanLinks();
    bool WasCancelled() const { return m_bCancelled; }

    // True when the path lies in (or is) a folder that could not be walked completely.
    bool IsInIncompleteFolder(const QString& path) const;
    const QStringList& GetIncompleteFolders() const { return m_incompleteFolders; }

    // True when the name ends in ".crd", ignoring letter case.
    static bool IsTablatureFileName(const char* name, size_t length);

private:
    struct FolderId {
        dev_t device;
        ino_t inode;
        bool operator==(const FolderId&) const = default;
    };
    struct FolderIdHash {
        size_t operator()(const FolderId& id) const noexcept
        {
            return std::hash<unsigned long long>()(static_cast<unsigned long long>(id.inode) * 31u +
                                                   static_cast<unsigned long long>(id.device));
        }
    };

    // Opens and walks one folder; followLink allows the final component to be a link.
    bool Walk(const QByteArray& nativePath, bool followLink);
    // One entry of an open folder: a file is reported, a folder noted for later.
    void HandleEntry(int folder, const QByteArray& nativePath, const char* name, unsigned char type,
                     std::vector<QByteArray>& subfolders);
    bool CheckCancel();
    void AddError(const QByteArray& nativePath, int error);
    void MarkIncomplete(const QByteArray& nativePath);

    IProgressWindow* m_pWindow;
    QStringList& m_errors;
    FileFound m_fileFound;
    std::unordered_set<FolderId, FolderIdHash> m_visited;
    std::deque<QByteArray> m_pendingLinks;
    QStringList m_incompleteFolders;
    bool m_bCancelled = false;
    uid_t m_user; // asked once per walk, not once per file
    static constexpr size_t LISTING_BUFFER_SIZE = 64 * 1024;
    std::vector<char> m_listing; // the entries of the folder being listed
};

// The path without trailing separators (the root stays "/").
QString NormalizeFolderPath(const QString& folder);
// True when path lies below folder (whole components, compared exactly as the file
// system compares names). A path is never inside itself.
bool IsPathInFolder(const QString& folder, const QString& path);
