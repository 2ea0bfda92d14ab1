#pragma once

#include <QLabel>

// The find band's status: the counts of the shown, all and ticked songs and of the venue's
// filters, always whole: in words where they fit, else in a shorter form, whose words are then
// in the tooltip. What a command did shows in the message bar instead. A screen reader finds the
// line as the window's status bar, named "状态：" and the counts in words, and is told of new
// counts once, however many times one action changed them.
class StatusLine : public QLabel
{
    Q_OBJECT

public:
    explicit StatusLine(QWidget *parent = nullptr);

    void setCounts(const QString &inWords, const QString &shorter);
    const QString &counts() const { return m_inWords; }
    // What a screen reader reads: what the line is, and the counts in words.
    QString spokenText() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showFittingForm();
    void tellOfNewText();

    QString m_inWords;
    QString m_shorter;
    bool m_tellingOfNewText = false;
};
