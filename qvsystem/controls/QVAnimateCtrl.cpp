#include "qvsystem/controls/QVAnimateCtrl.h"

#include "qvsystem/controls/ResourceImages.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

CQVAnimateCtrl::CQVAnimateCtrl(QWidget* parent) : QWidget(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CQVAnimateCtrl::Iterate);
}

CQVAnimateCtrl::~CQVAnimateCtrl()
{
    // Quietly: nobody is left to be told.
    m_timer.stop();
    m_bPlaying = false;
}

int CQVAnimateCtrl::Open(unsigned bitmapId, int frameWidth, int frameHeight, const QColor& maskColour,
                         unsigned frameInterval)
{
    if (m_bPlaying)
        return 0;
    return Open(AfxLoadResourceBitmap(bitmapId, devicePixelRatioF()), frameWidth, frameHeight, maskColour,
                frameInterval);
}

int CQVAnimateCtrl::Open(const QPixmap& strip, int frameWidth, int frameHeight, const QColor& maskColour,
                         unsigned frameInterval)
{
    if (m_bPlaying || strip.isNull() || frameWidth <= 0 || frameHeight <= 0)
        return 0;
    const qreal ratio = strip.devicePixelRatio();
    const int deviceWidth = qRound(frameWidth * ratio);
    const int deviceHeight = qRound(frameHeight * ratio);
    QImage image = strip.toImage().convertToFormat(QImage::Format_ARGB32);
    if (image.height() < deviceHeight || image.width() < deviceWidth)
        return 0;
    if (maskColour.isValid()) {
        const QRgb mask = maskColour.rgb() & 0x00FFFFFF;
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if ((line[x] & 0x00FFFFFF) == mask)
                    line[x] = 0;
            }
        }
    }
    std::vector<QPixmap> frames;
    for (int x = 0; x + deviceWidth <= image.width(); x += deviceWidth) {
        QPixmap frame = QPixmap::fromImage(image.copy(x, 0, deviceWidth, deviceHeight));
        frame.setDevicePixelRatio(ratio);
        frames.push_back(std::move(frame));
    }
    m_frames = std::move(frames);
    m_frameSize = QSize(frameWidth, frameHeight);
    m_nFrameInterval = frameInterval;
    updateGeometry();
    update();
    return 1;
}

int CQVAnimateCtrl::Play(unsigned firstFrame, unsigned lastFrame, unsigned repeatCount)
{
    if (m_bPlaying || m_frames.empty())
        return 0;
    if (!IsValidFrameIndex(firstFrame))
        return 0;
    if (lastFrame == QV_ANIMATE_LAST_FRAME)
        lastFrame = GetFrameCount() - 1;
    else if (!IsValidFrameIndex(lastFrame) || firstFrame > lastFrame)
        return 0;
    m_nFirst = firstFrame;
    m_nLast = lastFrame;
    m_nRepeat = repeatCount;
    m_nPasses = 0;
    m_nIndex = firstFrame;
    m_nShownFrame = firstFrame;
    m_bDrawn = false;
    m_bPlaying = true;
    // Half the interval, rounded up: a frame is late by at most that much.
    m_timer.setInterval(static_cast<int>(std::clamp<unsigned>((m_nFrameInterval + 1) / 2, 1, 0x7FFFFFFF)));
    m_timer.start();
    // The first frame at once, from the event loop, after Play has returned.
    QMetaObject::invokeMethod(this, &CQVAnimateCtrl::Iterate, Qt::QueuedConnection);
    return 1;
}

void CQVAnimateCtrl::Iterate()
{
    if (!m_bPlaying)
        return;
    if (m_bDrawn && m_sinceFrame.elapsed() < static_cast<qint64>(m_nFrameInterval))
        return;
    m_bDrawn = true;
    m_sinceFrame.start();
    m_nShownFrame = m_nIndex;
    update();
    emit FrameShown(m_nShownFrame);
    if (!m_bPlaying)
        return; // stopped by a receiver
    const unsigned advanced = m_nIndex + 1;
    if (advanced > m_nLast) {
        m_nIndex = m_nFirst;
        ++m_nPasses;
    } else {
        m_nIndex = advanced;
    }
    // Frames of the current pass remaining count as going on, so that a repeat count of 0
    // still shows the last frame of the range.
    const bool goOn = m_nRepeat == QV_ANIMATE_FOREVER || m_nPasses < m_nRepeat || advanced <= m_nLast;
    if (!goOn)
        EndPlaying();
}

void CQVAnimateCtrl::EndPlaying()
{
    m_timer.stop();
    m_bPlaying = false;
    update();
    emit Finished();
}

void CQVAnimateCtrl::Stop()
{
    if (m_bPlaying)
        EndPlaying();
}

int CQVAnimateCtrl::Close()
{
    if (m_bPlaying)
        return 0;
    m_frames.clear();
    m_frameSize = QSize();
    updateGeometry();
    update();
    return 1;
}

int CQVAnimateCtrl::SetFrameRate(unsigned frameInterval)
{
    if (m_bPlaying)
        return 0;
    m_nFrameInterval = frameInterval;
    return 1;
}

QPixmap CQVAnimateCtrl::GetFrame(unsigned index) const
{
    return IsValidFrameIndex(index) ? m_frames[index] : QPixmap();
}

QSize CQVAnimateCtrl::sizeHint() const
{
    return m_frameSize.isValid() ? m_frameSize : QSize(32, 32);
}

void CQVAnimateCtrl::paintEvent(QPaintEvent*)
{
    // No fill: the parent's background shows through the transparent parts, as the themed
    // control captures its parent's background.
    const unsigned shown = GetShownFrame();
    if (!IsValidFrameIndex(shown))
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_frames[shown]);
}
