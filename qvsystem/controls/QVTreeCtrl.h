#pragma once
// The library's tree control: a one-column tree without a header, with bold items, branch
// expansion, and a selection change that can be refused before it happens.
//
// Every change of the current item that the user asks for (mouse, keyboard, typing an
// item's name), and SelectItem with ask, first asks CanChangeSelection; a refusal leaves the
// current item and the selection as they were. Programmatic setCurrentItem does not ask.
// After any change, OnSelectionChanged runs and SelectionChanged is emitted.

#include "qvsystem/qvsystem_export.h"

#include <QTreeWidget>

class QVSYSTEM_EXPORT CQVTreeCtrl : public QTreeWidget {
    Q_OBJECT

public:
    explicit CQVTreeCtrl(QWidget* parent = nullptr);
    ~CQVTreeCtrl() override;

    // Sets or clears the bold look of the item's text; false for a null item.
    bool BoldItem(QTreeWidgetItem* item, bool bold);
    bool IsItemBold(const QTreeWidgetItem* item) const;

    // Expands the item and every descendant that has children (depth first); false for a
    // null item.
    bool ExpandBranch(QTreeWidgetItem* item);
    // ExpandBranch for every top-level item in order; true for an empty tree, false at the
    // first failure.
    bool ExpandAll();

    // Appends an item with the text below the parent (null: at the top level); with sorted,
    // the item goes before the first sibling whose text sorts after it (case-insensitive).
    QTreeWidgetItem* InsertItem(const QString& text, QTreeWidgetItem* parent = nullptr, bool sorted = false);

    // Makes the item current and selected; with ask, CanChangeSelection may refuse (false).
    bool SelectItem(QTreeWidgetItem* item, bool ask = true);

signals:
    // After the current item changed (the new one may be null).
    void SelectionChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);

protected:
    // Asked before the current item changes from one item to another; false keeps the
    // current item. The base allows every change.
    virtual bool CanChangeSelection(QTreeWidgetItem* from, QTreeWidgetItem* to);
    // After the current item changed.
    virtual void OnSelectionChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);

    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;

public:
    void keyboardSearch(const QString& search) override;

private:
    bool AllowChangeTo(const QModelIndex& index);

    bool m_bPressRefused = false;
};
