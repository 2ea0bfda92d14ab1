#pragma once

#include <QLabel>

// The find band's status: the counts, always whole, then a note on what was just done, elided
// where the width ends. Its text holds both whole, and so does its tooltip while the note is cut.
// A screen reader finds it as the window's status bar, named "状态：" and the whole text; it is
// told of a new text once, however many times one command changed the parts.
class StatusLine : public QLabel
{
    Q_OBJECT

public:
    explicit StatusLine(QWidget *parent = nullptr);

    void setParts(const QString &counts, const QString &note);
    // What the line draws: the counts and as much of the note as fits.
    QString shownText() const;
    // What a screen reader reads: what the line is, and its whole text.
    QString spokenText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateToolTip();
    void tellOfNewText();

    QString m_counts;
    QString m_note;
    bool m_tellingOfNewText = false;
};
