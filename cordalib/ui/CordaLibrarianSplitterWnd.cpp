#include "cordalib/ui/CordaLibrarianSplitterWnd.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>

CCordaLibrarianSplitterWnd::CCordaLibrarianSplitterWnd(Qt::Orientation orientation, QWidget* parent)
    : QSplitter(orientation, parent)
{
    setHandleWidth(SPLITTER_BAR_SIZE);
    setOpaqueResize(true);
    connect(this, &QSplitter::splitterMoved, this, &CCordaLibrarianSplitterWnd::OnSplitterMoved);
}

void CCordaLibrarianSplitterWnd::AddPane(QWidget* pane, int idealSize, int minimumSize)
{
    if (!pane)
        return;
    addWidget(pane);
    const int index = indexOf(pane);
    if (index < 0)
        return;
    SetPaneInfo(index, idealSize, minimumSize);
    setCollapsible(index, true);
}

void CCordaLibrarianSplitterWnd::SetPaneInfo(int index, int idealSize, int minimumSize)
{
    if (index < 0 || index >= count())
        return;
    if (static_cast<int>(m_idealSizes.size()) < count()) {
        m_idealSizes.resize(count(), 0);
        m_minimumSizes.resize(count(), DEFAULT_MINIMUM_PANE_SIZE);
    }
    m_idealSizes[index] = std::max(0, idealSize);
    m_minimumSizes[index] = std::max(0, minimumSize);
    // The pane's own minimum size hint would override the layout: the splitter decides how
    // small a pane may get.
    QWidget* pane = widget(index);
    if (orientation() == Qt::Vertical)
        pane->setMinimumHeight(std::max(1, m_minimumSizes[index]));
    else
        pane->setMinimumWidth(std::max(1, m_minimumSizes[index]));
    RecalcLayout();
}

int CCordaLibrarianSplitterWnd::GetPaneIdealSize(int index) const
{
    return index >= 0 && index < static_cast<int>(m_idealSizes.size()) ? m_idealSizes[index] : 0;
}

int CCordaLibrarianSplitterWnd::GetPaneMinimumSize(int index) const
{
    return index >= 0 && index < static_cast<int>(m_minimumSizes.size()) ? m_minimumSizes[index] : 0;
}

void CCordaLibrarianSplitterWnd::SetAllowDragging(bool allow)
{
    m_bAllowDragging = allow;
    for (int i = 0; i < count(); ++i) {
        if (auto* bar = qobject_cast<CCordaLibrarianSplitterHandle*>(handle(i)))
            bar->UpdateDragging();
    }
}

std::vector<int> CCordaLibrarianSplitterWnd::GetLayoutOrder() const
{
    std::vector<int> order(count());
    for (int i = 0; i < count(); ++i)
        order[i] = i;
    return order;
}

std::vector<int> CCordaLibrarianSplitterWnd::LayoutPanes(int total, int barSize,
                                                         const std::vector<int>& idealSizes,
                                                         const std::vector<int>& minimumSizes,
                                                         const std::vector<bool>& hidden,
                                                         const std::vector<int>& order)
{
    const int n = static_cast<int>(idealSizes.size());
    std::vector<int> sizes(n, 0);
    std::vector<int> visible;
    for (int index : order) {
        if (index >= 0 && index < n && !(index < static_cast<int>(hidden.size()) && hidden[index]))
            visible.push_back(index);
    }
    if (visible.empty())
        return sizes;
    int available = std::max(0, total - barSize * static_cast<int>(visible.size() - 1));
    int previous = -1; // the last pane that was given room
    for (size_t k = 0; k < visible.size(); ++k) {
        const int index = visible[k];
        const bool last = k + 1 == visible.size();
        const int minimum = index < static_cast<int>(minimumSizes.size()) ? minimumSizes[index] : 0;
        const int ideal = std::max(0, idealSizes[index]);
        // A pane meant to be smaller than its minimum is not shown at all.
        if (!last && ideal < minimum)
            continue;
        const int wanted = last ? available : std::min(ideal, available);
        if (wanted < minimum && previous >= 0) {
            // Short of room: the pane collapses and what is left goes to the pane handed
            // out before it.
            sizes[previous] += available;
            available = 0;
            continue;
        }
        sizes[index] = wanted;
        available -= wanted;
        previous = index;
    }
    return sizes;
}

