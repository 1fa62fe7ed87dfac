#include "qvsystem/controls/ColumnsDlg.h"

#include "qvsystem/controls/QVListCtrl.h"
#include "qvsystem/platform/StringTable.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString IdName(int id)
{
    return QString::number(id);
}

} // namespace

CColumnsDlg::CColumnsDlg(CQVListCtrl* listCtrl, QWidget* parent)
    : CQVDialog(IDD_QV_COLUMNS, parent), m_pListCtrl(listCtrl)
{
    SetCaptionID(IDS_QV_COLUMNS_CAPTION);

    m_pInstruction = new QLabel(AfxLoadString(IDS_QV_COLUMNS_INSTRUCTION), this);
    m_pInstruction->setObjectName(IdName(IDC_QV_COLUMNS_INSTRUCTION));
    m_pInstruction->setWordWrap(true);

    m_pColumns = new CQVListCtrl(this);
    m_pColumns->setObjectName(IdName(IDC_QV_COLUMNS_LIST));
    m_pColumns->InsertColumn(0, QString());
    m_pColumns->SetCheckBoxes(true);
    m_pColumns->setHeaderHidden(true);
    m_pColumns->GetHeaderCtrl()->setStretchLastSection(true);
    m_pColumns->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pColumns->SetBlockNonItemClicks(true);
    m_pColumns->setMinimumSize(200, 180);

    m_pMoveUp = new QPushButton(AfxLoadString(IDS_QV_COLUMNS_MOVE_UP), this);
    m_pMoveUp->setObjectName(IdName(IDC_QV_COLUMNS_MOVE_UP));
    m_pMoveDown = new QPushButton(AfxLoadString(IDS_QV_COLUMNS_MOVE_DOWN), this);
    m_pMoveDown->setObjectName(IdName(IDC_QV_COLUMNS_MOVE_DOWN));
    m_pReset = new QPushButton(AfxLoadString(IDS_QV_COLUMNS_RESET), this);
    m_pReset->setObjectName(IdName(IDC_QV_COLUMNS_RESET));
    for (QPushButton* button : {m_pMoveUp, m_pMoveDown, m_pReset})
        button->setAutoDefault(false);

    m_pWidthLabel = new QLabel(AfxLoadString(IDS_QV_COLUMNS_WIDTH), this);
    m_pWidthLabel->setObjectName(IdName(IDC_QV_COLUMNS_WIDTH_LABEL));
    m_pWidth = new QLineEdit(this);
    m_pWidth->setObjectName(IdName(IDC_QV_COLUMNS_WIDTH));
    // Digits only, as a number field takes them; the value is clamped when taken.
    m_pWidth->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), m_pWidth));
    m_pWidth->setMaximumWidth(m_pWidth->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    m_pWidth->setAlignment(Qt::AlignRight);
    m_pWidthLabel->setBuddy(m_pWidth);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(IdName(1));
    ok->setText(AfxLoadString(IDS_QV_SHEET_OK));
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setObjectName(IdName(2));
    cancel->setText(AfxLoadString(IDS_QV_SHEET_CANCEL));

    auto* side = new QVBoxLayout;
    side->addWidget(m_pMoveUp);
    side->addWidget(m_pMoveDown);
    side->addSpacing(12);
    side->addWidget(m_pReset);
    side->addStretch(1);

    auto* width = new QHBoxLayout;
    width->addWidget(m_pWidthLabel);
    width->addWidget(m_pWidth);
    width->addStretch(1);

    auto* grid = new QGridLayout;
    grid->addWidget(m_pColumns, 0, 0);
    grid->addLayout(side, 0, 1);
    grid->addLayout(width, 1, 0, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pInstruction);
    layout->addSpacing(4);
    layout->addLayout(grid, 1);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    // The instruction wraps at the width the list and its buttons need.
    m_pInstruction->setMinimumWidth(m_pColumns->minimumWidth() + m_pMoveDown->sizeHint().width() + 8);

    connect(m_pMoveUp, &QPushButton::clicked, this, [this] { MoveUp(); });
    connect(m_pMoveDown, &QPushButton::clicked, this, [this] { MoveDown(); });
    connect(m_pReset, &QPushButton::clicked, this, [this] { Reset(); });
    connect(m_pWidth, &QLineEdit::editingFinished, this, [this] { StoreWidth(); });
    connect(m_pColumns->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { OnSelectionChanged(); });
    connect(m_pColumns->model(), &QAbstractItemModel::rowsMoved, this, [this] { UpdateButtons(); });
    UpdateButtons();
}

CColumnsDlg::~CColumnsDlg() = default;

bool CColumnsDlg::OnInitDialog()
{
    CQVDialog::OnInitDialog();
    LoadData();
    return true;
}

int CColumnsDlg::TrueColumnOfRow(int row) const
{
    const QVariant value = m_pColumns->GetItemData(row);
    return value.isValid() ? value.toInt() : -1;
}

int CColumnsDlg::GetColumnWidth(int trueColumn) const
{
    const auto found = m_mapWidths.find(trueColumn);
    return found == m_mapWidths.end() ? -1 : found->second;
}

void CColumnsDlg::AddRow(int trueColumn, bool ticked)
{
    QVCOLUMN column;
    m_pListCtrl->GetQVColumn(trueColumn, column);
    const int row = m_pColumns->InsertItem(m_pColumns->GetItemCount(), column.strHeading);
    m_pColumns->SetItemData(row, trueColumn);
    m_pColumns->SetCheck(row, ticked);
}

