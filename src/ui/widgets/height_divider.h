#pragma once

#include <QWidget>

// A thin bar between two parts of a window that share its height: dragging it, or Up and Down
// while it has the focus, asks for the upper part to grow by so many pixels (shrink when
// negative). Drawn only while hovered or focused, so it adds no line to the window.
class HeightDivider : public QWidget
{
    Q_OBJECT

public:
    explicit HeightDivider(QWidget *parent = nullptr);

signals:
    void moved(int pixels);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    int m_pressedY = 0;
    bool m_hovered = false;
};
