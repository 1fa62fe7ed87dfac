#pragma once
// HTML help. A help file name ("cordalib.chm") stands for a folder of HTML pages with a
// contents and an index file (controls/HelpCollection.h), shown by one help viewer window
// (controls/HelpViewer.h). A topic is addressed as "<help file>::/<page>[#anchor]".
//
// Where the pages of "<name>.chm" are looked for, first found wins:
//   1. a folder set with AfxSetHtmlHelpFolder;
//   2. <folder of the program>/../share/<name>/help (the installed layout: bin/ beside share/);
//   3. for the program's own help file, the source tree's data/help, so that a program run
//      from its build tree shows the pages it was built with;
//   4. <name>/help in each of the XDG data folders ($XDG_DATA_HOME, $XDG_DATA_DIRS).
// A folder counts when it holds the contents file.
//
// Each display function returns nonzero when the viewer shows what was asked. When the
// viewer refuses (no such help file, no such page, a damaged contents or index file, no
// window can be shown) it keeps the reason as its last error, shows it with
// AfxHtmlHelpErrorMessageBox(MB_OK | MB_ICONEXCLAMATION) and returns 0.

#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/qvsystem_export.h"

#include <QString>
#include <QStringList>

// Opens the help at its table of contents.
QVSYSTEM_EXPORT int AfxHtmlHelpDisplayContents(const QString& helpFile);
// Opens the index with the keyword typed into it (empty: the whole index).
QVSYSTEM_EXPORT int AfxHtmlHelpDisplayIndex(const QString& helpFile, const QString& keyword);
// Opens the full-text search and runs the query at once (empty: only the search tab).
QVSYSTEM_EXPORT int AfxHtmlHelpDisplaySearch(const QString& helpFile, const QString& query);
// Opens the help at its first page, or the topic when the path names one ("file::/page.htm").
QVSYSTEM_EXPORT int AfxHtmlHelpDisplayTopic(const QString& helpPath);
// Opens the topic "%s::/%s" (file, topic).
QVSYSTEM_EXPORT int AfxHtmlHelpDisplayTopic(const QString& helpFile, const QString& topic);

// Shows "An html help error has occurred.\r\n\r\n%1" with the viewer's last error when it
// has one; returns the box's result, 0 when there is nothing to show.
QVSYSTEM_EXPORT int AfxHtmlHelpErrorMessageBox(unsigned type = MB_OK | MB_ICONEXCLAMATION);
// The viewer's last error; false (and an empty text) when the last request succeeded.
QVSYSTEM_EXPORT bool AfxHtmlHelpGetLastError(QString& description);
// How the viewer records a refusal of its own (a link it cannot follow); empty clears.
QVSYSTEM_EXPORT void AfxHtmlHelpSetLastError(const QString& description);

// The folder of a help file's pages, or empty when none is found.
QVSYSTEM_EXPORT QString AfxGetHtmlHelpFolder(const QString& helpFile);
// The folders looked in, in order (the set folder alone when one is set).
QVSYSTEM_EXPORT QStringList AfxGetHtmlHelpSearchFolders(const QString& helpFile);
// Sets the folder of a help file (compared by file name, ignoring letter case); an empty
// folder goes back to the search.
QVSYSTEM_EXPORT void AfxSetHtmlHelpFolder(const QString& helpFile, const QString& folder);

// Makes the viewer the topic handler of AfxOpenHelpTarget, so that F1 and the Help buttons
// of dialogs and message boxes open their topics in it. The program calls it at start-up.
QVSYSTEM_EXPORT void AfxInstallHtmlHelpViewer();
