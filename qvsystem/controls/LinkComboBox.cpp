#include "qvsystem/controls/LinkComboBox.h"

#include "qvsystem/platform/StringTable.h"
#include "qvsystem/system/UrlUtilities.h"

#include <QFileDialog>
#include <QMetaObject>
#include <QRegularExpression>

#include <mutex>

namespace {

const char* const SCHEMES[] = {"http://", "mailto:", "file://", "https://", "ftp://", "news:", "gopher://"};

std::mutex g_runnerMutex;
CLinkComboBox::FileDialogRunner g_runner;

CLinkComboBox::FileDialogRunner CurrentRunner()
{
    std::lock_guard lock(g_runnerMutex);
    return g_runner;
}

int ControlId(const QWidget* widget)
{
    return widget->objectName().toInt();
}

} // namespace

QStringList AfxConvertFileDialogFilter(const QString& filter)
{
    QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    // Pairs of description and patterns; the list ends at the first empty description.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        if (description.isEmpty())
            break;
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString trimmed = pattern.trimmed();
            patterns << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
        }
        if (patterns.isEmpty())
            continue;
        // QFileDialog takes the patterns from the parentheses at the end of the text.
        static const QRegularExpression trailing(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
        description.remove(trailing);
        filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

CLinkComboBox::CLinkComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    for (const char* scheme : SCHEMES)
        addItem(QString::fromLatin1(scheme));
    setCurrentIndex(-1);
    connect(this, &QComboBox::activated, this, &CLinkComboBox::OnActivated);
}

CLinkComboBox::~CLinkComboBox() = default;

void CLinkComboBox::SetFileDialogRunner(FileDialogRunner runner)
{
    std::lock_guard lock(g_runnerMutex);
    g_runner = std::move(runner);
}

bool CLinkComboBox::IsValidURL() const
{
    return AfxIsValidURL(currentText()) != 0;
}

void CLinkComboBox::OnActivated(int index)
{
    if (itemText(index).compare(QLatin1String("file://"), Qt::CaseInsensitive) != 0) {
        emit CommandNotification(CBN_SELCHANGE, ControlId(this));
        return;
    }
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The read-only box of the Windows dialog has no counterpart here.
    dialog.setNameFilters(AfxConvertFileDialogFilter(AfxLoadString(IDS_QV_ALL_FILES_FILTER)));
    const FileDialogRunner runner = CurrentRunner();
    const int result = runner ? runner(dialog) : dialog.exec();
    const QStringList files = dialog.selectedFiles();
    if (result != QDialog::Accepted || files.isEmpty() || files.first().isEmpty()) {
        emit CommandNotification(CBN_SELCHANGE, ControlId(this));
        return;
    }
    m_strFilePath = files.first();
    // After the combo has finished with the selection, which would otherwise put the entry's
    // text back over the address.
    QMetaObject::invokeMethod(this, &CLinkComboBox::OnFileChosen, Qt::QueuedConnection);
}

void CLinkComboBox::OnFileChosen()
{
    if (m_strFilePath.isEmpty())
        return;
    setEditText(QStringLiteral("file://") + m_strFilePath);
    m_strFilePath.clear();
    emit CommandNotification(CBN_QV_LINKFILECHOSEN, ControlId(this));
}
