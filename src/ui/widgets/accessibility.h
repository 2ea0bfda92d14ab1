#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QPointer>

class QMenu;

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

// A part of a Widget that a screen reader reads as an item of its own (a line, a cell): no
// object, no children; its parent is the Widget's interface, which makes it and lets it go.
template <typename Widget> class WidgetPartAccessible : public QAccessibleInterface
{
public:
    explicit WidgetPartAccessible(Widget *widget)
        : m_widget(widget)
    {
    }

    QObject *object() const override { return nullptr; }
    QWindow *window() const override
    {
        return m_widget ? m_widget->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface *parent() const override
    {
        return m_widget ? QAccessible::queryAccessibleInterface(m_widget) : nullptr;
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString &) override { }

protected:
    QPointer<Widget> m_widget;
};

// Reports a Widget with a role of its own, named by its spokenText(): what it is with what it
// shows, where the plain text alone would say too little.
template <typename Widget, QAccessible::Role reportedRole>
class SpokenTextAccessible : public QAccessibleWidget
{
public:
    explicit SpokenTextAccessible(Widget *widget)
        : QAccessibleWidget(widget, reportedRole)
    {
    }

    QString text(QAccessible::Text text) const override
    {
        if (text == QAccessible::Name)
            return static_cast<const Widget *>(widget())->spokenText();
        return QAccessibleWidget::text(text);
    }
};

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

// A label that shows a bare value (a count, a time): a screen reader hears what the value is
// with it, "当前歌曲数量：3", and what alone while the label is empty. The caption stays the value.
class ValueLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ValueLabel(const QString &what, QWidget *parent = nullptr);

    QString spokenText() const;

private:
    QString m_what;
};

// A label whose text is a message a screen reader should speak unasked: it has the alert role and
// is reported as shown each time it is given a text while in sight (out of sight, showing it is).
class AlertLabel : public QLabel
{
    Q_OBJECT

public:
    explicit AlertLabel(QWidget *parent = nullptr);

    void showAlert(const QString &text);
    QString spokenText() const { return text(); }
};

// Has the next showing of `menu` start on its first item, as a menu opened from the keyboard does
// in other desktop programs, so a screen reader speaks that item at once.
void selectFirstItemWhenShown(QMenu &menu);
