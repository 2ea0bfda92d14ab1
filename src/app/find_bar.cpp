#include "app/find_bar.h"

#include "app/status_line.h"
#include "ui/placed_layout.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

using Rule = PlacedLayout::Rule;

} // namespace

FindBar::FindBar(QWidget *parent)
    : QWidget(parent)
    , m_caption(new QLabel(tr("查找："), this))
    , m_field(new QLineEdit(this))
    , m_onlyTicked(new QCheckBox(tr("只看已选"), this))
    , m_status(new StatusLine(this))
{
    setObjectName(QStringLiteral("查找栏"));
    m_field->setObjectName(QStringLiteral("查找"));
    m_field->setAccessibleName(tr("查找"));
    m_caption->setBuddy(m_field);
    m_onlyTicked->setObjectName(QStringLiteral("只看已选"));
    m_status->setObjectName(QStringLiteral("查找状态"));
    // At the window's default width; a wider band spreads its parts, the status taking most.
    auto *layout = new PlacedLayout(this, QSize(601, 17));
    layout->place(m_caption, QRect(8, 0, 40, 17));
    layout->place(m_field, QRect(48, 0, 222, 17), Rule().growsWide(0.25));
    layout->place(m_onlyTicked, QRect(276, 0, 78, 17), Rule().movesRight(0.25));
    layout->place(m_status, QRect(356, 0, 241, 17), Rule().movesRight(0.25).growsWide(0.75));

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

void FindBar::setCounts(qsizetype shown, qsizetype songs, qsizetype ticked)
{
    m_counts = tr("显示 %1 / 共 %2 首　已选 %3 首").arg(shown).arg(songs).arg(ticked);
    m_status->setParts(m_counts, m_note);
}

void FindBar::setNote(const QString &note)
{
    m_note = note;
    m_status->setParts(m_counts, m_note);
}

void FindBar::focusField()
{
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    // Escape in the field clears it.
    if (watched == m_field && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && !m_field->text().isEmpty()) {
        m_field->clear();
        emit queryEdited(QString());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
