#include "qvsystem/controls/CaptureShortcutKeyDlg.h"

#include "qvsystem/platform/StringTable.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CCaptureShortcutKeyDlg::CCaptureShortcutKeyDlg(QWidget* parent)
    : CQVDialog(IDD_QV_CAPTURE_SHORTCUT_KEY, parent)
{
    setObjectName(QString::number(IDD_QV_CAPTURE_SHORTCUT_KEY));
    SetCaptionID(IDS_QV_CAPTURE_SHORTCUT_KEY_CAPTION);
    setWindowTitle(AfxLoadString(IDS_QV_CAPTURE_SHORTCUT_KEY_CAPTION));

    m_pText = new QLabel(AfxLoadString(IDS_QV_CAPTURE_SHORTCUT_KEY_TEXT), this);
    m_pText->setObjectName(QString::number(IDC_QV_CAPTURE_SHORTCUT_KEY_TEXT));
    m_pText->setAlignment(Qt::AlignCenter);

    m_pCancel = new QPushButton(AfxLoadString(IDS_QV_CAPTURE_SHORTCUT_KEY_CANCEL), this);
    m_pCancel->setObjectName(QStringLiteral("2"));
    // Space or Enter on a focused button would press it: every key belongs to the capture.
    m_pCancel->setFocusPolicy(Qt::NoFocus);
    m_pCancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_pCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 18, 12, 12);
    layout->addWidget(m_pText, 1);
    layout->addSpacing(14);
    layout->addLayout(buttons);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumWidth(m_pText->sizeHint().width() + 80);
}

CCaptureShortcutKeyDlg::~CCaptureShortcutKeyDlg()
{
    if (m_bFiltering)
        qApp->removeEventFilter(this);
}

void CCaptureShortcutKeyDlg::showEvent(QShowEvent* event)
{
    CQVDialog::showEvent(event);
    m_key.ClearKey();
    if (!m_bFiltering) {
        qApp->installEventFilter(this);
        m_bFiltering = true;
    }
    setFocus(Qt::OtherFocusReason);
}

void CCaptureShortcutKeyDlg::hideEvent(QHideEvent* event)
{
    if (m_bFiltering) {
        qApp->removeEventFilter(this);
        m_bFiltering = false;
    }
    CQVDialog::hideEvent(event);
}

bool CCaptureShortcutKeyDlg::IsInsideDialog(QObject* object) const
{
    auto* widget = qobject_cast<QWidget*>(object);
    return widget && (widget == this || isAncestorOf(widget));
}

bool CCaptureShortcutKeyDlg::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) || !isVisible() ||
        !IsInsideDialog(watched))
        return CQVDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (type == QEvent::ShortcutOverride) {
        // Accepted, the key comes back as a key press instead of reaching a window shortcut.
        event->accept();
        return true;
    }
    const CShortcutKey captured = CShortcutKey::FromKeyEvent(*key);
    if (captured.IsKeySet()) {
        m_key = captured;
        accept();
    }
    // A modifier key alone captures nothing and must not reach the dialog's own handling.
    return true;
}
