#include "qvsystem/controls/FolderDialog.h"

#include "qvsystem/platform/StringTable.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QThread>

namespace {

// Keeps a callback's EnableOK(false) in force: the dialog re-enables its button whenever the
// selection changes, so accepting is refused here as well.
class CFolderFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void SetOKEnabled(bool enable)
    {
        m_bOKEnabled = enable;
        ApplyOKEnabled();
        // After the dialog's own update of the button for the same change.
        QMetaObject::invokeMethod(
            this, [this]() { ApplyOKEnabled(); }, Qt::QueuedConnection);
    }

    void accept() override
    {
        if (m_bOKEnabled)
            QFileDialog::accept();
    }

private:
    void ApplyOKEnabled()
    {
        if (m_bOKEnabled)
            return;
        if (auto* box = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))) {
            for (QAbstractButton* button : box->buttons()) {
                if (box->buttonRole(button) == QDialogButtonBox::AcceptRole)
                    button->setEnabled(false);
            }
        }
    }

    bool m_bOKEnabled = true;
};

int ShowFolderDialog(QWidget* owner, const QString& title, QString& folder, unsigned flags,
                     const QVBrowseCallback* callback, intptr_t param)
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread())
        return 0;

    CFolderFileDialog dialog(owner, title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    const bool newFolders = (flags & BIF_NEWDIALOGSTYLE) != 0 && (flags & BIF_NONEWFOLDERBUTTON) == 0;
    dialog.setOption(QFileDialog::ReadOnly, !newFolders);
    // A callback works on the dialog's own widgets, which a native dialog does not have.
    if (callback && *callback)
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        dialog.setDirectory(folder);

    CQVFolderBrowser browser(&dialog);
    if (callback && *callback) {
        const auto selectionChanged = [&browser, callback, param](const QString& path) {
            (*callback)(browser, BFFM_SELCHANGED, path, param);
        };
        QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog, selectionChanged);
        QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog, selectionChanged);
        (*callback)(browser, BFFM_INITIALIZED, QString(), param);
    }

    if (dialog.exec() != QDialog::Accepted)
        return 0;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return 0;
    folder = QDir::cleanPath(chosen.first());
    return 1;
}

} // namespace

void CQVFolderBrowser::SetSelection(const QString& folder)
{
    if (m_pDialog && !folder.isEmpty() && QFileInfo(folder).isDir())
        m_pDialog->setDirectory(folder);
}

void CQVFolderBrowser::EnableOK(bool enable)
{
    if (auto* dialog = dynamic_cast<CFolderFileDialog*>(m_pDialog))
        dialog->SetOKEnabled(enable);
}

void CQVFolderBrowser::SetOKText(const QString& text)
{
    if (m_pDialog)
        m_pDialog->setLabelText(QFileDialog::Accept, text);
}

int AfxFolderDialogDoModal(QWidget* owner, const QString& title, QString& folder, unsigned flags)
{
    return ShowFolderDialog(owner, title, folder, flags, nullptr, 0);
}

int AfxFolderDialogDoModal(QWidget* owner, unsigned titleId, QString& folder, unsigned flags)
{
    QString title;
    if (!AfxLoadString(titleId, title))
        return 0;
    return ShowFolderDialog(owner, title, folder, flags, nullptr, 0);
}

int AfxFolderDialogDoModal(QWidget* owner, const QString& title, QString& folder, unsigned flags,
                           const QVBrowseCallback& callback, intptr_t param)
{
    return ShowFolderDialog(owner, title, folder, flags, &callback, param);
}

int AfxFolderDialogDoModal(QWidget* owner, unsigned titleId, QString& folder, unsigned flags,
                           const QVBrowseCallback& callback, intptr_t param)
{
    QString title;
    if (!AfxLoadString(titleId, title))
        return 0;
    return ShowFolderDialog(owner, title, folder, flags, &callback, param);
}
