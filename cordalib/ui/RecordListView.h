#pragma once
// The panes that hold the song and the lesson list (CSongListView, CLessonListView): the
// list fills the pane exactly and the pane never scrolls. At the first initial update the
// pane inserts the list's columns and loads their saved state ("Window Settings\\Song List
// View" or "...\\Lesson List View"); when the pane goes, it saves the state.

#include <QWidget>

class CRecordListCtrl;
class CSongListCtrl;
class CLessonListCtrl;
class CLibraryDatabase;

class CRecordListView : public QWidget {
    Q_OBJECT

public:
    // The dialog template of both panes.
    static constexpr int TEMPLATE_ID = 222;

    ~CRecordListView() override;

    CRecordListCtrl* GetListCtrl() const { return m_pList; }
    // Inserts the columns and loads their state, once (the first show does it too).
    void OnInitialUpdate();
    bool IsInitialized() const { return m_bInitialized; }

protected:
    CRecordListView(CRecordListCtrl* list, QWidget* parent);
    void showEvent(QShowEvent* event) override;

private:
    CRecordListCtrl* m_pList;
    bool m_bInitialized = false;
};

class CSongListView : public CRecordListView {
    Q_OBJECT

public:
    explicit CSongListView(QWidget* parent = nullptr, CLibraryDatabase* database = nullptr);
    CSongListCtrl* GetSongListCtrl() const;
};

class CLessonListView : public CRecordListView {
    Q_OBJECT

public:
    explicit CLessonListView(QWidget* parent = nullptr, CLibraryDatabase* database = nullptr);
    CLessonListCtrl* GetLessonListCtrl() const;
};
