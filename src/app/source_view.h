#pragma once

#include <QAccessible>
#include <QTableView>

class SourceTextModel;

// The read-only view of the loaded search file (`编辑框1`). A table of one column of fixed-height
// lines rather than a text document: only the lines in sight are decoded and laid out, so a
// million-line file shows and scrolls as freely as a short one. Lines can be selected and copied.
// A screen reader reads it as the list of lines it is, not as a table of one column.
// Its hidden row header keeps a section per line (1M lines: 7.7 MiB, 0.005-0.010 s a reset), yet a
// QListView with uniform item sizes measured worse (11.5 MiB, 0.033-0.044 s a reset).
class SourceView : public QTableView
{
    Q_OBJECT

public:
    explicit SourceView(QWidget *parent = nullptr);

    void setSourceModel(SourceTextModel *model);
    // Counts the texts shown, so the accessible lines of an old text are let go.
    int textGeneration() const { return m_textGeneration; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    // A screen reader is told of the current and selected lines by their line index, the list's
    // child index; a table would tell it of cells counted with its hidden headers.
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(
        const QItemSelection &selected, const QItemSelection &deselected) override;

private:
    void fitItemsToLongestLine();
    void reportLine(QAccessible::Event type, int row);
    void copySelectedLines();

    SourceTextModel *m_model = nullptr;
    int m_textGeneration = 0;
};
