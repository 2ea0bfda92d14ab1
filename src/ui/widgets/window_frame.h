#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

// Where the client area of a window of client size `size` goes so that its frame is centred over
// its owner's frame, kept on the owner's screen. The window manager frames the new window as it
// frames the owner, except that a maximised owner may have no side borders.
QPoint centredClientPosition(
    QRect ownerFrame, QMargins ownerFrameMargins, QSize size, QRect screen);

// For a dialog about to show: its frame centred over the window of its parent. Qt's own placement
// leaves the frame's height out and so sits a title bar or more too high.
void centreOverParent(QWidget &window);
