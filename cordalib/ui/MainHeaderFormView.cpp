#include "cordalib/ui/MainHeaderFormView.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/app/RecordSearch.h"
#include "cordalib/ui/SearchFilterCtrl.h"
#include "qvsystem/controls/MemDC.h"
#include "qvsystem/controls/SearchEdit.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

namespace {

// Where the controls sit: the template's layout in pixels.
constexpr int LEFT_MARGIN = 10;
constexpr int RIGHT_MARGIN = 10; // the choosers end this far before the right edge
constexpr int EDIT_TOP = 8;
constexpr int CAPTION_GAP = 8;
constexpr int BUTTON_GAP = 6;
constexpr int CHOOSER_GAP = 2;
constexpr int MIN_EDIT_WIDTH = 260;
constexpr int EDIT_WIDTH_CHARS = 36;
constexpr int MIN_BUTTON_WIDTH = 75;
constexpr int BOTTOM_MARGIN = 6;

const QColor GRADIENT_START(0, 102, 153);
const QColor GRADIENT_END(0, 153, 153);

QString ControlName(int id)
{
    return QString::number(id);
}

} // namespace

CMainHeaderFormView::CMainHeaderFormView(QWidget* parent)
    : QWidget(parent), m_gradient(GRADIENT_START, GRADIENT_END)
{
    setObjectName(QStringLiteral("13"));
    m_pCaption = new QLabel(tr("Search:"), this);
    m_pCaption->setObjectName(ControlName(IDC_SEARCH_CAPTION));
    m_pEdit = new CSearchEdit(this);
    m_pEdit->setObjectName(ControlName(IDC_SEARCH_EDIT));
    m_pSongFields = new CSearchFilterCtrl(this);
    m_pSongFields->setObjectName(ControlName(IDC_SONG_SEARCH_FIELDS));
    m_pLessonFields = new CSearchFilterCtrl(this);
    m_pLessonFields->setObjectName(ControlName(IDC_LESSON_SEARCH_FIELDS));
    m_pLessonFields->hide();
    m_pSearchButton = new QPushButton(tr("Search"), this);
    m_pSearchButton->setObjectName(ControlName(IDC_SEARCH_BUTTON));
    m_pSearchButton->setAutoDefault(false);

    // The bar's first focus is the text; the frame gives the bar the focus.
    setFocusProxy(m_pEdit);
    m_pEdit->installEventFilter(this);
    m_pSearchButton->installEventFilter(this);

    m_autoResultsTimer.setSingleShot(true);
    m_autoResultsTimer.setObjectName(QString::number(AUTORESULTS_TIMER_ID));
    connect(&m_autoResultsTimer, &QTimer::timeout, this, [this] {
        m_autoResultsTimer.stop();
        RunSearch();
    });
    connect(m_pEdit, &QLineEdit::textChanged, this, &CMainHeaderFormView::OnEditChange);
    connect(m_pEdit, &CSearchEdit::CommandNotification, this, &CMainHeaderFormView::OnCommand);
    connect(m_pSongFields, &CSearchFilterCtrl::CommandNotification, this, &CMainHeaderFormView::OnCommand);
    connect(m_pLessonFields, &CSearchFilterCtrl::CommandNotification, this, &CMainHeaderFormView::OnCommand);
    connect(m_pSearchButton, &QPushButton::clicked, this, &CMainHeaderFormView::RunSearch);

    OnInitialUpdate();
}

CMainHeaderFormView::~CMainHeaderFormView()
{
    m_autoResultsTimer.stop();
}

