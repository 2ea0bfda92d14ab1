#pragma once

#include <QSize>

// The layouts give each window's outer size, frame included, while Qt sizes the client area.
// The frame taken off: a title bar of 27 pixels and borders of 2, the largest frame that still
// leaves room for every control the layouts place.
constexpr QSize clientSizeOf(QSize outerSize)
{
    return outerSize - QSize(4, 31);
}
