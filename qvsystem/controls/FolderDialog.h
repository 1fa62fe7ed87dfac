#pragma once
// The folder browser: a QFileDialog that picks one folder.
//
// The folder argument is the starting folder on entry (used when it exists) and the chosen
// folder on return. Of the browse flags, BIF_NEWDIALOGSTYLE without BIF_NONEWFOLDERBUTTON
// lets the user create folders; the others are accepted and need nothing here (the dialog
// always returns file-system folders and always has an edit box).
//
// The callback overloads call the callback with BFFM_INITIALIZED once the dialog is set up
// and before it is shown (it may call SetSelection, SetOKText, EnableOK), and with
// BFFM_SELCHANGED and the folder whenever the highlighted or entered folder changes (it may
// call EnableOK). The callback's return value is ignored.

#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <cstdint>
#include <functional>

class QFileDialog;
class QWidget;

inline constexpr unsigned BIF_RETURNONLYFSDIRS = 0x0001;
inline constexpr unsigned BIF_DONTGOBELOWDOMAIN = 0x0002;
inline constexpr unsigned BIF_STATUSTEXT = 0x0004;
inline constexpr unsigned BIF_RETURNFSANCESTORS = 0x0008;
inline constexpr unsigned BIF_EDITBOX = 0x0010;
inline constexpr unsigned BIF_VALIDATE = 0x0020;
inline constexpr unsigned BIF_NEWDIALOGSTYLE = 0x0040;
inline constexpr unsigned BIF_USENEWUI = BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
inline constexpr unsigned BIF_NONEWFOLDERBUTTON = 0x0200;

inline constexpr unsigned BFFM_INITIALIZED = 1;
inline constexpr unsigned BFFM_SELCHANGED = 2;

// What a callback may do with the open browser.
class QVSYSTEM_EXPORT CQVFolderBrowser {
public:
    explicit CQVFolderBrowser(QFileDialog* dialog) : m_pDialog(dialog) {}

    // Shows the folder: its parent is opened and the folder selected in it.
    void SetSelection(const QString& folder);
    void EnableOK(bool enable);
    void SetOKText(const QString& text);
    QFileDialog* GetDialog() const { return m_pDialog; }

private:
    QFileDialog* m_pDialog;
};

using QVBrowseCallback =
    std::function<int(CQVFolderBrowser& browser, unsigned message, const QString& folder, intptr_t param)>;

// Nonzero and the chosen folder when the user picked one; 0 (folder unchanged) when
// cancelled or when a title id does not load.
QVSYSTEM_EXPORT int AfxFolderDialogDoModal(QWidget* owner, const QString& title, QString& folder,
                                           unsigned flags = BIF_RETURNONLYFSDIRS | BIF_USENEWUI);
QVSYSTEM_EXPORT int AfxFolderDialogDoModal(QWidget* owner, unsigned titleId, QString& folder,
                                           unsigned flags = BIF_RETURNONLYFSDIRS | BIF_USENEWUI);
QVSYSTEM_EXPORT int AfxFolderDialogDoModal(QWidget* owner, const QString& title, QString& folder,
                                           unsigned flags, const QVBrowseCallback& callback,
                                           intptr_t param = 0);
QVSYSTEM_EXPORT int AfxFolderDialogDoModal(QWidget* owner, unsigned titleId, QString& folder, unsigned flags,
                                           const QVBrowseCallback& callback, intptr_t param = 0);