void CMainHeaderFormView::OnInitialUpdate()
{
    m_pSearchButton->setVisible(!IsAutoResultsEnabled());
    for (CSearchFilterCtrl* chooser : {m_pSongFields, m_pLessonFields}) {
        chooser->SetTextColour(Qt::white);
        chooser->SetArrowColour(Qt::white);
    }
    for (int field = songSearchAll; field < SONG_SEARCH_FIELD_COUNT; ++field)
        m_pSongFields->AddItem(LoadAppString(IDS_SONG_SEARCH_FIELD_FIRST + field));
    for (int field = lessonSearchAll; field < LESSON_SEARCH_FIELD_COUNT; ++field)
        m_pLessonFields->AddItem(LoadAppString(IDS_LESSON_SEARCH_FIELD_FIRST + field));
    m_pSongFields->SetCurItem(0);
    m_pLessonFields->SetCurItem(0);

    m_captionFont = font();
    m_captionFont.setPointSize(10);
    m_captionFont.setWeight(QFont::Bold);
    m_pCaption->setFont(m_captionFont);
    QPalette captionPalette = m_pCaption->palette();
    captionPalette.setColor(QPalette::WindowText, Qt::white);
    m_pCaption->setPalette(captionPalette);
    LayoutControls();
}

bool CMainHeaderFormView::IsAutoResultsEnabled()
{
    CCordaLibrarianApp* app = GetCordaLibrarianApp();
    return app ? app->GetSearchSettings().GetEnableAutoResults() : true;
}

int CMainHeaderFormView::GetAutoResultsDelay()
{
    CCordaLibrarianApp* app = GetCordaLibrarianApp();
    if (!app)
        return 0;
    // The store may hold anything; a value past the options' range would overflow the timer.
    return static_cast<int>(
        std::min<uint32_t>(app->GetSearchSettings().GetAutoResultsDelay(), MAX_AUTORESULTS_DELAY));
}

QString CMainHeaderFormView::GetSearchText() const
{
    return m_pEdit->text();
}

void CMainHeaderFormView::RunSearch()
{
    const CSearchFilterCtrl* chooser = m_nView == VIEW_LESSONS ? m_pLessonFields : m_pSongFields;
    emit SearchRequested(m_nView, m_pEdit->text(), chooser->GetCurItem(), false);
}

bool CMainHeaderFormView::SetViewFields(int view)
{
    if (view != VIEW_SONGS && view != VIEW_LESSONS)
        return false;
    SetSearchText(QString(), true);
    m_nView = view;
    CSearchFilterCtrl* shown = view == VIEW_SONGS ? m_pSongFields : m_pLessonFields;
    CSearchFilterCtrl* hidden = view == VIEW_SONGS ? m_pLessonFields : m_pSongFields;
    shown->SetCurItem(0);
    shown->show();
    hidden->hide();
    return true;
}

void CMainHeaderFormView::SetSearchText(const QString& text, bool programmatic)
{
    if (programmatic) {
        // A search still waiting for the user's quiet time was for text that is gone.
        m_autoResultsTimer.stop();
        m_bProgrammaticChange = true;
    }
    m_pEdit->setText(text);
    m_bProgrammaticChange = false;
}

void CMainHeaderFormView::ShowSearchButton(bool show)
{
    m_pSearchButton->setVisible(show);
}

void CMainHeaderFormView::OnEditChange()
{
    if (m_bProgrammaticChange)
        return;
    m_autoResultsTimer.stop();
    if (IsAutoResultsEnabled()) {
        const int delay = GetAutoResultsDelay();
        if (delay != 0 && !m_bClearing)
            m_autoResultsTimer.start(delay);
        else
            RunSearch();
    }
    m_bClearing = false;
}

void CMainHeaderFormView::OnCommand(int notificationCode, int controlId)
{
    if (notificationCode == EN_QV_CLEARBUTTON && controlId == IDC_SEARCH_EDIT) {
        OnClearButton();
    } else if (notificationCode == SFN_SELCHANGE &&
               (controlId == IDC_SONG_SEARCH_FIELDS || controlId == IDC_LESSON_SEARCH_FIELDS)) {
        if (!m_pEdit->text().isEmpty())
            RunSearch();
    }
}

void CMainHeaderFormView::OnClearButton()
{
    m_bClearing = true;
    m_pEdit->clear();
    RunSearch();
    m_bClearing = false;
}

void CMainHeaderFormView::ApplyKeyboardScheme(const std::vector<QVACCEL>& schemeAccelerators)
{
    m_accelerators.clear();
    m_editAccelerators.clear();
    for (const QVACCEL& accel : schemeAccelerators) {
        const bool editCommand = std::find(std::begin(EDIT_COMMAND_IDS), std::end(EDIT_COMMAND_IDS),
                                           accel.cmd) != std::end(EDIT_COMMAND_IDS);
        (editCommand ? m_editAccelerators : m_accelerators).push_back(accel);
    }
}

