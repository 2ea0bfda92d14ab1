#include "app/venue_menus.h"

#include "songs/shown_songs_model.h"
#include "songs/song_filters.h"
#include "ui/core/app_state.h"
#include "ui/core/number_text.h"
#include "ui/widgets/dialogs.h"

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>

namespace {

const QString codeListFilter = QStringLiteral("文本文档(*.txt)|*.txt|所有文件(*)|*");

} // namespace

VenueMenus::VenueMenus(Dialogs &dialogs, QWidget *window, SongTableModel *songs,
    SongFilters *filters, AppState &state, QAction *undoTicks)
    : QObject(window)
    , m_dialogs(dialogs)
    , m_state(state)
    , m_undoTicks(undoTicks)
    , m_window(window)
    , m_songs(songs)
    , m_filters(filters)
{
    buildMenu(window);
    connect(m_filters, &SongFilters::choicesChanged, this, &VenueMenus::showChoices);
    connect(m_filters, &SongFilters::changed, this, &VenueMenus::showState);
    connect(m_filters, &SongFilters::venueFilesRead, this, &VenueMenus::onVenueFilesRead);
    // An import matched against the table before would tick another table's rows.
    connect(m_songs, &SongTableModel::tableReplaced, this, [this] {
        m_importJob.cancel();
        m_missingCodes.clear();
        m_copyMissingCodes->setEnabled(false);
    });
    showChoices();
    if (!m_state.venueSongFiles().isEmpty())
        m_filters->readVenueFiles(m_state.venueSongFiles(), true);
}

void VenueMenus::buildMenu(QWidget *window)
{
    m_menu = new QMenu(tr("筛选"), window);
    m_menu->setObjectName(QStringLiteral("筛选菜单"));
    m_languageMenu = m_menu->addMenu(tr("语种"));
    m_languageMenu->setObjectName(QStringLiteral("语种"));
    m_categoryMenu = m_menu->addMenu(tr("类别"));
    m_categoryMenu->setObjectName(QStringLiteral("类别"));
    m_languageChoices = new QActionGroup(this);
    m_categoryChoices = new QActionGroup(this);
    connect(m_languageChoices, &QActionGroup::triggered, this,
        [this](QAction *choice) { m_filters->setLanguage(choice->data().toInt()); });
    connect(m_categoryChoices, &QActionGroup::triggered, this,
        [this](QAction *choice) { m_filters->setCategory(choice->data().toInt()); });
    // Counted when looked at: a filter change costs no count that nobody reads.
    connect(m_languageMenu, &QMenu::aboutToShow, this,
        [this] { countChoices(m_languageChoices, m_filters->languageCounts()); });
    connect(m_categoryMenu, &QMenu::aboutToShow, this,
        [this] { countChoices(m_categoryChoices, m_filters->categoryCounts()); });

    const auto addAction
        = [this, window](const QString &text, const char *name, QKeySequence shortcut = {}) {
              QAction *action = m_menu->addAction(text);
              action->setObjectName(QString::fromUtf8(name));
              action->setShortcut(shortcut);
              action->setShortcutContext(Qt::WindowShortcut);
              window->addAction(action);
              return action;
          };
    m_newSongsOnly = addAction(tr("只看新歌（隐藏已有歌曲）"), "只看新歌", Qt::CTRL | Qt::Key_N);
    m_newSongsOnly->setCheckable(true);
    connect(m_newSongsOnly, &QAction::triggered, m_filters, &SongFilters::setNewSongsOnly);
    m_duplicatesOnly = addAction(tr("只看重复"), "只看重复", Qt::CTRL | Qt::Key_R);
    m_duplicatesOnly->setCheckable(true);
    connect(m_duplicatesOnly, &QAction::triggered, m_filters, &SongFilters::setDuplicatesOnly);
    connect(addAction(tr("清除筛选（显示全部）"), "清除筛选", Qt::CTRL | Qt::SHIFT | Qt::Key_R),
        &QAction::triggered, m_filters, &SongFilters::clearFilters);
    m_menu->addSeparator();
    connect(addAction(tr("已有歌曲…"), "已有歌曲", Qt::CTRL | Qt::Key_H), &QAction::triggered, this,
        &VenueMenus::onVenueSongsTriggered);
    m_forgetVenueSongs = addAction(tr("不再标记已有歌曲"), "清除已有歌曲");
    connect(m_forgetVenueSongs, &QAction::triggered, m_filters, &SongFilters::forgetVenueFiles);
    connect(addAction(tr("导入编码…"), "导入编码", Qt::CTRL | Qt::Key_I), &QAction::triggered, this,
        &VenueMenus::onImportCodesTriggered);
    m_copyMissingCodes = addAction(tr("复制未找到的编码"), "复制未找到的编码");
    m_copyMissingCodes->setEnabled(false);
    connect(
        m_copyMissingCodes, &QAction::triggered, this, &VenueMenus::onCopyMissingCodesTriggered);
    showState();
}

