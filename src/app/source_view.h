#pragma once

#include <QListView>

class SourceTextModel;
class SourceLineDelegate;

// The read-only view of the loaded search file (`编辑框1`). A list of uniform lines rather than a
// text document: only the lines in sight are decoded and laid out, so a million-line file
// scrolls as freely as a short one. Lines can be selected and copied.
class SourceView : public QListView
{
    Q_OBJECT

public:
    explicit SourceView(QWidget *parent = nullptr);

    void setSourceModel(SourceTextModel *model);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fitItemsToLongestLine();
    void copySelectedLines();

    SourceTextModel *m_model = nullptr;
    SourceLineDelegate *m_delegate = nullptr;
};
