#include "app/status_line.h"

#include "ui/widgets/accessibility.h"

StatusLine::StatusLine(QWidget *parent)
    : QLabel(parent)
{
    useAccessibleInterface<StatusLine, SpokenTextAccessible<StatusLine, QAccessible::StatusBar>>();
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // A name of its own keeps QLabel from telling of every text it is given.
    setAccessibleName(spokenText());
}

void StatusLine::setCounts(const QString &inWords, const QString &shorter)
{
    m_inWords = inWords;
    m_shorter = shorter;
    showFittingForm();
    // One action may set the counts more than once: told when it is done.
    if (!m_tellingOfNewText) {
        m_tellingOfNewText = true;
        QMetaObject::invokeMethod(this, &StatusLine::tellOfNewText, Qt::QueuedConnection);
    }
}

QString StatusLine::spokenText() const
{
    return tr("状态：") + m_inWords;
}

void StatusLine::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    showFittingForm();
}

void StatusLine::showFittingForm()
{
    const bool fits = fontMetrics().horizontalAdvance(m_inWords) <= contentsRect().width();
    setText(fits ? m_inWords : m_shorter);
    setToolTip(fits ? QString() : m_inWords);
}

void StatusLine::tellOfNewText()
{
    m_tellingOfNewText = false;
    if (accessibleName() != spokenText())
        setAccessibleName(spokenText());
}
