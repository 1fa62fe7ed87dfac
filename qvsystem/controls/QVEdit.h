#pragma once
// The library's single-line edit: a line edit that can judge its own text, either with a
// validation function or with a regular expression, and that can keep the window colour
// while read-only (Qt paints read-only edits like any other; the override matters to
// subclasses that paint parts of their own, such as the search edit's clear button).

#include "qvsystem/qvsystem_export.h"

#include <QBrush>
#include <QColor>
#include <QLineEdit>
#include <QString>

#include <functional>

// Perl-syntax regular-expression search of the pattern in the text (AfxMatchText): true when
// the pattern is found. An empty or null pattern, or one that does not compile, is no match.
QVSYSTEM_EXPORT bool AfxValidateText(const QString& text, const QString& pattern, bool caseSensitive);

class QVSYSTEM_EXPORT CQVEdit : public QLineEdit {
    Q_OBJECT

public:
    // Takes the text, returns true when it is valid.
    using ValidationFunction = std::function<bool(const QString&)>;

    explicit CQVEdit(QWidget* parent = nullptr);
    ~CQVEdit() override;

    // False (and nothing changes) for an empty function.
    bool SetValidationFunction(ValidationFunction function);
    void RemoveValidationFunction();
    bool HasValidationFunction() const { return static_cast<bool>(m_fnValidation); }

    // The expression that HasValidText searches for when no validation function is set.
    void SetRegularExpression(const QString& pattern, bool caseSensitive = false);
    const QString& GetRegularExpression() const { return m_strRegularExpression; }
    bool IsRegularExpressionCaseSensitive() const { return m_bCaseSensitive; }

    // With a validation function: its verdict on the text. Otherwise false without a regular
    // expression, else AfxValidateText with the expression and its case flag.
    bool HasValidText() const;

    // When set, a read-only edit keeps the window (base) colour instead of the face colour.
    void SetReadOnlyColorOverride(bool override);
    bool IsReadOnlyColorOverride() const { return m_bReadOnlyColorOverride; }

    // The background colour the edit shows in its current state: the face (button) colour
    // when read-only without the override or when disabled, else the window (base) colour.
    QColor GetBackgroundColor() const;

protected:
    bool event(QEvent* event) override;

private:
    void UpdateReadOnlyPalette();

    ValidationFunction m_fnValidation;
    QString m_strRegularExpression;
    bool m_bCaseSensitive = false;
    bool m_bReadOnlyColorOverride = false;
    bool m_bApplyingPalette = false;
    bool m_bFaceApplied = false;
    QBrush m_savedBase[2];
};
