#pragma once
// File names, path splitting, existence tests, recycling and opening files.
//
// Paths are QStrings; a null QString stands for a missing argument and makes the
// function fail quietly. Both '/' and '\\' count as path separators, so that paths written
// on Windows still split the same way.

#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <cstdint>

// Perl-syntax regular-expression search (not a whole-text match) of pattern in text.
// Case-insensitive unless caseSensitive is set. A null argument, a pattern that does not
// compile or a search that the engine gives up on is no match.
QVSYSTEM_EXPORT bool AfxMatchText(const QString& text, const QString& pattern, bool caseSensitive);

// True when the name (no folder part) is usable as a file name: its stem is not blank, does
// not begin with a blank or a period and is no reserved device name (CON, PRN, AUX, NUL,
// COM1-9, LPT1-9, CLOCK$, alone or followed by a blank or period); the whole name does not
// end in a blank, '|' or a period and contains none of \/:*?"<>|.
QVSYSTEM_EXPORT bool AfxIsValidFileName(const QString& fileName);

// The name with each of \/:*?"<>| replaced by a blank (replace set) or removed.
QVSYSTEM_EXPORT bool AfxValidateFileName(const QString& fileName, bool replace, QString& cleanedFileName);

// True unless the path is null or does not exist: a folder counts, and so does a path
// that exists but cannot be read.
QVSYSTEM_EXPORT bool AfxDoesFileExist(const QString& path);
// True when the path exists and is not a folder.
QVSYSTEM_EXPORT bool AfxIsExistingFile(const QString& path);

// True when the folder contains the child path: the parent, compared component by
// component without regard to case, is a leading part of the child that ends at a
// separator, and the child names something below it. A path is never its own parent.
QVSYSTEM_EXPORT bool AfxIsParentFolder(const QString& parentFolder, const QString& childPath);
QVSYSTEM_EXPORT bool AfxIsSubfolder(const QString& parentFolder, const QString& childPath);

// Splits a path after its last separator: the folder keeps that separator, the file name is
// the rest. Both outputs are emptied first; fails only on a null path.
QVSYSTEM_EXPORT bool AfxExtractFolderPathAndFileNameFromPath(const QString& path, QString& folderPath,
                                                             QString& fileName);
QVSYSTEM_EXPORT bool AfxExtractFolderPathFromPath(const QString& path, QString& folderPath);

// Shell file-operation flags that callers pass on; the desktop trash asks no questions and
// shows no progress, so only the allow-undo flag has a meaning here.
inline constexpr uint16_t FOF_SILENT = 0x0004;
inline constexpr uint16_t FOF_NOCONFIRMATION = 0x0010;
inline constexpr uint16_t FOF_ALLOWUNDO = 0x0040;
inline constexpr uint16_t FOF_NOERRORUI = 0x0400;

// Moves the file (or folder) into the desktop trash, or removes it for good when
// deletePermanently is set. True when the file is gone from its place.
QVSYSTEM_EXPORT bool AfxRecycleFile(const QString& path, bool deletePermanently = false,
                                    uint16_t flags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI);

// Show commands that callers pass on (ignored: the desktop decides how the window opens).
inline constexpr int SW_SHOWNORMAL = 1;

// Asks the desktop to open the file or folder with the application associated with it.
// The desktop's opener takes no command-line parameters or working folder, so those are
// not passed on. Fails for a path that does not exist, since the opener runs on its own and
// would otherwise report a missing file as opened.
QVSYSTEM_EXPORT bool AfxOpenFile(const QString& file, const QString& parameters = QString(),
                                 const QString& folder = QString(), int showCommand = SW_SHOWNORMAL);
