#include "cordalib/ui/RecordListView.h"

#include "cordalib/ui/LessonListCtrl.h"
#include "cordalib/ui/SongListCtrl.h"

#include <QVBoxLayout>

CRecordListView::CRecordListView(CRecordListCtrl* list, QWidget* parent) : QWidget(parent), m_pList(list)
{
    setObjectName(QString::number(TEMPLATE_ID));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_pList);
}

CRecordListView::~CRecordListView()
{
    if (m_bInitialized)
        m_pList->SaveState(m_pList->GetStateKey());
}

void CRecordListView::OnInitialUpdate()
{
    if (m_bInitialized)
        return;
    m_bInitialized = true;
    m_pList->InsertDefaultColumns();
    m_pList->LoadState(m_pList->GetStateKey());
    // The saved state names the sort; rows filled before it was loaded are sorted now.
    if (m_pList->GetSortColumn() >= 0)
        m_pList->SortItems(m_pList->GetSortColumn(), m_pList->IsSortAscending(), true);
}

void CRecordListView::showEvent(QShowEvent* event)
{
    OnInitialUpdate();
    QWidget::showEvent(event);
}

CSongListView::CSongListView(QWidget* parent, CLibraryDatabase* database)
    : CRecordListView(new CSongListCtrl(nullptr, database), parent)
{
}

CSongListCtrl* CSongListView::GetSongListCtrl() const
{
    return static_cast<CSongListCtrl*>(GetListCtrl());
}

CLessonListView::CLessonListView(QWidget* parent, CLibraryDatabase* database)
    : CRecordListView(new CLessonListCtrl(nullptr, database), parent)
{
}

CLessonListCtrl* CLessonListView::GetLessonListCtrl() const
{
    return static_cast<CLessonListCtrl*>(GetListCtrl());
}
