#pragma once

#include "songs/code_list.h"
#include "songs/duplicate_songs.h"
#include "songs/song_facets.h"
#include "ui/core/latest_job.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

class AppState;
class Dialogs;
class QAction;
class QActionGroup;
class QMenu;
class QWidget;
class ShownSongsModel;
class SongTableModel;

// How a venue chooses songs beyond the query: by language and category, without the songs it
// already has (read from its code lists or search files), only the duplicates, and by ticking the
// songs of a code list. It owns these commands, as a menu for the find band and the table's
// pop-up menu, and hands their filters to the shown-songs model.
class VenueFilters : public QObject
{
    Q_OBJECT

public:
    VenueFilters(Dialogs &dialogs, QWidget *window, SongTableModel *songs, ShownSongsModel *shown,
        AppState &state);

    QMenu *menu() const { return m_menu; }
    // What the status adds to its counts: the shown songs the venue has, the duplicate groups.
    QString counts() const;
    // 语种, 类别, 只看新歌 and 只看重复: how many of them hide songs now.
    int activeFilterCount() const;
    // Every song again, as far as these filters go.
    void clearFilters();
    // Reads the files of the songs the venue has that were chosen in an earlier run.
    void readRememberedVenueFiles();

signals:
    // A word on what a command did, for the status text.
    void noted(const QString &note);
    void countsChanged();

private:
    void buildMenu(QWidget *window);
    void onSongsChanged();
    void onShownSongsChanged();
    void showFacetChoices();
    void fillFacetMenu(
        QMenu *menu, QActionGroup *group, const std::vector<SongFacets::Value> &values);
    void applyFacetFilter();
    void applyNewSongsFilter();
    void onDuplicatesOnlyToggled(bool on);
    void applyDuplicatesFilter();
    void onVenueSongsTriggered();
    void readVenueFiles(const QStringList &paths, bool remembered);
    void onVenueFilesRead(
        const QStringList &paths, bool remembered, const std::vector<CodeList> &lists);
    void markVenueRows();
    void onImportCodesTriggered();
    void onCodesImported(const QString &path, const CodeList &list, CodeMatch match);
    void onCopyMissingCodesTriggered();

    Dialogs &m_dialogs;
    QWidget *m_window;
    SongTableModel *m_songs;
    ShownSongsModel *m_shown;
    AppState &m_state;

    QMenu *m_menu = nullptr;
    QMenu *m_languageMenu = nullptr;
    QMenu *m_categoryMenu = nullptr;
    QActionGroup *m_languageChoices = nullptr;
    QActionGroup *m_categoryChoices = nullptr;
    QAction *m_newSongsOnly = nullptr;
    QAction *m_duplicatesOnly = nullptr;
    QAction *m_forgetVenueSongs = nullptr;
    QAction *m_copyMissingCodes = nullptr;

    std::shared_ptr<const SongFacets> m_facets;
    LatestJob<std::shared_ptr<const SongFacets>> m_facetsJob { this };
    std::shared_ptr<const DuplicateSongs> m_duplicates;
    LatestJob<std::shared_ptr<const DuplicateSongs>> m_duplicatesJob { this };

    // The files of the songs the venue has, their codes, and which rows of the table have one.
    QStringList m_venueFiles;
    std::shared_ptr<const CodeSet> m_venueCodes;
    std::shared_ptr<const std::vector<bool>> m_venueRows;
    LatestJob<std::vector<CodeList>> m_venueFilesJob { this };
    LatestJob<std::shared_ptr<const std::vector<bool>>> m_venueRowsJob { this };
    qsizetype m_shownVenueSongs = 0;

    LatestJob<std::pair<CodeList, CodeMatch>> m_importJob { this };
    // The codes of the last imported list that no song has.
    std::vector<CodeKey> m_missingCodes;
};
