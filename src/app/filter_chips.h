#pragma once

#include <QAbstractButton>
#include <QString>
#include <QWidget>

#include <vector>

// One filter in force: its name and value (`语种：粵語`) and a ✕. A click anywhere on it, or
// Space, Enter or Delete while it has the focus, asks to remove the filter. A chip wider than its
// row is elided; its accessible name and tooltip hold the whole text.
class FilterChip : public QAbstractButton
{
    Q_OBJECT

public:
    FilterChip(QString key, const QString &text, QWidget *parent = nullptr);

    const QString &key() const { return m_key; }
    void setLabel(const QString &text);
    QString label() const { return m_label; }
    // The text as drawn, elided to the chip's width.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int textRoom() const;
    void updateToolTip();

    QString m_key;
    QString m_label;
};

// The chips of every filter in force, in a row that wraps onto more lines when the width runs
// out. It shows what it is given and reports which filter a chip asks to remove.
class FilterChips : public QWidget
{
    Q_OBJECT

public:
    struct Chip
    {
        QString key; // which filter; reported back on removal
        QString text;
    };

    explicit FilterChips(QWidget *parent = nullptr);

    // Keeps the chips whose key stays (and their focus), drops the rest. When the chip with the
    // focus goes, the focus moves to the chip that takes its place, or the one before it.
    void setChips(const std::vector<Chip> &chips);
    QList<FilterChip *> chips() const { return m_chips; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void removeRequested(const QString &key);
    // The rows the chips need changed, for whoever places this row.
    void heightChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // Lays the chips out in `width`; returns the height they take. Places them when asked.
    int flow(int width, bool place) const;
    void reportHeight();

    QList<FilterChip *> m_chips;
    int m_lastHeight = 0;
};