void CCordaLibrarianSplitterWnd::RecalcLayout()
{
    const int n = count();
    if (n == 0 || m_bInLayout)
        return;
    if (static_cast<int>(m_idealSizes.size()) < n) {
        m_idealSizes.resize(n, 0);
        m_minimumSizes.resize(n, DEFAULT_MINIMUM_PANE_SIZE);
    }
    const QSize client = contentsRect().size();
    const int total = orientation() == Qt::Vertical ? client.height() : client.width();
    if (client.isEmpty())
        return;
    std::vector<bool> hidden(n);
    for (int i = 0; i < n; ++i)
        hidden[i] = widget(i)->isHidden();
    const std::vector<int> order = GetLayoutOrder();
    std::vector<int> ideals(m_idealSizes.begin(), m_idealSizes.begin() + n);
    std::vector<int> minimums(m_minimumSizes.begin(), m_minimumSizes.begin() + n);
    const std::vector<int> sizes = LayoutPanes(total, handleWidth(), ideals, minimums, hidden, order);

    // Only the pane that takes the rest stretches when the splitter itself resizes.
    int restPane = -1;
    for (int index : order) {
        if (index >= 0 && index < n && !hidden[index])
            restPane = index;
    }
    m_bInLayout = true;
    for (int i = 0; i < n; ++i)
        setStretchFactor(i, i == restPane ? 1 : 0);
    setSizes(QList<int>(sizes.begin(), sizes.end()));
    m_bInLayout = false;
}

void CCordaLibrarianSplitterWnd::OnSplitterMoved()
{
    // What the user left becomes the panes' ideal sizes (the pane that takes the rest has
    // no ideal size of its own).
    const QList<int> current = sizes();
    const std::vector<int> order = GetLayoutOrder();
    int restPane = -1;
    for (int index : order) {
        if (index >= 0 && index < count() && !widget(index)->isHidden())
            restPane = index;
    }
    for (int i = 0; i < count() && i < current.size() && i < static_cast<int>(m_idealSizes.size()); ++i) {
        if (i != restPane && !widget(i)->isHidden())
            m_idealSizes[i] = current[i];
    }
}

void CCordaLibrarianSplitterWnd::resizeEvent(QResizeEvent* event)
{
    QSplitter::resizeEvent(event);
    // A minimized window keeps the layout it had.
    if (event->size().isEmpty() || (window() && window()->isMinimized()))
        return;
    RecalcLayout();
}

void CCordaLibrarianSplitterWnd::childEvent(QChildEvent* event)
{
    QSplitter::childEvent(event);
    if (event->removed()) {
        // QSplitter has already dropped the pane; the bookkeeping follows its indexes.
        m_idealSizes.resize(std::min<size_t>(m_idealSizes.size(), count()));
        m_minimumSizes.resize(std::min<size_t>(m_minimumSizes.size(), count()));
    }
}

QSplitterHandle* CCordaLibrarianSplitterWnd::createHandle()
{
    return new CCordaLibrarianSplitterHandle(orientation(), this);
}

// --- Main splitter

CMainSplitterWnd::CMainSplitterWnd(QWidget* parent) : CCordaLibrarianSplitterWnd(Qt::Vertical, parent) {}

std::vector<int> CMainSplitterWnd::GetLayoutOrder() const
{
    if (count() != 3)
        return CCordaLibrarianSplitterWnd::GetLayoutOrder();
    return {0, 2, 1};
}

// --- Bars

CCordaLibrarianSplitterHandle::CCordaLibrarianSplitterHandle(Qt::Orientation orientation,
                                                             CCordaLibrarianSplitterWnd* parent)
    : QSplitterHandle(orientation, parent)
{
    UpdateDragging();
}

bool CCordaLibrarianSplitterHandle::IsDraggingAllowed() const
{
    const auto* owner = qobject_cast<const CCordaLibrarianSplitterWnd*>(splitter());
    return !owner || owner->IsAllowDragging();
}

void CCordaLibrarianSplitterHandle::UpdateDragging()
{
    if (IsDraggingAllowed())
        setCursor(orientation() == Qt::Horizontal ? Qt::SplitHCursor : Qt::SplitVCursor);
    else
        setCursor(Qt::ArrowCursor);
}

void CCordaLibrarianSplitterHandle::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = rect();
    painter.fillRect(area, palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::Dark));
    if (orientation() == Qt::Horizontal) {
        painter.drawLine(area.left(), area.top(), area.left(), area.bottom());
        painter.drawLine(area.right(), area.top(), area.right(), area.bottom());
    } else {
        painter.drawLine(area.left(), area.top(), area.right(), area.top());
        painter.drawLine(area.left(), area.bottom(), area.right(), area.bottom());
    }
}

void CCordaLibrarianSplitterHandle::mousePressEvent(QMouseEvent* event)
{
    if (!IsDraggingAllowed()) {
        event->ignore();
        return;
    }
    QSplitterHandle::mousePressEvent(event);
}

void CCordaLibrarianSplitterHandle::mouseMoveEvent(QMouseEvent* event)
{
    if (!IsDraggingAllowed()) {
        event->ignore();
        return;
    }
    QSplitterHandle::mouseMoveEvent(event);
}

void CCordaLibrarianSplitterHandle::mouseReleaseEvent(QMouseEvent* event)
{
    if (!IsDraggingAllowed()) {
        event->ignore();
        return;
    }
    QSplitterHandle::mouseReleaseEvent(event);
}
