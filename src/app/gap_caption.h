#pragma once

#include <QLabel>

// A caption whose run of blanks leaves room for a control laid over it ("随机机率       个"):
// the words before the blanks stay at the left, the words after are drawn from gapEnd on, so
// they follow the control whatever the font's blanks measure.
class GapCaption : public QLabel
{
public:
    using QLabel::QLabel;

    // Where the words after the blanks start, in this caption's coordinates.
    void setGapEnd(int x);
    // The words before and after the blanks.
    QString textBeforeGap() const;
    QString textAfterGap() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_gapEnd = 0;
};
