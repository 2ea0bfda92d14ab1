#include "ui/widgets/enter_presses_button.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>
#include <QToolButton>

EnterPressesButton::EnterPressesButton()
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool EnterPressesButton::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool enter = (key->key() == Qt::Key_Return && key->modifiers() == Qt::NoModifier)
        || (key->key() == Qt::Key_Enter
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier);
    if (!enter)
        return false;
    auto *button = qobject_cast<QAbstractButton *>(watched);
    const bool pressable = qobject_cast<QToolButton *>(watched)
        || (qobject_cast<QPushButton *>(watched) && !qobject_cast<QDialog *>(button->window()));
    if (!pressable || !button->hasFocus() || !button->isEnabled())
        return false;
    button->click();
    return true;
}
