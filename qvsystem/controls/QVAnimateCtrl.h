#pragma once
// A frame animation: frames cut from a horizontal strip image and shown one after another
// at the control's top-left corner. Stopped, the control shows the first frame.
//
// The animation runs on the user-interface thread from a timer that looks every half frame
// interval whether the interval has passed since the last frame; the first frame comes at
// once. Past the last frame of the range it starts again at the first and counts a pass.
// It goes on while the repeat count is endless (QV_ANIMATE_FOREVER), fewer passes than the
// repeat count are complete, or frames of the current pass remain; so a repeat count of 1
// shows every frame of the range once (as does 0). Finished is emitted whenever playing
// ends, by itself or through Stop.

#include "qvsystem/qvsystem_export.h"

#include <QColor>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <vector>

// The last frame of the strip, as Play's last frame.
inline constexpr unsigned QV_ANIMATE_LAST_FRAME = 0xFFFFFFFF;
// Endless, as Play's repeat count.
inline constexpr unsigned QV_ANIMATE_FOREVER = 0xFFFFFFFF;
// The synchronization animation: four 32 x 32 frames.
inline constexpr unsigned IDB_SYNC_ANIMATION = 238;

class QVSYSTEM_EXPORT CQVAnimateCtrl : public QWidget {
    Q_OBJECT

public:
    static constexpr unsigned DEFAULT_FRAME_INTERVAL = 80;

    explicit CQVAnimateCtrl(QWidget* parent = nullptr);
    ~CQVAnimateCtrl() override;

    // Loads the frames from a strip image compiled in under the resource id (at the
    // control's pixel density), or from the pixmap given: frames of the given logical size
    // side by side from the left, the mask colour made transparent (an invalid colour masks
    // nothing), and takes the interval. 1 on success; 0 while playing, or when the image is
    // missing or holds no whole frame (the previous frames are kept).
    int Open(unsigned bitmapId, int frameWidth, int frameHeight, const QColor& maskColour,
             unsigned frameInterval = DEFAULT_FRAME_INTERVAL);
    int Open(const QPixmap& strip, int frameWidth, int frameHeight, const QColor& maskColour,
             unsigned frameInterval = DEFAULT_FRAME_INTERVAL);

    // 1 when the animation started; 0 when already playing, no frames are loaded, or the
    // range is invalid (first not below the frame count; last not below it, unless
    // QV_ANIMATE_LAST_FRAME; first above last).
    int Play(unsigned firstFrame = 0, unsigned lastFrame = QV_ANIMATE_LAST_FRAME,
             unsigned repeatCount = QV_ANIMATE_FOREVER);
    void Stop();
    bool IsPlaying() const { return m_bPlaying; }
    bool IsStopped() const { return !m_bPlaying; }

    // Drops the frames; 0 while playing.
    int Close();
    // 0 while playing.
    int SetFrameRate(unsigned frameInterval);
    unsigned GetFrameRate() const { return m_nFrameInterval; }

    unsigned GetFrameCount() const { return static_cast<unsigned>(m_frames.size()); }
    bool IsValidFrameIndex(unsigned index) const { return index < GetFrameCount(); }
    // A frame as cut from the strip; null for an invalid index.
    QPixmap GetFrame(unsigned index) const;
    // The frame the control shows: the last one drawn while playing, else the first.
    unsigned GetShownFrame() const { return m_bPlaying ? m_nShownFrame : 0; }

    QSize sizeHint() const override;

signals:
    // A frame has been drawn.
    void FrameShown(unsigned index);
    // Playing ended.
    void Finished();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Iterate();
    void EndPlaying();

    std::vector<QPixmap> m_frames;
    QSize m_frameSize;
    unsigned m_nFrameInterval = DEFAULT_FRAME_INTERVAL;
    QTimer m_timer;
    QElapsedTimer m_sinceFrame;
    bool m_bPlaying = false;
    bool m_bDrawn = false; // a frame was drawn in this play
    unsigned m_nFirst = 0;
    unsigned m_nLast = 0;
    unsigned m_nRepeat = 0;
    unsigned m_nPasses = 0;
    unsigned m_nIndex = 0;
    unsigned m_nShownFrame = 0;
};