void VenueMenus::showChoices()
{
    fillChoices(m_languageMenu, m_languageChoices, true);
    fillChoices(m_categoryMenu, m_categoryChoices, false);
    showState();
}

void VenueMenus::fillChoices(QMenu *menu, QActionGroup *group, bool languages)
{
    for (QAction *action : group->actions())
        delete action;
    std::vector<QString> &names = languages ? m_languageNames : m_categoryNames;
    names.clear();
    const auto add = [menu, group](int choice) {
        QAction *action = menu->addAction(QString());
        action->setCheckable(true);
        action->setData(choice);
        group->addAction(action);
    };
    add(SongFacets::all);
    // The whole table's counts, which come with the choices; the menu counts under the other
    // filters as it opens.
    std::vector<qsizetype> counts;
    if (const SongFacets *facets = m_filters->facets()) {
        const std::vector<SongFacets::Value> &values
            = languages ? facets->languages() : facets->categories();
        const TextEncoding encoding = m_songs->table()->encoding();
        for (std::size_t index = 0; index < values.size(); ++index) {
            const QString spelling = decodeText(values[index].spelling, encoding);
            names.push_back(spelling.isEmpty() ? tr("（空）") : spelling);
            counts.push_back(values[index].count);
            add(int(index));
        }
    }
    countChoices(group, counts);
}

void VenueMenus::countChoices(QActionGroup *group, const std::vector<qsizetype> &counts)
{
    const std::vector<QString> &names
        = group == m_languageChoices ? m_languageNames : m_categoryNames;
    for (QAction *action : group->actions()) {
        const int choice = action->data().toInt();
        if (choice == SongFacets::all) {
            action->setText(tr("全部"));
            continue;
        }
        const qsizetype count
            = std::size_t(choice) < counts.size() ? counts[std::size_t(choice)] : 0;
        action->setText(
            tr("%1（%2 首）").arg(names[std::size_t(choice)], NumberText::grouped(count)));
        // Dimmed: it would show nothing. The one in force stays choosable, to leave it.
        action->setEnabled(count > 0 || action->isChecked());
    }
}

void VenueMenus::showState()
{
    const auto check = [](QActionGroup *group, int choice) {
        for (QAction *action : group->actions())
            action->setChecked(action->data().toInt() == choice);
    };
    check(m_languageChoices, m_filters->language());
    check(m_categoryChoices, m_filters->category());
    m_newSongsOnly->setEnabled(m_filters->hasVenueSongs());
    m_newSongsOnly->setChecked(m_filters->newSongsOnly());
    m_duplicatesOnly->setChecked(m_filters->duplicatesOnly());
    m_forgetVenueSongs->setEnabled(m_filters->hasVenueSongs());
}

QString VenueMenus::counts(const ShownSongsModel &shown) const
{
    QString counts;
    // No count until the rows are marked: a 0 meanwhile would be wrong.
    if (m_filters->venueRowsMarked() && m_filters->newSongsOnly()) {
        counts
            += tr("　已隐藏已有 %1 首").arg(NumberText::grouped(m_filters->hiddenVenueSongCount()));
    } else if (m_filters->venueRowsMarked()) {
        counts += tr("　已有 %1 首")
                      .arg(NumberText::grouped(shown.countShownSongs(
                          [this](std::uint32_t row) { return m_filters->venueHas(row); })));
    }
    if (m_filters->duplicatesOnly() && m_filters->duplicateGroupCount())
        counts += tr("　重复 %1 组").arg(NumberText::grouped(*m_filters->duplicateGroupCount()));
    return counts;
}

