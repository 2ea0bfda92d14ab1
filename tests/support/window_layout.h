#pragma once

#include <QStringList>
#include <QWidget>

#include <string>

// The visible controls of a window that reach beyond its client area, by object name: a
// control cut off by the window's edge. Empty when every control fits.
inline std::string controlsCutOff(const QWidget &window)
{
    QStringList cutOff;
    for (const QWidget *control : window.findChildren<QWidget *>()) {
        if (control->isWindow() || !control->isVisibleTo(&window))
            continue;
        const QRect inWindow(control->mapTo(&window, QPoint(0, 0)), control->size());
        if (!window.rect().contains(inWindow))
            cutOff << control->objectName();
    }
    return cutOff.join(u", "_qs).toStdString();
}
