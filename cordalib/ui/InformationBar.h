#pragma once
// The bar across the top of the edit dialogs: an icon and a line of text in the desktop's
// tooltip colours. A click on it is reported (the dialogs undo the edits then) while it is
// clickable.

#include <QIcon>
#include <QString>
#include <QWidget>

class QLabel;

class CInformationBar : public QWidget {
    Q_OBJECT

public:
    explicit CInformationBar(QWidget* parent = nullptr);
    ~CInformationBar() override;

    void SetText(const QString& text);
    QString GetText() const;
    void SetIcon(const QIcon& icon);
    bool HasIcon() const { return !m_icon.isNull(); }
    // A clickable bar shows the hand cursor and emits Clicked on a left click.
    void SetClickable(bool clickable);
    bool IsClickable() const { return m_bClickable; }

    QLabel* GetIconControl() const { return m_pIcon; }
    QLabel* GetTextControl() const { return m_pText; }

signals:
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ApplyColours();

    QLabel* m_pIcon = nullptr;
    QLabel* m_pText = nullptr;
    QIcon m_icon;
    bool m_bClickable = false;
};
