#pragma once

#include "ui/widgets/message_bar.h"

#include <QObject>

class MainWindowControls;
class SingerMenuEntries;
class SingerSuggestions;
class SongFilters;
class SongTableModel;

// The find band, the filter chips and the pop-up menu's singer entries as views of the filter
// state, and the choices made in them: the query, a singer, 只看已选 and a chip's removal. While
// 只看已选 is on, the message bar shows the ticked songs by language, to check a pick by.
class FilterViews : public QObject
{
    Q_OBJECT

public:
    FilterViews(const MainWindowControls &controls, SongFilters *filters, SongTableModel *songs,
        QObject *parent = nullptr);

    SingerMenuEntries *singerEntries() const { return m_singerEntries; }

private:
    void onFiltersChanged();
    // A chip for each filter that hides songs beyond the find field and 只看已选.
    void showChips();
    // Only this singer's songs (any spelling, duets included), or every singer's for an empty one.
    void onSingerChosen(const QString &singer);
    void onOnlyTickedToggled(bool onlyTicked);
    // The review's split again after the ticks changed, unless another message took its place.
    void followTicks();
    // The message bar still shows the review's split, not another command's result.
    bool showsReview() const;
    void showReview();

    const MainWindowControls &m_controls;
    SongFilters *m_filters;
    SongTableModel *m_songs;
    SingerSuggestions *m_singerSuggestions;
    SingerMenuEntries *m_singerEntries;
    QString m_review;
    bool m_reviewPending = false;
};
