#pragma once

#include <QLabel>

// The find band's status: the counts, always whole, then a note on what was just done, elided
// where the width ends. Its text and accessible name hold both whole, and so does its tooltip
// while the note is cut.
class StatusLine : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

    void setParts(const QString &counts, const QString &note);
    // What the line draws: the counts and as much of the note as fits.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateToolTip();

    QString m_counts;
    QString m_note;
};
