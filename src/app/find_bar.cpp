#include "app/find_bar.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

FindBar::FindBar(QWidget *parent)
    : QWidget(parent)
    , m_caption(new QLabel(tr("查找："), this))
    , m_field(new QLineEdit(this))
    , m_onlyTicked(new QCheckBox(tr("只看已选"), this))
    , m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("查找栏"));
    m_field->setObjectName(QStringLiteral("查找"));
    m_field->setAccessibleName(tr("查找"));
    m_caption->setBuddy(m_field);
    m_onlyTicked->setObjectName(QStringLiteral("只看已选"));
    m_status->setObjectName(QStringLiteral("查找状态"));
    m_status->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_field->installEventFilter(this);
    connect(m_field, &QLineEdit::textEdited, this, &FindBar::queryEdited);
    connect(m_onlyTicked, &QCheckBox::toggled, this, &FindBar::onlyTickedToggled);
}

QString FindBar::query() const
{
    return m_field->text();
}

bool FindBar::onlyTicked() const
{
    return m_onlyTicked->isChecked();
}

void FindBar::clearQuery()
{
    m_field->clear();
}

void FindBar::setStatus(const QString &text)
{
    m_status->setText(text);
    m_status->setAccessibleName(text);
    // A long note may not fit the window's width.
    m_status->setToolTip(text);
}

void FindBar::focusField()
{
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_field || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    // Escape in the field clears it.
    if (key == Qt::Key_Escape && !m_field->text().isEmpty()) {
        m_field->clear();
        emit queryEdited(QString());
        return true;
    }
    if (key == Qt::Key_Down || key == Qt::Key_Return || key == Qt::Key_Enter) {
        emit songsRequested();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void FindBar::resizeEvent(QResizeEvent *)
{
    // Fixed parts at the left; the status text takes what the width leaves.
    const int h = height();
    m_caption->setGeometry(8, 0, 40, h);
    m_onlyTicked->setGeometry(276, 0, 78, h);
    m_field->setGeometry(48, 0, 222, h);
    m_status->setGeometry(356, 0, width() - 356 - 4, h);
}
