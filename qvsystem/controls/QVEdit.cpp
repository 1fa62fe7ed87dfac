#include "qvsystem/controls/QVEdit.h"

#include "qvsystem/system/FileUtilities.h"

#include <QEvent>
#include <QPalette>

bool AfxValidateText(const QString& text, const QString& pattern, bool caseSensitive)
{
    if (pattern.isEmpty())
        return false;
    return AfxMatchText(text.isNull() ? QString(QLatin1String("")) : text, pattern, caseSensitive);
}

CQVEdit::CQVEdit(QWidget* parent) : QLineEdit(parent) {}

CQVEdit::~CQVEdit() = default;

bool CQVEdit::SetValidationFunction(ValidationFunction function)
{
    if (!function)
        return false;
    m_fnValidation = std::move(function);
    return true;
}

void CQVEdit::RemoveValidationFunction()
{
    m_fnValidation = nullptr;
}

void CQVEdit::SetRegularExpression(const QString& pattern, bool caseSensitive)
{
    m_strRegularExpression = pattern;
    m_bCaseSensitive = caseSensitive;
}

bool CQVEdit::HasValidText() const
{
    if (m_fnValidation)
        return m_fnValidation(text());
    if (m_strRegularExpression.isEmpty())
        return false;
    return AfxValidateText(text(), m_strRegularExpression, m_bCaseSensitive);
}

void CQVEdit::SetReadOnlyColorOverride(bool override)
{
    if (m_bReadOnlyColorOverride == override)
        return;
    m_bReadOnlyColorOverride = override;
    UpdateReadOnlyPalette();
}

QColor CQVEdit::GetBackgroundColor() const
{
    if (!isEnabled() || (isReadOnly() && !m_bReadOnlyColorOverride))
        return palette().color(QPalette::Button);
    return palette().color(QPalette::Base);
}

bool CQVEdit::event(QEvent* event)
{
    const bool handled = QLineEdit::event(event);
    switch (event->type()) {
    case QEvent::ReadOnlyChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
        if (!m_bApplyingPalette)
            UpdateReadOnlyPalette();
        break;
    default:
        break;
    }
    return handled;
}

// A read-only edit shows the face colour, as the platform's read-only edits do, unless the
// override keeps the window colour. The panel is painted from the Base role, so that role is
// replaced while read-only and the edit's own Base brushes are given back afterwards.
void CQVEdit::UpdateReadOnlyPalette()
{
    const bool face = isReadOnly() && !m_bReadOnlyColorOverride;
    if (!face && !m_bFaceApplied)
        return;
    QPalette changed = palette();
    if (face) {
        if (!m_bFaceApplied) {
            m_savedBase[0] = changed.brush(QPalette::Active, QPalette::Base);
            m_savedBase[1] = changed.brush(QPalette::Inactive, QPalette::Base);
        }
        changed.setBrush(QPalette::Active, QPalette::Base, changed.brush(QPalette::Active, QPalette::Button));
        changed.setBrush(QPalette::Inactive, QPalette::Base,
                         changed.brush(QPalette::Inactive, QPalette::Button));
    } else {
        changed.setBrush(QPalette::Active, QPalette::Base, m_savedBase[0]);
        changed.setBrush(QPalette::Inactive, QPalette::Base, m_savedBase[1]);
    }
    m_bFaceApplied = face;
    m_bApplyingPalette = true;
    setPalette(changed);
    m_bApplyingPalette = false;
}
