#pragma once
// The characters typed into a list in one burst (the platform's keyboard input interval
// between keys), and where the search for them starts: a new burst after the focused row,
// a longer text of the same burst on the focused row itself (it may still match), and one
// letter typed again and again after the focused row, with that letter alone, so that it
// steps through the rows that begin with it.

#include <QElapsedTimer>
#include <QString>

class CTypeAheadBuffer {
public:
    // Takes what was typed; gives the text to look for and sets the row to start at.
    QString Take(const QString& typed, int focusedRow, int& startRow);
    void Clear() { m_strText.clear(); }

private:
    QString m_strText;
    QElapsedTimer m_timer;
};
