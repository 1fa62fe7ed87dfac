#include "qvsystem/system/TextUtilities.h"

#include "qvsystem/platform/CodePage.h"

#include <QColor>
#include <QCoreApplication>
#include <QEvent>
#include <QFont>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPointer>
#include <QRect>
#include <QThread>

#include <array>
#include <atomic>
#include <limits>
#include <mutex>
#include <optional>

#include <time.h>

namespace {

struct ParsedInteger {
    bool negative = false;
    uint64_t magnitude = 0;
};

int DigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'z')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'Z')
        return u - u'A' + 10;
    return 99;
}

// The runtime's integer syntax (sign, 0x prefix, base 0 detection) over the whole text; an
// overflow is no number, not a saturated one.
std::optional<ParsedInteger> ParseInteger(const QString& text, bool allowMinus, int base)
{
    if (base != 0 && (base < 2 || base > 36))
        return std::nullopt;
    const qsizetype length = text.size();
    qsizetype i = 0;
    ParsedInteger result;
    if (i < length && (text.at(i) == u'+' || text.at(i) == u'-')) {
        result.negative = text.at(i) == u'-';
        if (result.negative && !allowMinus)
            return std::nullopt;
        ++i;
    }
    const bool hexPrefix = i + 2 < length && text.at(i) == u'0' &&
                           (text.at(i + 1) == u'x' || text.at(i + 1) == u'X') &&
                           DigitValue(text.at(i + 2)) < 16;
    if ((base == 0 || base == 16) && hexPrefix) {
        base = 16;
        i += 2;
    } else if (base == 0) {
        base = i < length && text.at(i) == u'0' ? 8 : 10;
    }
    if (i == length)
        return std::nullopt;
    for (; i < length; ++i) {
        const int digit = DigitValue(text.at(i));
        if (digit >= base)
            return std::nullopt;
        const auto ubase = static_cast<uint64_t>(base);
        if (result.magnitude > (std::numeric_limits<uint64_t>::max() - static_cast<uint64_t>(digit)) / ubase)
            return std::nullopt;
        result.magnitude = result.magnitude * ubase + static_cast<uint64_t>(digit);
    }
    return result;
}

std::optional<int64_t> ParseSigned(const QString& text, int base)
{
    const std::optional<ParsedInteger> parsed = ParseInteger(text, true, base);
    if (!parsed)
        return std::nullopt;
    constexpr uint64_t maxPositive = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    if (parsed->negative) {
        if (parsed->magnitude > maxPositive + 1)
            return std::nullopt;
        return static_cast<int64_t>(uint64_t{0} - parsed->magnitude);
    }
    if (parsed->magnitude > maxPositive)
        return std::nullopt;
    return static_cast<int64_t>(parsed->magnitude);
}

// Lower-case letters of Windows-1252 for every byte, built from the code page itself so
// that Š/š, Œ/œ, Ž/ž, Ÿ/ÿ and the Latin-1 letters fold as well as ASCII.
const std::array<unsigned char, 256>& FoldTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int c = 0; c < 256; ++c) {
            const auto byte = static_cast<unsigned char>(c);
            const QChar lower = QChar(AfxAnsiCharToUnicode(byte)).toLower();
            const unsigned char back = AfxUnicodeCharToAnsi(lower.unicode());
            t[byte] = (back == '?' && byte != '?') ? byte : back;
        }
        return t;
    }();
    return table;
}

int64_t MonotonicMilliseconds()
{
    timespec now{};
    if (::clock_gettime(CLOCK_MONOTONIC, &now) != 0)
        return 0;
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::atomic<int64_t> g_lastInputTime{0};

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

// Sees every event the application dispatches on its thread and notes the input ones.
class CInputIdleMonitor : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (IsUserInput(event->type()))
            g_lastInputTime.store(MonotonicMilliseconds(), std::memory_order_relaxed);
        return QObject::eventFilter(watched, event);
    }
};

