#include "qvsystem/controls/QVDialogCommon.h"

#include "qvsystem/controls/AutoCompleteEdit.h"
#include "qvsystem/controls/QVListCtrl.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"

#include <QApplication>
#include <QQueue>

namespace {

// A widget that runs a dialog session of its own: its controls are its business.
bool IsDialogHost(const QWidget* widget)
{
    return dynamic_cast<const CQVDialogCommon*>(widget) != nullptr;
}

// The descendants of the dialog that belong to it: not inside child windows and not inside
// embedded pages. Pages themselves are included when pagesToo is set.
template <typename Visit> void ForEachOwnWidget(const QWidget* dialog, bool pagesToo, Visit visit)
{
    QQueue<const QWidget*> pending;
    pending.enqueue(dialog);
    while (!pending.isEmpty()) {
        const QWidget* parent = pending.dequeue();
        for (QObject* child : parent->children()) {
            if (!child->isWidgetType())
                continue;
            QWidget* widget = static_cast<QWidget*>(child);
            if (widget->isWindow())
                continue;
            if (IsDialogHost(widget)) {
                if (pagesToo && !visit(widget))
                    return;
                continue;
            }
            if (!visit(widget))
                return;
            pending.enqueue(widget);
        }
    }
}

} // namespace

QWidget* AfxFindDialogControl(const QWidget* dialog, int id)
{
    if (!dialog)
        return nullptr;
    const QString name = QString::number(id);
    QWidget* found = nullptr;
    ForEachOwnWidget(dialog, false, [&](QWidget* widget) {
        if (widget->objectName() == name) {
            found = widget;
            return false;
        }
        return true;
    });
    return found;
}

