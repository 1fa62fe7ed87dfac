#include "qvsystem/system/FormatUtilities.h"

#include "qvsystem/platform/StringTable.h"

#include <QDate>
#include <QLocale>
#include <QTime>

#include <iterator>
#include <optional>

namespace {

__extension__ using Uint128 = unsigned __int128;

// One row of the shell's size table: sizes below the limit are shown in the unit with that
// many decimals, which keeps three significant digits.
struct SizeRow {
    int unitPower; // the unit is 1024^unitPower bytes
    int decimals;
    uint64_t limit;
};

constexpr uint64_t Power1024(int power)
{
    return uint64_t{1} << (10 * power);
}

constexpr SizeRow kSizeRows[] = {
    {1, 2, 10 * Power1024(1)}, {1, 1, 100 * Power1024(1)}, {1, 0, 1000 * Power1024(1)},
    {2, 2, 10 * Power1024(2)}, {2, 1, 100 * Power1024(2)}, {2, 0, 1000 * Power1024(2)},
    {3, 2, 10 * Power1024(3)}, {3, 1, 100 * Power1024(3)}, {3, 0, 1000 * Power1024(3)},
    {4, 2, 10 * Power1024(4)}, {4, 1, 100 * Power1024(4)}, {4, 0, 1000 * Power1024(4)},
    {5, 2, 10 * Power1024(5)}, {5, 1, 100 * Power1024(5)}, {5, 0, 1000 * Power1024(5)},
    {6, 2, UINT64_MAX}, // everything above 1000 PB
};

constexpr const char16_t* kUnitNames[] = {u"bytes", u"KB", u"MB", u"GB", u"TB", u"PB", u"EB"};

QString FormatMagnitude(uint64_t bytes)
{
    if (bytes < 1024)
        return QString::number(bytes) + u' ' + QString::fromUtf16(kUnitNames[0]);

    const SizeRow* row = &kSizeRows[0];
    while (bytes >= row->limit && row != &kSizeRows[std::size(kSizeRows) - 1])
        ++row;

    int scale = 1;
    for (int i = 0; i < row->decimals; ++i)
        scale *= 10;
    // Exact integer arithmetic: truncation must not turn 1.2999... into 1.30 or back.
    const uint64_t shown =
        static_cast<uint64_t>((Uint128{bytes} * static_cast<unsigned>(scale)) >> (10 * row->unitPower));
    QString text = QString::number(shown / static_cast<uint64_t>(scale));
    if (row->decimals > 0) {
        text += QLocale().decimalPoint();
        text += QString::number(shown % static_cast<uint64_t>(scale)).rightJustified(row->decimals, u'0');
    }
    return text + u' ' + QString::fromUtf16(kUnitNames[row->unitPower]);
}

std::optional<SYSTEMTIME> Breakdown(const COleDateTime& dateTime)
{
    SYSTEMTIME time;
    if (dateTime.GetStatus() != COleDateTime::valid || !dateTime.GetAsSystemTime(time))
        return std::nullopt;
    return time;
}

QDate ToDate(const SYSTEMTIME& time)
{
    return QDate(time.wYear, time.wMonth, time.wDay);
}

QTime ToTime(const SYSTEMTIME& time)
{
    return QTime(time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
}

QString Digits(int value, int width)
{
    return QString::number(value).rightJustified(width, u'0');
}

// Expands a picture: letters that the callback knows become field texts, quoted text and
// every other character are copied.
template <typename Field> QString ExpandPicture(const QString& picture, Field field)
{
    QString result;
    const qsizetype length = picture.size();
    qsizetype i = 0;
    while (i < length) {
        const QChar c = picture.at(i);
        if (c == u'\'') {
            ++i;
            if (i < length && picture.at(i) == u'\'') {
                result += u'\'';
                ++i;
                continue;
            }
            while (i < length) {
                if (picture.at(i) == u'\'') {
                    if (i + 1 < length && picture.at(i + 1) == u'\'') {
                        result += u'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                result += picture.at(i++);
            }
            continue;
        }
        qsizetype run = 1;
        while (i + run < length && picture.at(i + run) == c)
            ++run;
        if (std::optional<QString> text = field(c.unicode(), static_cast<int>(run))) {
            result += *text;
        } else {
            result += picture.mid(i, run);
        }
        i += run;
    }
    return result;
}

QString FormatDatePicture(const SYSTEMTIME& time, const QString& picture)
{
    const QLocale locale;
    const QDate date = ToDate(time);
    return ExpandPicture(picture, [&](char16_t letter, int run) -> std::optional<QString> {
        switch (letter) {
        case u'd':
            if (run == 1)
                return QString::number(time.wDay);
            if (run == 2)
                return Digits(time.wDay, 2);
            return locale.dayName(date.dayOfWeek(), run == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
        case u'M':
            if (run == 1)
                return QString::number(time.wMonth);
            if (run == 2)
                return Digits(time.wMonth, 2);
            return locale.monthName(time.wMonth, run == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
        case u'y':
            if (run == 1)
                return QString::number(time.wYear % 10);
            if (run == 2)
                return Digits(time.wYear % 100, 2);
            return Digits(time.wYear, 4);
        case u'g':
            // The Gregorian calendar has one era, and every date here lies in it.
            return QStringLiteral("A.D.");
        default:
            return std::nullopt;
        }
    });
}

QString FormatTimePicture(const SYSTEMTIME& time, const QString& picture)
{
    const QLocale locale;
    const int hour12 = time.wHour % 12 == 0 ? 12 : time.wHour % 12;
    const QString marker = time.wHour < 12 ? locale.amText() : locale.pmText();
    return ExpandPicture(picture, [&](char16_t letter, int run) -> std::optional<QString> {
        const int width = run >= 2 ? 2 : 1;
        switch (letter) {
        case u'h':
            return Digits(hour12, width);
        case u'H':
            return Digits(time.wHour, width);
        case u'm':
            return Digits(time.wMinute, width);
        case u's':
            return Digits(time.wSecond, width);
        case u't':
            return run == 1 ? marker.left(1) : marker;
        default:
            return std::nullopt;
        }
    });
}

// The locale's time format with seconds but without the time zone, which a time of day
// alone does not carry (Qt's long time format appends it).
QString LocaleTimeFormat()
{
    const QString format = QLocale().timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        result += c;
    }
    return result.trimmed();
}

QString JoinDateAndTime(const QString& date, const QString& time)
{
    if (date.isEmpty() && time.isEmpty())
        return QString();
    return date + u' ' + time;
}

} // namespace

QString AfxFormatFileSize(int64_t size)
{
    if (size < 0)
        return u'-' + FormatMagnitude(static_cast<uint64_t>(0) - static_cast<uint64_t>(size));
    return FormatMagnitude(static_cast<uint64_t>(size));
}

QString AfxFormatExtendedFileSize(int64_t size)
{
    const QString shortText = AfxFormatFileSize(size);
    if (size < 1024)
        return shortText;
    const QString count = QLocale().toString(static_cast<qlonglong>(size));
    if (count.isEmpty())
        return shortText;
    return AfxFormatMessage(QStringLiteral("%1 (%2 bytes)"), shortText, count);
}

QString AfxGetLocaleShortDate(const COleDateTime& dateTime)
{
    const std::optional<SYSTEMTIME> time = Breakdown(dateTime);
    return time ? QLocale().toString(ToDate(*time), QLocale::ShortFormat) : QString();
}

QString AfxGetLocaleLongDate(const COleDateTime& dateTime)
{
    const std::optional<SYSTEMTIME> time = Breakdown(dateTime);
    return time ? QLocale().toString(ToDate(*time), QLocale::LongFormat) : QString();
}

QString AfxFormatLocaleDate(const COleDateTime& dateTime, const QString& picture)
{
    const std::optional<SYSTEMTIME> time = Breakdown(dateTime);
    if (!time)
        return QString();
    if (picture.isNull())
        return QLocale().toString(ToDate(*time), QLocale::ShortFormat);
    return FormatDatePicture(*time, picture);
}

QString AfxFormatLocaleTime(const COleDateTime& dateTime, const QString& picture)
{
    const std::optional<SYSTEMTIME> time = Breakdown(dateTime);
    if (!time)
        return QString();
    if (picture.isNull())
        return QLocale().toString(ToTime(*time), LocaleTimeFormat());
    return FormatTimePicture(*time, picture);
}

QString AfxFormatLocaleDateTime(const COleDateTime& dateTime, const QString& datePicture,
                                const QString& timePicture)
{
    return JoinDateAndTime(AfxFormatLocaleDate(dateTime, datePicture),
                           AfxFormatLocaleTime(dateTime, timePicture));
}

QString AfxGetLocaleShortDateTime(const COleDateTime& dateTime)
{
    return JoinDateAndTime(AfxGetLocaleShortDate(dateTime), AfxFormatLocaleTime(dateTime));
}

QString AfxGetLocaleLongDateTime(const COleDateTime& dateTime)
{
    return JoinDateAndTime(AfxGetLocaleLongDate(dateTime), AfxFormatLocaleTime(dateTime));
}

bool AfxUTCToLocalTime(const COleDateTime& utcTime, COleDateTime& localTime)
{
    return PlatformUtcToLocalTime(utcTime, localTime);
}

bool AfxLocalTimeToUTC(const COleDateTime& localTime, COleDateTime& utcTime)
{
    return PlatformLocalTimeToUtc(localTime, utcTime);
}

COleDateTime AfxGetCurrentUTCTime()
{
    return COleDateTime::GetCurrentUTCTime();
}
