#include "ui/widgets/accessibility.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMenu>
#include <QSet>

namespace {

QSet<QString> &windowClasses()
{
    static QSet<QString> classes;
    return classes;
}

class NamedComboBoxAccessible : public QAccessibleWidget
{
public:
    explicit NamedComboBoxAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::ComboBox)
    {
    }

    QString text(QAccessible::Text text) const override
    {
        if (text == QAccessible::Value)
            return comboBox()->currentText();
        return QAccessibleWidget::text(text);
    }

    QStringList actionNames() const override
    {
        return QStringList { showMenuAction() } + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &action) override
    {
        if (action == showMenuAction())
            comboBox()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QComboBox *comboBox() const { return static_cast<QComboBox *>(widget()); }
};

QAccessibleInterface *windowFor(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (widget && widget->isWindow() && windowClasses().contains(className))
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

// Selects the first item once the menu shows, by the Down key a user would press: the menu's own
// keyboard selection skips separators and disabled items and opens no submenu.
class FirstItemOnShow : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            // After the menu has finished showing, which would reset what is selected.
            QMetaObject::invokeMethod(
                watched,
                [menu = static_cast<QMenu *>(watched)] {
                    if (menu->isVisible() && !menu->activeAction()) {
                        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
                        QCoreApplication::sendEvent(menu, &down);
                    }
                },
                Qt::QueuedConnection);
            deleteLater();
        }
        return false;
    }
};

} // namespace

ValueLabel::ValueLabel(const QString &what, QWidget *parent)
    : QLabel(parent)
    , m_what(what)
{
    useAccessibleInterface<ValueLabel, SpokenTextAccessible<ValueLabel, QAccessible::StaticText>>();
}

QString ValueLabel::spokenText() const
{
    return text().isEmpty() ? m_what : tr("%1：%2").arg(m_what, text());
}

AlertLabel::AlertLabel(QWidget *parent)
    : QLabel(parent)
{
    useAccessibleInterface<AlertLabel,
        SpokenTextAccessible<AlertLabel, QAccessible::AlertMessage>>();
}

void AlertLabel::showAlert(const QString &text)
{
    const bool inSight = isVisible();
    setText(text);
    if (inSight) {
        QAccessibleEvent shown(this, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
    }
}

void selectFirstItemWhenShown(QMenu &menu)
{
    // One request at a time: a second before the menu shows replaces the first.
    for (QObject *child : menu.children()) {
        if (dynamic_cast<FirstItemOnShow *>(child)) {
            menu.removeEventFilter(child);
            child->deleteLater();
        }
    }
    menu.installEventFilter(new FirstItemOnShow(&menu));
}

void exposeAsWindow(const QWidget &window)
{
    static const bool installed = [] {
        QAccessible::installFactory(&windowFor);
        return true;
    }();
    Q_UNUSED(installed);
    windowClasses().insert(QString::fromLatin1(window.metaObject()->className()));
}

NamedComboBox::NamedComboBox(QWidget *parent)
    : QComboBox(parent)
{
    useAccessibleInterface<NamedComboBox, NamedComboBoxAccessible>();
}
