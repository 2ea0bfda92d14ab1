#include "ui/widgets/accessibility.h"

#include <QAccessibleWidget>
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

} // namespace

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
