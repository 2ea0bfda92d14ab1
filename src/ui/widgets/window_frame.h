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

// The client size a window starts at: the remembered one (its own when none was kept), never
// larger than `available` less the frame the window manager adds, nor smaller than `minimum`.
QSize startingClientSize(QSize remembered, QSize own, QSize minimum, QSize available);

// Gives a window about to show its remembered size, kept within the available area of the screen
// it will show on, so a size remembered on a larger monitor still fits the screen.
void resizeWithinScreen(QWidget &window, QSize remembered);

// For a dialog about to show: its frame centred over the window of its parent. Qt's own placement
// leaves the frame's height out and so sits a title bar or more too high.
void centreOverParent(QWidget &window);
