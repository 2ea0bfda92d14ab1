#pragma once

#include <QAccessible>
#include <QComboBox>

// Has screen readers read every Widget (exactly that class) through Interface, made from a
// Widget *. Call from Widget's constructor; the factory is installed once.
template <typename Widget, typename Interface> void useAccessibleInterface()
{
    static const bool installed = [] {
        QAccessible::installFactory(
            [](const QString &className, QObject *object) -> QAccessibleInterface * {
                auto *widget = qobject_cast<Widget *>(object);
                if (widget && className == QLatin1String(Widget::staticMetaObject.className()))
                    return new Interface(widget);
                return nullptr;
            });
        return true;
    }();
    Q_UNUSED(installed);
}

// Reports a top-level window with the role of a window (a frame on the accessibility bus);
// Qt gives a plain QWidget window the role of a client area ("filler"). Call from the window's
// constructor: the role is fixed for each class of window.
void exposeAsWindow(const QWidget &window);

// A drop-down list that a screen reader names by its accessible name, with the chosen entry as
// its value. A plain QComboBox on Linux gives its chosen entry as its name too.
class NamedComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit NamedComboBox(QWidget *parent = nullptr);
};
