#pragma once
// The search bar: the top row of the main window, with the "Search:" caption, the search
// text, the field choosers of the song and the lesson view, and the "Search" button (shown
// only while AutoResults is off), on the same blue-green gradient as the footer.
//
// The bar decides when a search runs and with what; the search itself is the current
// list's: the bar emits SearchRequested (view, text, field, force) and the frame hands it to
// that list's ApplySearch. With AutoResults on the list follows the text while the user
// types, at once or after the configured quiet time (timer 17).
//
// Keys: Tab and Shift+Tab ask the frame to move along its focus ring from stop 0. Keys of
// the bar's own accelerator table (the keyboard scheme without the edit commands) are
// taken before anything else and emitted as AcceleratorCommand; the keys of the edit
// commands are kept from every window shortcut and go to the focused control, so that Ctrl+C
// copies search text while the bar has the focus.

#include "qvsystem/controls/Gradient.h"
#include "qvsystem/controls/VirtualKeys.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <vector>

class CSearchEdit;
class CSearchFilterCtrl;
class QKeyEvent;
class QLabel;
class QPushButton;

class CMainHeaderFormView : public QWidget {
    Q_OBJECT

public:
    // Control ids (also the object names).
    static constexpr int IDC_SEARCH_EDIT = 68;
    static constexpr int IDC_SEARCH_CAPTION = 70;
    static constexpr int IDC_SEARCH_BUTTON = 71;
    static constexpr int IDC_SONG_SEARCH_FIELDS = 77;
    static constexpr int IDC_LESSON_SEARCH_FIELDS = 78;
    static constexpr int AUTORESULTS_TIMER_ID = 17;
    // The longest quiet time the options allow; a larger stored value is taken as this.
    static constexpr int MAX_AUTORESULTS_DELAY = 5000;
    // The edit commands whose keys stay with the focused control: Undo, Cut, Copy, Paste,
    // Delete, Select All, Unselect All.
    static constexpr uint16_t EDIT_COMMAND_IDS[] = {57643, 57635, 57634, 57637, 32854, 57642, 32848};
    static constexpr int VIEW_SONGS = 0;
    static constexpr int VIEW_LESSONS = 1;

    explicit CMainHeaderFormView(QWidget* parent = nullptr);
    ~CMainHeaderFormView() override;

    // Starts the current view's search with the text and that view's field, not forced.
    void RunSearch();
    // The frame's view change: empties the text without a search, shows the view's chooser
    // with "All" current and hides the other. False for a view other than 0 or 1.
    bool SetViewFields(int view);
    int GetView() const { return m_nView; }
    // Sets the text; with programmatic set no search starts (and a pending one is dropped).
    void SetSearchText(const QString& text, bool programmatic);
    QString GetSearchText() const;
    // The AutoResults option changed: the button shows only while it is off.
    void ShowSearchButton(bool show);

    // The bar's own table from the keyboard scheme's accelerator entries: every entry but
    // those of the edit commands. Replaces the previous table.
    void ApplyKeyboardScheme(const std::vector<QVACCEL>& schemeAccelerators);
    const std::vector<QVACCEL>& GetAcceleratorTable() const { return m_accelerators; }

    CSearchEdit* GetSearchEdit() const { return m_pEdit; }
    CSearchFilterCtrl* GetSongFieldChooser() const { return m_pSongFields; }
    CSearchFilterCtrl* GetLessonFieldChooser() const { return m_pLessonFields; }
    QPushButton* GetSearchButton() const { return m_pSearchButton; }
    QLabel* GetCaption() const { return m_pCaption; }
    const QTimer& GetAutoResultsTimer() const { return m_autoResultsTimer; }

    // The current AutoResults settings of the application (on, no delay without one).
    static bool IsAutoResultsEnabled();
    static int GetAutoResultsDelay();

    QSize sizeHint() const override;

signals:
    // Run the search of the view's list (0 songs, 1 lessons): ApplySearch (text, field, force).
    void SearchRequested(int view, const QString& text, int field, bool force);
    // Tab (forward) or Shift+Tab: move the focus from stop 0 of the frame's focus ring.
    void MoveFocusRequested(int fromStop, bool forward);
    // A key of the bar's accelerator table was pressed: run the command.
    void AcceleratorCommand(int commandId);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnInitialUpdate();
    void LayoutControls();
    void OnEditChange();
    void OnCommand(int notificationCode, int controlId);
    void OnClearButton();
    const QVACCEL* FindAccelerator(const QKeyEvent& event) const;
    bool IsEditCommandKey(const QKeyEvent& event) const;
    bool HandleKeyPress(QObject* watched, QKeyEvent* event);

    QLabel* m_pCaption = nullptr;
    CSearchEdit* m_pEdit = nullptr;
    CSearchFilterCtrl* m_pSongFields = nullptr;
    CSearchFilterCtrl* m_pLessonFields = nullptr;
    QPushButton* m_pSearchButton = nullptr;
    QFont m_captionFont;
    CGradient m_gradient;
    QImage m_surface;
    QTimer m_autoResultsTimer;
    std::vector<QVACCEL> m_accelerators;
    std::vector<QVACCEL> m_editAccelerators;
    int m_nView = VIEW_SONGS;
    bool m_bProgrammaticChange = false;
    bool m_bClearing = false;
};
