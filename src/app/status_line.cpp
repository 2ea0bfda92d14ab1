#include "app/status_line.h"

#include "ui/widgets/accessibility.h"

#include <QPainter>

StatusLine::StatusLine(QWidget *parent)
    : QLabel(parent)
{
    useAccessibleInterface<StatusLine, SpokenTextAccessible<StatusLine, QAccessible::StatusBar>>();
    // A name of its own keeps QLabel from telling of every text it is given.
    setAccessibleName(spokenText());
}

void StatusLine::setParts(const QString &counts, const QString &note)
{
    m_counts = counts;
    m_note = note;
    setText(counts + note);
    updateToolTip();
    // A command sets the counts and the note, often more than once: told when it is done.
    if (!m_tellingOfNewText) {
        m_tellingOfNewText = true;
        QMetaObject::invokeMethod(this, &StatusLine::tellOfNewText, Qt::QueuedConnection);
    }
}

QString StatusLine::spokenText() const
{
    return tr("状态：") + text();
}

void StatusLine::tellOfNewText()
{
    m_tellingOfNewText = false;
    if (accessibleName() != spokenText())
        setAccessibleName(spokenText());
}

QString StatusLine::shownText() const
{
    const QFontMetrics metrics = fontMetrics();
    const int room = contentsRect().width();
    if (metrics.horizontalAdvance(text()) <= room)
        return text();
    return m_counts
        + metrics.elidedText(m_note, Qt::ElideRight, room - metrics.horizontalAdvance(m_counts));
}

void StatusLine::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    // A line that fits keeps to the right; a cut one starts with the counts at the left.
    const QString shown = shownText();
    const Qt::Alignment across = shown == text() ? Qt::AlignRight : Qt::AlignLeft;
    painter.drawText(contentsRect(), int(across | Qt::AlignVCenter | Qt::TextSingleLine), shown);
}

void StatusLine::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    updateToolTip();
}

void StatusLine::updateToolTip()
{
    setToolTip(shownText() == text() ? QString() : text());
}
