#pragma once

#include "songs/code_list.h"
#include "ui/core/latest_job.h"
#include "ui/widgets/message_bar.h"

#include <QObject>

#include <utility>
#include <vector>

class AppState;
class Dialogs;
class QAction;
class QActionGroup;
class QMenu;
class QWidget;
class ShownSongsModel;
class SongFilters;
class SongTableModel;
struct VenueFilesRead;

// The 筛选 menu, for the find band and the table's pop-up menu: 语种 and 类别, 只看新歌, 只看重复
// and 清除筛选 set the filter state and show it (their check marks follow it, and each 语种 and
// 类别 counts what choosing it would show); 已有歌曲 reads the venue's files into it and remembers
// them; 导入编码 ticks the songs of a code list.
class VenueMenus : public QObject
{
    Q_OBJECT

public:
    // The venue's files are read again from `state` at once. `undoTicks` takes back an import.
    VenueMenus(Dialogs &dialogs, QWidget *window, SongTableModel *songs, SongFilters *filters,
        AppState &state, QAction *undoTicks);

    QMenu *menu() const { return m_menu; }
    // What the status adds to its counts: the shown songs the venue has, the duplicate groups.
    QString counts(const ShownSongsModel &shown) const;

signals:
    // What a command did, with what may follow it.
    void noted(const QString &note, const MessageActions &actions = {});

private:
    void buildMenu(QWidget *window);
    void showChoices();
    void fillChoices(QMenu *menu, QActionGroup *group, bool languages);
    // Each choice counts the songs it would show with every other filter and the query.
    void countChoices(QActionGroup *group, const std::vector<qsizetype> &counts);
    void showState();
    void onVenueSongsTriggered();
    void onVenueFilesRead(const VenueFilesRead &read);
    void onImportCodesTriggered();
    void onCodesImported(const QString &path, const CodeList &list, CodeMatch match);
    void onCopyMissingCodesTriggered();

    Dialogs &m_dialogs;
    AppState &m_state;
    QAction *m_undoTicks;
    QWidget *m_window;
    SongTableModel *m_songs;
    SongFilters *m_filters;

    QMenu *m_menu = nullptr;
    QMenu *m_languageMenu = nullptr;
    QMenu *m_categoryMenu = nullptr;
    QActionGroup *m_languageChoices = nullptr;
    QActionGroup *m_categoryChoices = nullptr;
    QAction *m_newSongsOnly = nullptr;
    QAction *m_duplicatesOnly = nullptr;
    QAction *m_forgetVenueSongs = nullptr;
    QAction *m_copyMissingCodes = nullptr;
    // The spelling of each choice of the table, as its menu names it before its count.
    std::vector<QString> m_languageNames;
    std::vector<QString> m_categoryNames;

    LatestJob<std::pair<CodeList, CodeMatch>> m_importJob { this };
    // The codes of the last imported list that no song has.
    std::vector<CodeKey> m_missingCodes;
};