const QVACCEL* CMainHeaderFormView::FindAccelerator(const QKeyEvent& event) const
{
    for (const QVACCEL& accel : m_accelerators) {
        if (AfxKeyEventMatchesAccelerator(event, accel))
            return &accel;
    }
    return nullptr;
}

bool CMainHeaderFormView::IsEditCommandKey(const QKeyEvent& event) const
{
    return std::any_of(m_editAccelerators.begin(), m_editAccelerators.end(), [&event](const QVACCEL& accel) {
        return AfxKeyEventMatchesAccelerator(event, accel);
    });
}

bool CMainHeaderFormView::HandleKeyPress(QObject* watched, QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) &&
        !(modifiers & (Qt::ControlModifier | Qt::AltModifier))) {
        const bool forward = event->key() == Qt::Key_Tab && !(modifiers & Qt::ShiftModifier);
        emit MoveFocusRequested(0, forward);
        return true;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier &&
        watched == m_pEdit && !IsAutoResultsEnabled()) {
        RunSearch();
        return true;
    }
    if (const QVACCEL* accel = FindAccelerator(*event)) {
        emit AcceleratorCommand(accel->cmd);
        return true;
    }
    return false;
}

bool CMainHeaderFormView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_pEdit && watched != m_pSearchButton)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        // Accepting the override keeps the key from every window shortcut: it comes back
        // as a key press, to the bar's table or, for the edit commands, to the control.
        auto* key = static_cast<QKeyEvent*>(event);
        if (FindAccelerator(*key) || IsEditCommandKey(*key)) {
            event->accept();
            return true;
        }
    } else if (event->type() == QEvent::KeyPress) {
        if (HandleKeyPress(watched, static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

QSize CMainHeaderFormView::sizeHint() const
{
    const int choosersBottom = m_pSongFields->geometry().bottom() + 1;
    return QSize(200, std::max(60, choosersBottom + BOTTOM_MARGIN));
}

void CMainHeaderFormView::LayoutControls()
{
    const QSize editSize = m_pEdit->sizeHint();
    const int editWidth =
        std::max(MIN_EDIT_WIDTH, m_pEdit->fontMetrics().averageCharWidth() * EDIT_WIDTH_CHARS);
    const QSize captionSize = m_pCaption->sizeHint();
    m_pCaption->setGeometry(LEFT_MARGIN, EDIT_TOP + (editSize.height() - captionSize.height()) / 2,
                            captionSize.width(), captionSize.height());
    const int editLeft = LEFT_MARGIN + captionSize.width() + CAPTION_GAP;
    m_pEdit->setGeometry(editLeft, EDIT_TOP, editWidth, editSize.height());
    const int buttonWidth = std::max(MIN_BUTTON_WIDTH, m_pSearchButton->sizeHint().width());
    m_pSearchButton->setGeometry(editLeft + editWidth + BUTTON_GAP, EDIT_TOP, buttonWidth, editSize.height());
    const int chooserTop = EDIT_TOP + editSize.height() + CHOOSER_GAP;
    for (CSearchFilterCtrl* chooser : {m_pSongFields, m_pLessonFields})
        chooser->setGeometry(editLeft, chooserTop, std::max(0, width() - RIGHT_MARGIN - editLeft),
                             chooser->sizeHint().height());
}

void CMainHeaderFormView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutControls();
    m_surface = QImage();
}

void CMainHeaderFormView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    const QSize deviceSize = (QSizeF(size()) * ratio).toSize();
    // The off-screen picture follows the client size (and the screen's density).
    if (m_surface.size() != deviceSize || m_surface.devicePixelRatio() != ratio) {
        m_surface = QImage(deviceSize, QImage::Format_ARGB32_Premultiplied);
        m_surface.setDevicePixelRatio(ratio);
    }
    CMemDC dc(&painter, rect(), &m_surface, m_gradient, rect());
}
