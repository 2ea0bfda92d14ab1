#pragma once

#include <QAbstractItemView>
#include <QAccessible>

class SourceTextModel;

// The read-only view of the loaded search file (`编辑框1`). A list of fixed-height lines rather
// than a text document: only the lines in sight are decoded and laid out, so a million-line file
// shows and scrolls as freely as a short one. Lines can be selected and copied. A screen reader
// reads it as the list of lines it is.
// Every line has one height, so where a line lies is arithmetic and the view keeps nothing per
// line: a table view's row header kept 8 bytes a line (1M lines: 7.7 MiB, 0.005-0.010 s a reset)
// and a QListView with uniform item sizes more (11.5 MiB, 0.033-0.044 s a reset).
class SourceView : public QAbstractItemView
{
    Q_OBJECT

public:
    explicit SourceView(QWidget *parent = nullptr);

    void setSourceModel(SourceTextModel *model);
    // Counts the texts shown, so the accessible lines of an old text are let go.
    int textGeneration() const { return m_textGeneration; }

    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint &point) const override;

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex &) const override { return false; }
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    void paintEvent(QPaintEvent *event) override;

    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    // A screen reader is told of the current and selected lines by their line index, the list's
    // child index; a table would tell it of cells counted with its hidden headers.
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(
        const QItemSelection &selected, const QItemSelection &deselected) override;

private:
    int lineHeight() const;
    // The lines that fit whole in the viewport, at least one.
    int linesInSight() const;
    int firstLineInSight() const;
    int lineAt(int y) const;
    void fitItemsToLongestLine();
    void reportLine(QAccessible::Event type, int row);
    void copySelectedLines();

    SourceTextModel *m_model = nullptr;
    int m_textGeneration = 0;
    // The width of the longest line, which every line is given so they scroll as one.
    int m_lineWidth = 0;
};
