#include "ui/widgets/height_divider.h"

#include "ui/widgets/accessibility.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int keyStep = 10;
constexpr int pageStep = 60;

// A focusable separator, which is how screen readers know a divider the keys move.
class DividerInterface : public QAccessibleWidget
{
public:
    explicit DividerInterface(HeightDivider *divider)
        : QAccessibleWidget(divider, QAccessible::Separator)
    {
    }
};

} // namespace

HeightDivider::HeightDivider(QWidget *parent)
    : QWidget(parent)
{
    setCursor(Qt::SplitVCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    useAccessibleInterface<HeightDivider, DividerInterface>();
}

void HeightDivider::paintEvent(QPaintEvent *)
{
    if (!m_hovered && !hasFocus())
        return;
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(hasFocus() ? QPalette::Highlight : QPalette::Mid));
}

void HeightDivider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressedY = event->globalPosition().toPoint().y();
}

void HeightDivider::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const int y = event->globalPosition().toPoint().y();
    emit moved(y - m_pressedY);
    m_pressedY = y;
}

void HeightDivider::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        emit moved(-keyStep);
        break;
    case Qt::Key_Down:
        emit moved(keyStep);
        break;
    case Qt::Key_PageUp:
        emit moved(-pageStep);
        break;
    case Qt::Key_PageDown:
        emit moved(pageStep);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void HeightDivider::enterEvent(QEnterEvent *)
{
    m_hovered = true;
    update();
}

void HeightDivider::leaveEvent(QEvent *)
{
    m_hovered = false;
    update();
}
