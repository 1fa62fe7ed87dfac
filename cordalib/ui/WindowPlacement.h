#pragma once
// The main window's stored placement: the 44-byte window-placement record that the
// settings store keeps under "Window Settings\Window Placement" (length, flags, show
// command, minimized position, maximized position, normal rectangle; each a little-endian
// 32-bit number, positions and rectangle signed). Decoding applies the checks that decide
// whether a stored placement may be used at all; no window is needed for either direction.

#include <QByteArray>
#include <QPoint>
#include <QRect>

#include <cstdint>

// Show commands of the record.
inline constexpr uint32_t SW_HIDE = 0;
inline constexpr uint32_t SW_NORMAL = 1;
inline constexpr uint32_t SW_SHOWMINIMIZED = 2;
inline constexpr uint32_t SW_SHOWMAXIMIZED = 3;
inline constexpr uint32_t SW_SHOWNOACTIVATE = 4;
inline constexpr uint32_t SW_MINIMIZE = 6;
inline constexpr uint32_t SW_SHOWMINNOACTIVE = 7;
inline constexpr uint32_t SW_SHOWNA = 8;
// Flag of the record: a minimized window goes back to maximized.
inline constexpr uint32_t WPF_RESTORETOMAXIMIZED = 0x2;

struct WINDOWPLACEMENT {
    static constexpr uint32_t SIZE = 44;

    uint32_t length = SIZE;
    uint32_t flags = 0;
    uint32_t showCmd = SW_NORMAL;
    QPoint ptMinPosition{-1, -1};
    QPoint ptMaxPosition{-1, -1};
    // left, top, right, bottom as the record holds them: right and bottom lie just outside
    // the rectangle.
    int32_t normalLeft = 0;
    int32_t normalTop = 0;
    int32_t normalRight = 0;
    int32_t normalBottom = 0;

    // The normal rectangle as a QRect (corners put in order).
    QRect GetNormalRect() const;
    void SetNormalRect(const QRect& rect);
};

// The record's bytes.
QByteArray EncodeWindowPlacement(const WINDOWPLACEMENT& placement);

// Reads a stored record and decides whether it may be restored: exactly 44 bytes, its own
// length field 44, a normal rectangle (corners put in order) of positive width and height
// lying wholly inside workArea. A show command that would leave the window hidden,
// minimized or inactive (0, 2, 4, 6, 7, 8) becomes normal (1). False, and *placement left
// alone, when the record fails a check.
bool DecodeWindowPlacement(const QByteArray& bytes, const QRect& workArea, WINDOWPLACEMENT* placement);
