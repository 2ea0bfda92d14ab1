#include "ui/widgets/window_frame.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

QPoint centredClientPosition(QRect ownerFrame, QMargins ownerFrameMargins, QSize size, QRect screen)
{
    const int side = std::max(ownerFrameMargins.left(), ownerFrameMargins.right());
    const QSize frameSize = size + QSize(2 * side, ownerFrameMargins.top() + side);
    QRect frame(QPoint(), frameSize);
    frame.moveCenter(ownerFrame.center());
    // On the screen, its title bar first.
    frame.moveLeft(
        std::max(screen.left(), std::min(frame.left(), screen.right() + 1 - frameSize.width())));
    frame.moveTop(
        std::max(screen.top(), std::min(frame.top(), screen.bottom() + 1 - frameSize.height())));
    return frame.topLeft() + QPoint(side, ownerFrameMargins.top());
}

QSize startingClientSize(QSize remembered, QSize own, QSize minimum, QSize available)
{
    // A title bar and borders: the real frame is known only once the window shows.
    constexpr QSize typicalFrame(8, 40);
    const QSize wanted = remembered.isValid() ? remembered : own;
    return wanted.boundedTo(available - typicalFrame).expandedTo(minimum);
}

void resizeWithinScreen(QWidget &window, QSize remembered)
{
    const QScreen *screen = window.screen();
    const QSize available
        = screen ? screen->availableGeometry().size() : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    window.resize(startingClientSize(remembered, window.size(), window.minimumSize(), available));
}

void centreOverParent(QWidget &window)
{
    const QWidget *parent = window.parentWidget();
    if (!parent)
        return;
    const QWidget *owner = parent->window();
    const QRect frame = owner->frameGeometry();
    const QRect ownerClient = owner->geometry();
    const QMargins margins(ownerClient.left() - frame.left(), ownerClient.top() - frame.top(),
        frame.right() - ownerClient.right(), frame.bottom() - ownerClient.bottom());
    const QScreen *screen = owner->screen();
    const QPoint client = centredClientPosition(
        frame, margins, window.size(), screen ? screen->availableGeometry() : frame);
    // move() places the frame, as far as Qt knows it: before the window is first shown, not at all.
    window.move(client - (window.geometry().topLeft() - window.frameGeometry().topLeft()));
}
