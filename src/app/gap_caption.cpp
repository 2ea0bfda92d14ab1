#include "app/gap_caption.h"

#include <QPainter>

void GapCaption::setGapEnd(int x)
{
    m_gapEnd = x;
    update();
}

QString GapCaption::textBeforeGap() const
{
    return text().section(u' ', 0, 0, QString::SectionSkipEmpty);
}

QString GapCaption::textAfterGap() const
{
    return text().section(u' ', -1, -1, QString::SectionSkipEmpty);
}

void GapCaption::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    painter.drawText(rect(), flags, textBeforeGap());
    painter.drawText(rect().adjusted(m_gapEnd, 0, 0, 0), flags, textAfterGap());
}