QRect AfxGetScreenRect(const QWidget* widget)
{
    if (!widget)
        return QRect();
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

CQVDialogCommon::CQVDialogCommon(QWidget* self) : m_pSelf(self) {}

CQVDialogCommon::~CQVDialogCommon()
{
    delete m_pValidationToolTip.data();
}

QString CQVDialogCommon::GetHelpTopic() const
{
    return QString();
}

void CQVDialogCommon::GetStateListCtrls(CQVListCtrlKeyMap&, bool) {}
void CQVDialogCommon::GetStateListCtrls(CQVListCtrlPathMap&, bool) {}
void CQVDialogCommon::GetStateListCtrls(CQVListCtrlSubKeyMap&, bool) {}
void CQVDialogCommon::GetStateAutoCompleteEditCtrls(CAutoCompleteEditKeyMap&, bool) {}
void CQVDialogCommon::GetStateAutoCompleteEditCtrls(CAutoCompleteEditSubKeyMap&, bool) {}
void CQVDialogCommon::PreSaveStateControls() {}
void CQVDialogCommon::PostSaveStateControls() {}
void CQVDialogCommon::PreLoadStateControls() {}
void CQVDialogCommon::PostLoadStateControls() {}

bool CQVDialogCommon::ValidateData(int&, QString&, QString&, QRect&)
{
    return true;
}

bool CQVDialogCommon::LoadData()
{
    return true;
}

bool CQVDialogCommon::SaveData()
{
    return true;
}

void CQVDialogCommon::GetBoldControlIDs(std::vector<int>&) const {}

void CQVDialogCommon::OnIdle() {}

bool CQVDialogCommon::ValidateAndSaveData()
{
    int icon = TTI_WARNING;
    QString caption = AfxLoadString(IDS_QV_VALIDATION_ERROR);
    QString text;
    QRect rect;
    if (!ValidateData(icon, caption, text, rect)) {
        ShowValidationErrorMessage(icon, caption, text, rect);
        return false;
    }
    return SaveData();
}

bool CQVDialogCommon::ShowValidationErrorMessage(int icon, const QString& caption, const QString& text,
                                                 const QRect& rect)
{
    if (!m_pValidationToolTip || text.isEmpty() || m_pValidationToolTip->IsActive())
        return false;
    QRect target = rect;
    if (target.isEmpty()) {
        // Pointing at the screen's corner would tell the user nothing.
        QWidget* focus = m_pSelf->focusWidget();
        target = AfxGetScreenRect(focus && m_pSelf->isAncestorOf(focus) ? focus : m_pSelf);
    }
    return m_pValidationToolTip->Activate(icon, caption, text, target);
}

bool CQVDialogCommon::HideValidationErrorMessage()
{
    return m_pValidationToolTip && m_pValidationToolTip->Deactivate();
}

bool CQVDialogCommon::IsValidationErrorMessageActive() const
{
    return m_pValidationToolTip && m_pValidationToolTip->IsActive();
}

bool CQVDialogCommon::CreateValidationToolTipWindow()
{
    if (m_pValidationToolTip)
        return true;
    m_pValidationToolTip = new CQVValidationBalloon(m_pSelf);
    return true;
}

bool CQVDialogCommon::DestroyValidationToolTipWindow()
{
    if (!m_pValidationToolTip)
        return false;
    m_pValidationToolTip->Deactivate();
    delete m_pValidationToolTip.data();
    return true;
}

void CQVDialogCommon::LoadStateControls()
{
    PreLoadStateControls();
    CQVListCtrlSubKeyMap subKeys;
    GetStateListCtrls(subKeys, false);
    for (const auto& [list, subKey] : subKeys) {
        if (list)
            list->LoadState(subKey);
    }
    CQVListCtrlPathMap paths;
    GetStateListCtrls(paths, false);
    for (const auto& [list, path] : paths) {
        if (list)
            list->LoadState(path);
    }
    CQVListCtrlKeyMap keys;
    GetStateListCtrls(keys, false);
    for (const auto& [list, key] : keys) {
        if (list)
            list->LoadState(key, true);
        else if (key)
            RegCloseKey(key);
    }
    PostLoadStateControls();
}

void CQVDialogCommon::SaveStateControls()
{
    PreSaveStateControls();
    CQVListCtrlSubKeyMap subKeys;
    GetStateListCtrls(subKeys, true);
    for (const auto& [list, subKey] : subKeys) {
        if (list)
            list->SaveState(subKey);
    }
    CQVListCtrlPathMap paths;
    GetStateListCtrls(paths, true);
    for (const auto& [list, path] : paths) {
        if (list)
            list->SaveState(path);
    }
    CQVListCtrlKeyMap keys;
    GetStateListCtrls(keys, true);
    for (const auto& [list, key] : keys) {
        if (list)
            list->SaveState(key, true);
        else if (key)
            RegCloseKey(key);
    }
    // Only lists that were switched on (and so loaded) are written back: an edit that never
    // loaded its list would otherwise overwrite the stored one.
    CAutoCompleteEditSubKeyMap editSubKeys;
    GetStateAutoCompleteEditCtrls(editSubKeys, true);
    for (const auto& [edit, subKey] : editSubKeys) {
        if (edit && edit->IsAutoCompletionEnabled())
            edit->SaveState(subKey);
    }
    CAutoCompleteEditKeyMap editKeys;
    GetStateAutoCompleteEditCtrls(editKeys, true);
    for (const auto& [edit, key] : editKeys) {
        if (edit && edit->IsAutoCompletionEnabled())
            edit->SaveState(key, true);
        else if (key)
            RegCloseKey(key);
    }
    PostSaveStateControls();
}

void CQVDialogCommon::EnableAutoCompleteControls(bool enable, unsigned sizeLimit)
{
    CAutoCompleteEditSubKeyMap subKeys;
    GetStateAutoCompleteEditCtrls(subKeys, !enable);
    CAutoCompleteEditKeyMap keys;
    GetStateAutoCompleteEditCtrls(keys, !enable);
    if (!enable) {
        for (const auto& [edit, subKey] : subKeys) {
            if (!edit)
                continue;
            edit->SaveState(subKey);
            edit->EnableAutoCompletion(false);
        }
        for (const auto& [edit, key] : keys) {
            if (!edit) {
                if (key)
                    RegCloseKey(key);
                continue;
            }
            edit->SaveState(key, true);
            edit->EnableAutoCompletion(false);
        }
        return;
    }
    for (const auto& [edit, subKey] : subKeys) {
        if (!edit)
            continue;
        edit->EnableAutoCompletion(true);
        edit->SetMRUListSizeLimit(sizeLimit);
        edit->LoadState(subKey);
    }
    for (const auto& [edit, key] : keys) {
        if (!edit) {
            if (key)
                RegCloseKey(key);
            continue;
        }
        edit->EnableAutoCompletion(true);
        edit->SetMRUListSizeLimit(sizeLimit);
        edit->LoadState(key, true);
    }
}

void CQVDialogCommon::UpdateFonts(const QFont* font)
{
    const QFont base = font ? *font : m_pSelf->font();
    m_fontBold = base;
    m_fontBold.setWeight(QFont::Bold);
    m_fontItalic = base;
    m_fontItalic.setItalic(true);
    m_fontUnderline = base;
    m_fontUnderline.setUnderline(true);
    std::vector<int> ids;
    GetBoldControlIDs(ids);
    for (int id : ids) {
        if (QWidget* control = GetDlgItem(id))
            control->setFont(m_fontBold);
    }
}

bool CQVDialogCommon::OpenHelpTopic() const
{
    const QString topic = GetHelpTopic();
    if (topic.isEmpty())
        return false;
    AfxOpenHelpTarget(topic);
    return true;
}

void CQVDialogCommon::SetBusy(bool busy)
{
    if (busy == m_bBusy)
        return;
    m_bBusy = busy;
    if (busy) {
        // Controls with cursors of their own (edits show the text cursor) would otherwise
        // hide the busy cursor over them.
        m_savedCursors.clear();
        QWidget* window = m_pSelf->window();
        for (QWidget* widget : m_pSelf->findChildren<QWidget*>()) {
            if (widget->window() == window && widget->testAttribute(Qt::WA_SetCursor)) {
                m_savedCursors.emplace_back(widget, widget->cursor());
                widget->setCursor(Qt::BusyCursor);
            }
        }
        m_pSelf->setCursor(Qt::BusyCursor);
    } else {
        RestoreCursors();
        m_pSelf->unsetCursor();
    }
}

void CQVDialogCommon::RestoreCursors()
{
    for (const auto& [widget, cursor] : m_savedCursors) {
        if (widget)
            widget->setCursor(cursor);
    }
    m_savedCursors.clear();
}

bool CQVDialogCommon::GetDlgItemRect(int id, QRect& rect) const
{
    const QWidget* control = GetDlgItem(id);
    if (!control)
        return false;
    rect = AfxGetScreenRect(control);
    return true;
}

bool CQVDialogCommon::EndStateSession()
{
    if (!m_bSessionActive)
        return false;
    m_bSessionActive = false;
    DestroyValidationToolTipWindow();
    SaveStateControls();
    // Pages placed inside this dialog end with it.
    std::vector<QPointer<QWidget>> pages;
    ForEachOwnWidget(m_pSelf, true, [&pages](QWidget* widget) {
        if (IsDialogHost(widget))
            pages.emplace_back(widget);
        return true;
    });
    for (const QPointer<QWidget>& page : pages) {
        if (CQVDialogCommon* host = dynamic_cast<CQVDialogCommon*>(page.data()))
            host->EndStateSession();
    }
    return true;
}
