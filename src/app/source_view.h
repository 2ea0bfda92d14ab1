#pragma once

#include "app/uniform_row_table.h"

class SourceTextModel;

// The read-only view of the loaded search file (`编辑框1`). A table of one column of fixed-height
// lines rather than a text document: only the lines in sight are decoded and laid out, so a
// million-line file shows and scrolls as freely as a short one, and nothing is kept per line.
// Lines can be selected and copied; Left and Right scroll a long line. A screen reader reads it
// as the list of lines it is, not as a table of one column.
class SourceView : public UniformRowTable
{
    Q_OBJECT

public:
    explicit SourceView(QWidget *parent = nullptr);

    void setSourceModel(SourceTextModel *model);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // A line is the list's child of its own index.
    int accessibleChild(const QModelIndex &index) const override { return index.row(); }

private:
    void fitItemsToLongestLine();
    void fitColumnToLines();
    void copySelectedLines();

    SourceTextModel *m_model = nullptr;
    // The width of the longest line, which every line is given so they scroll as one.
    int m_lineWidth = 0;
};
