#pragma once

#include <QWidget>

class QAbstractItemModel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;
class PlacedLayout;
class StatusLine;
class SuggestionPopup;

// The band under the bottom row of controls: the caption "查找：", the find field, the 筛选
// button, "只看已选" and the status text. It only reports what the user typed and ticked and shows
// what it is told.
class FindBar : public QWidget
{
    Q_OBJECT

public:
    explicit FindBar(QWidget *parent = nullptr);

    // Shows the query of the filters without reporting a change.
    void showQuery(const QString &query);
    // The status: the counts, always shown whole. `more`: counts of the venue's filters, after
    // the three.
    void setCounts(qsizetype shown, qsizetype songs, qsizetype ticked, const QString &more = {});
    // The menu the 筛选 button opens, and how many of its filters hide songs (the button then
    // shows in bold and says so).
    void setFilterMenu(QMenu *menu);
    void setActiveFilterCount(int count);
    // Ctrl+F: the field takes the focus with its text selected.
    void focusField();
    // The singers the text could name, listed under the field while it has the focus; `role` is
    // the model's role of a singer's name.
    void setSingerSuggestions(QAbstractItemModel *model, int role);
    SuggestionPopup *singerSuggestions() const { return m_suggestions; }

signals:
    void queryEdited(const QString &text);
    void onlyTickedToggled(bool onlyTicked);
    // Down, Enter or keypad Enter in the field: on to the songs found.
    void songsRequested();
    // A singer was chosen from the suggestions; the field is empty again.
    void singerChosen(const QString &singer);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_caption;
    QLineEdit *m_field;
    QToolButton *m_filterButton;
    QCheckBox *m_onlyTicked;
    StatusLine *m_status;
    SuggestionPopup *m_suggestions = nullptr;
    PlacedLayout *m_layout;
    int m_activeFilterCount = 0;
};