// True when the application's input is being watched; installs the monitor on first use.
// A new application object (tests create several) gets a monitor of its own.
bool EnsureInputIdleMonitor()
{
    static std::mutex mutex;
    static QPointer<QObject> monitor;
    std::lock_guard lock(mutex);
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return false;
    if (monitor && monitor->parent() == application)
        return true;
    // The monitor is the application's child, so it must be made on its thread.
    if (QThread::currentThread() != application->thread())
        return false;
    auto* created = new CInputIdleMonitor(application);
    application->installEventFilter(created);
    monitor = created;
    g_lastInputTime.store(MonotonicMilliseconds(), std::memory_order_relaxed);
    return true;
}

} // namespace

bool AfxIsValidNumber(const QString& text, int64_t minimum, int64_t maximum, int base)
{
    if (text.isEmpty())
        return false;
    const std::optional<int64_t> value = ParseSigned(text, base);
    return value && *value >= minimum && *value <= maximum;
}

bool AfxIsNumeric(const QString& text, bool isSigned, int base)
{
    if (text.isEmpty())
        return false;
    if (isSigned)
        return ParseSigned(text, base).has_value();
    return ParseInteger(text, false, base).has_value();
}

bool AfxIsTextEmpty(const QString& text, bool ignoreWhiteSpace)
{
    if (text.isNull())
        return false;
    if (!ignoreWhiteSpace)
        return text.isEmpty();
    for (QChar c : text) {
        if (!c.isSpace())
            return false;
    }
    return true;
}

const char* stristr(const char* text, const char* pattern)
{
    if (!text || !pattern)
        return nullptr;
    if (*pattern == '\0')
        return text;
    const auto& fold = FoldTable();
    const auto first = fold[static_cast<unsigned char>(*pattern)];
    for (const char* start = text; *start != '\0'; ++start) {
        if (fold[static_cast<unsigned char>(*start)] != first)
            continue;
        const char* t = start + 1;
        const char* p = pattern + 1;
        while (*p != '\0' && *t != '\0' &&
               fold[static_cast<unsigned char>(*t)] == fold[static_cast<unsigned char>(*p)]) {
            ++t;
            ++p;
        }
        if (*p == '\0')
            return start;
        if (*t == '\0')
            return nullptr; // the rest of the text is shorter than the pattern
    }
    return nullptr;
}

char* stristr(char* text, const char* pattern)
{
    return const_cast<char*>(stristr(static_cast<const char*>(text), pattern));
}

bool AfxIsShiftKeyDown()
{
    // Asking without a GUI application would reach a platform integration that is not there.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

uint32_t AfxGetInputIdleTime()
{
    const int64_t last = AfxGetLastInputTime();
    if (last == 0)
        return 0;
    const int64_t idle = MonotonicMilliseconds() - last;
    if (idle <= 0)
        return 0;
    return idle > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                       : static_cast<uint32_t>(idle);
}

int64_t AfxGetLastInputTime()
{
    if (!EnsureInputIdleMonitor())
        return 0;
    return g_lastInputTime.load(std::memory_order_relaxed);
}

bool AfxCreateBoldFont(const QFont& sourceFont, QFont& targetFont)
{
    QFont bold = sourceFont;
    bold.setWeight(QFont::Bold);
    targetFont = bold;
    return true;
}

bool AfxFillGradient(QPainter* painter, const QRect& rect, const QColor& startColor, const QColor& endColor,
                     bool horizontal)
{
    if (!painter)
        return false;
    if (rect.isEmpty())
        return true;
    // From the first pixel's edge to past the last one, as the Windows fill spans it.
    const QPointF start(rect.left(), rect.top());
    const QPointF end = horizontal ? QPointF(rect.left() + rect.width(), rect.top())
                                   : QPointF(rect.left(), rect.top() + rect.height());
    QLinearGradient gradient(start, end);
    gradient.setColorAt(0.0, startColor);
    gradient.setColorAt(1.0, endColor);
    painter->fillRect(rect, gradient);
    return true;
}
