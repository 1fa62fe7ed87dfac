#pragma once
// A list box that keeps its horizontal scroll range right: the extent is the widest item's
// text width plus the font's average character width, raised as items arrive and measured
// again over all items when items go, the list is reset or the font or a text changes
// (then it may shrink). The view's horizontal scroll range follows the extent.

#include "qvsystem/qvsystem_export.h"

#include <QFont>
#include <QListWidget>
#include <QString>

class QVSYSTEM_EXPORT CQVListBox : public QListWidget {
    Q_OBJECT

public:
    explicit CQVListBox(QWidget* parent = nullptr);
    ~CQVListBox() override;

    // The new item's index, or -1 for a null text.
    int AddString(const QString& text);
    // Inserts before the index (-1 appends); the new item's index, or -1 for a null text or
    // an index past the end.
    int InsertString(int index, const QString& text);
    // The number of items left, or -1 for an index out of range.
    int DeleteString(int index);
    void ResetContent();
    void SetFont(const QFont& font);

    // The extent last set, in pixels (0 for an empty list).
    int GetHorizontalExtent() const { return m_nHorizontalExtent; }
    // The width that an item's text needs with the current font.
    int GetItemExtent(const QString& text) const;

protected:
    void changeEvent(QEvent* event) override;
    void updateGeometries() override;

private:
    void RaiseExtent(int first, int last);
    void RecomputeExtent();
    void ApplyExtent();

    int m_nHorizontalExtent = 0;
    bool m_bLayingOut = false;
};