void CColumnsDlg::SelectRow(int row)
{
    if (row < 0 || row >= m_pColumns->GetItemCount()) {
        m_pColumns->UnselectAllItems();
        return;
    }
    m_pColumns->selectionModel()->setCurrentIndex(
        m_pColumns->model()->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

bool CColumnsDlg::LoadData()
{
    m_nWidthColumn = -1;
    m_pColumns->DeleteAllItems();
    m_mapWidths.clear();
    if (!m_pListCtrl)
        return false;
    for (int position = 0; position < m_pListCtrl->GetInsertedColumnCount(); ++position) {
        const int trueColumn = m_pListCtrl->GetLeftToRightTrueColumn(position);
        if (m_pListCtrl->DoesTrueColumnExist(trueColumn))
            AddRow(trueColumn, true);
    }
    for (int trueColumn : m_pListCtrl->GetTrueColumns()) {
        if (!m_pListCtrl->IsQVColumnVisible(trueColumn))
            AddRow(trueColumn, false);
    }
    for (int trueColumn : m_pListCtrl->GetTrueColumns())
        m_mapWidths[trueColumn] = std::max(m_pListCtrl->GetQVColumnWidth(trueColumn), 0);
    SelectRow(0);
    OnSelectionChanged();
    return true;
}

void CColumnsDlg::Reset()
{
    m_nWidthColumn = -1;
    m_pColumns->DeleteAllItems();
    for (int trueColumn : m_pListCtrl->GetTrueColumns()) {
        AddRow(trueColumn, true);
        m_mapWidths[trueColumn] = m_pListCtrl->GetDefaultColumnWidth(trueColumn);
    }
    SelectRow(0);
    OnSelectionChanged();
}

bool CColumnsDlg::MoveUp()
{
    StoreWidth();
    const bool moved = m_pColumns->MoveSelectedItemUp() >= 0;
    UpdateButtons();
    return moved;
}

bool CColumnsDlg::MoveDown()
{
    StoreWidth();
    const bool moved = m_pColumns->MoveSelectedItemDown() >= 0;
    UpdateButtons();
    return moved;
}

void CColumnsDlg::StoreWidth()
{
    if (m_nWidthColumn < 0)
        return;
    // Digits only reach the field; anything it cannot convert counts as 0.
    bool converted = false;
    const qlonglong value = m_pWidth->text().toLongLong(&converted);
    const int width = converted ? static_cast<int>(std::clamp<qlonglong>(value, 0, MAX_COLUMN_WIDTH)) : 0;
    m_mapWidths[m_nWidthColumn] = width;
    if (m_pWidth->text() != QString::number(width))
        m_pWidth->setText(QString::number(width));
}

void CColumnsDlg::OnSelectionChanged()
{
    StoreWidth();
    const int row = m_pColumns->GetSingleSelectionItem();
    m_nWidthColumn = row >= 0 ? TrueColumnOfRow(row) : -1;
    if (m_nWidthColumn >= 0)
        m_pWidth->setText(QString::number(GetColumnWidth(m_nWidthColumn)));
    else
        m_pWidth->clear();
    UpdateButtons();
}

void CColumnsDlg::UpdateButtons()
{
    m_pMoveUp->setEnabled(m_pColumns->CanMoveSelectedItemUp());
    m_pMoveDown->setEnabled(m_pColumns->CanMoveSelectedItemDown());
    m_pReset->setEnabled(m_pListCtrl && m_pListCtrl->GetTrueColumnCount() > 0 &&
                         m_pListCtrl->IsColumnSortOrderPersisted());
    const bool hasColumn = m_nWidthColumn >= 0;
    m_pWidth->setEnabled(hasColumn);
    m_pWidthLabel->setEnabled(hasColumn);
}

bool CColumnsDlg::ValidateData(int& icon, QString& caption, QString& text, QRect& rect)
{
    Q_UNUSED(icon);
    Q_UNUSED(caption);
    if (m_pColumns->HasCheckedItem())
        return true;
    text = AfxLoadString(IDS_QV_COLUMNS_NONE_CHECKED);
    GetDlgItemRect(IDC_QV_COLUMNS_LIST, rect);
    return false;
}

bool CColumnsDlg::SaveData()
{
    if (!m_pListCtrl)
        return false;
    StoreWidth();
    const int rows = m_pColumns->GetItemCount();
    for (int row = rows - 1; row >= 0; --row) {
        const int trueColumn = TrueColumnOfRow(row);
        if (!m_pListCtrl->DoesTrueColumnExist(trueColumn))
            continue;
        const bool ticked = m_pColumns->GetCheck(row);
        if (ticked != m_pListCtrl->IsQVColumnVisible(trueColumn))
            m_pListCtrl->ShowQVColumn(trueColumn, ticked);
        const int width = GetColumnWidth(trueColumn);
        if (width >= 0 && width != m_pListCtrl->GetQVColumnWidth(trueColumn))
            m_pListCtrl->SetQVColumnWidth(trueColumn, width);
    }
    std::vector<int> order;
    for (int row = 0; row < rows; ++row) {
        if (!m_pColumns->GetCheck(row))
            continue;
        const int inserted = m_pListCtrl->GetInsertedColumn(TrueColumnOfRow(row));
        if (inserted >= 0)
            order.push_back(inserted);
    }
    if (order != m_pListCtrl->GetColumnOrderArray())
        m_pListCtrl->SetColumnOrderArray(order);
    return true;
}
