#include "cordalib/ui/WindowPlacement.h"

#include <algorithm>

namespace {

void PutU32(QByteArray& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(static_cast<char>((value >> shift) & 0xFF));
}

uint32_t GetU32(const QByteArray& bytes, int offset)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(offset + i));
    return value;
}

int32_t GetI32(const QByteArray& bytes, int offset)
{
    return static_cast<int32_t>(GetU32(bytes, offset));
}

} // namespace

QRect WINDOWPLACEMENT::GetNormalRect() const
{
    const int64_t left = std::min(normalLeft, normalRight);
    const int64_t right = std::max(normalLeft, normalRight);
    const int64_t top = std::min(normalTop, normalBottom);
    const int64_t bottom = std::max(normalTop, normalBottom);
    // A width beyond int cannot be a window's; it is cut, and the inside test refuses it.
    const auto clampInt = [](int64_t v) {
        return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2));
    };
    return QRect(QPoint(clampInt(left), clampInt(top)),
                 QSize(clampInt(right - left), clampInt(bottom - top)));
}

void WINDOWPLACEMENT::SetNormalRect(const QRect& rect)
{
    normalLeft = rect.left();
    normalTop = rect.top();
    normalRight = rect.left() + rect.width();
    normalBottom = rect.top() + rect.height();
}

QByteArray EncodeWindowPlacement(const WINDOWPLACEMENT& placement)
{
    QByteArray out;
    out.reserve(WINDOWPLACEMENT::SIZE);
    PutU32(out, placement.length);
    PutU32(out, placement.flags);
    PutU32(out, placement.showCmd);
    PutU32(out, static_cast<uint32_t>(placement.ptMinPosition.x()));
    PutU32(out, static_cast<uint32_t>(placement.ptMinPosition.y()));
    PutU32(out, static_cast<uint32_t>(placement.ptMaxPosition.x()));
    PutU32(out, static_cast<uint32_t>(placement.ptMaxPosition.y()));
    PutU32(out, static_cast<uint32_t>(placement.normalLeft));
    PutU32(out, static_cast<uint32_t>(placement.normalTop));
    PutU32(out, static_cast<uint32_t>(placement.normalRight));
    PutU32(out, static_cast<uint32_t>(placement.normalBottom));
    return out;
}

bool DecodeWindowPlacement(const QByteArray& bytes, const QRect& workArea, WINDOWPLACEMENT* placement)
{
    if (!placement || bytes.size() != static_cast<int>(WINDOWPLACEMENT::SIZE))
        return false;
    WINDOWPLACEMENT read;
    read.length = GetU32(bytes, 0);
    if (read.length != WINDOWPLACEMENT::SIZE)
        return false;
    read.flags = GetU32(bytes, 4);
    read.showCmd = GetU32(bytes, 8);
    read.ptMinPosition = QPoint(GetI32(bytes, 12), GetI32(bytes, 16));
    read.ptMaxPosition = QPoint(GetI32(bytes, 20), GetI32(bytes, 24));
    read.normalLeft = GetI32(bytes, 28);
    read.normalTop = GetI32(bytes, 32);
    read.normalRight = GetI32(bytes, 36);
    read.normalBottom = GetI32(bytes, 40);

    // Compared in 64 bits: the stored numbers may be anything.
    const int64_t left = std::min(read.normalLeft, read.normalRight);
    const int64_t right = std::max(read.normalLeft, read.normalRight);
    const int64_t top = std::min(read.normalTop, read.normalBottom);
    const int64_t bottom = std::max(read.normalTop, read.normalBottom);
    if (right <= left || bottom <= top || workArea.isEmpty())
        return false;
    const int64_t areaRight = static_cast<int64_t>(workArea.left()) + workArea.width();
    const int64_t areaBottom = static_cast<int64_t>(workArea.top()) + workArea.height();
    if (left < workArea.left() || top < workArea.top() || right > areaRight || bottom > areaBottom)
        return false;

    switch (read.showCmd) {
    case SW_HIDE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWNOACTIVATE:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
    case SW_SHOWNA:
        read.showCmd = SW_NORMAL;
        break;
    default:
        break;
    }
    *placement = read;
    return true;
}