void VenueMenus::onVenueSongsTriggered()
{
    const QStringList paths
        = m_dialogs.askOpenFiles(m_window, codeListFilter, tr("已有歌曲：选择编码列表或搜歌文件"));
    if (!paths.isEmpty())
        m_filters->readVenueFiles(paths);
}

void VenueMenus::onVenueFilesRead(const VenueFilesRead &read)
{
    // At start a file that cannot be read is a note, not a message at every start.
    if (!read.remembered && !read.problems.isEmpty() && read.kept.size() < read.paths.size())
        m_dialogs.showMessage(m_window, read.problems.join(u'\n'));
    if (read.keptEarlierFiles())
        return;
    m_state.setVenueSongFiles(m_filters->venueFiles());
    m_state.save();
    QStringList parts;
    if (m_filters->hasVenueSongs())
        parts << tr("%1 个文件，%2 个编码")
                     .arg(NumberText::grouped(read.kept.size()),
                         NumberText::grouped(read.codeCount));
    parts << read.problems;
    emit noted(
        read.paths.isEmpty() ? tr("不再标记已有歌曲") : tr("已有歌曲：") + parts.join(tr("；")));
}

void VenueMenus::onImportCodesTriggered()
{
    const std::optional<QString> path
        = m_dialogs.askOpenFile(m_window, codeListFilter, tr("导入编码：选择编码列表"));
    if (!path)
        return;
    // Read and matched beside the window; a new table cancels it, its rows being another's.
    m_importJob.start(
        [path = *path, table = m_songs->table()](
            QPromise<std::pair<CodeList, CodeMatch>> &promise, const std::atomic<bool> &) {
            CodeList list = readCodeList(path);
            CodeMatch match = table && list.ok() ? matchCodes(*table, list.codes)
                                                 : CodeMatch { {}, list.codes };
            promise.addResult(std::pair { std::move(list), std::move(match) });
        },
        [this, path = *path](std::pair<CodeList, CodeMatch> imported) {
            onCodesImported(path, imported.first, std::move(imported.second));
        });
}

void VenueMenus::onCodesImported(const QString &path, const CodeList &list, CodeMatch match)
{
    if (!list.ok()) {
        m_dialogs.showMessage(
            m_window, tr("无法读取文件“%1”：\n%2").arg(QDir::toNativeSeparators(path), list.error));
        return;
    }
    const qsizetype tickedBefore = m_songs->tickedSongCount();
    m_songs->setRowsTicked(match.rows, true);
    m_missingCodes = std::move(match.missing);
    m_copyMissingCodes->setEnabled(!m_missingCodes.empty());
    QString note = tr("导入编码：勾选 %1 首，%2 个编码未找到")
                       .arg(NumberText::grouped(m_songs->tickedSongCount() - tickedBefore),
                           NumberText::grouped(qint64(m_missingCodes.size())));
    if (list.skippedLineCount > 0) {
        note += tr("，%1 行不是编码（%2）")
                    .arg(NumberText::grouped(list.skippedLineCount), skippedLinesText(list));
    }
    MessageActions actions;
    // Only a change of ticks is a step to take back.
    if (m_songs->tickedSongCount() > tickedBefore)
        actions.push_back({ tr("撤销"), [undo = m_undoTicks] { undo->trigger(); } });
    if (!m_missingCodes.empty())
        actions.push_back(
            { m_copyMissingCodes->text(), [this] { m_copyMissingCodes->trigger(); } });
    emit noted(note, actions);
}

void VenueMenus::onCopyMissingCodesTriggered()
{
    QString codes;
    for (const CodeKey key : m_missingCodes)
        codes += QString::fromLatin1(codeText(key)) + u"\r\n"_qs;
    QGuiApplication::clipboard()->setText(codes);
    emit noted(
        tr("已复制 %1 个未找到的编码").arg(NumberText::grouped(qint64(m_missingCodes.size()))));
}
