#include "cordalib/ui/TypeAheadBuffer.h"

#include <QApplication>

#include <algorithm>

QString CTypeAheadBuffer::Take(const QString& typed, int focusedRow, int& startRow)
{
    const bool continuing = m_timer.isValid() && !m_strText.isEmpty() &&
                            m_timer.elapsed() <= QApplication::keyboardInputInterval();
    m_timer.start();
    m_strText = continuing ? m_strText + typed : typed;
    startRow = continuing ? std::max(focusedRow, 0) : focusedRow + 1;
    const QChar first = m_strText.front();
    if (m_strText.size() > 1 &&
        std::all_of(m_strText.begin(), m_strText.end(), [&](QChar c) { return c == first; })) {
        startRow = focusedRow + 1;
        return QString(first);
    }
    return m_strText;
}
