#include "app/venue_filters.h"

#include "songs/shown_songs_model.h"
#include "ui/core/app_state.h"
#include "ui/core/number_text.h"
#include "ui/widgets/dialogs.h"

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>

namespace {

const QString codeListFilter = QStringLiteral("文本文档(*.txt)|*.txt|所有文件(*)|*");
const QString facetFilterName = QStringLiteral("语种与类别");
const QString newSongsFilterName = QStringLiteral("只看新歌");

// "第 3、7 行" for the first skipped lines, with 等 when there were more.
QString skippedLinesText(const CodeList &list)
{
    QStringList lines;
    for (const qsizetype line : list.firstSkippedLines)
        lines << QString::number(line);
    const QString more
        = list.skippedLineCount > qsizetype(lines.size()) ? QObject::tr("等") : QString();
    return QObject::tr("第 %1 行%2").arg(lines.join(QObject::tr("、")), more);
}

} // namespace

VenueFilters::VenueFilters(Dialogs &dialogs, QWidget *window, SongTableModel *songs,
    ShownSongsModel *shown, AppState &state)
    : QObject(window)
    , m_dialogs(dialogs)
    , m_window(window)
    , m_songs(songs)
    , m_shown(shown)
    , m_state(state)
{
    buildMenu(window);
    connect(m_songs, &QAbstractItemModel::modelReset, this, &VenueFilters::onSongsChanged);
    connect(m_shown, &QAbstractItemModel::modelReset, this, &VenueFilters::onShownSongsChanged);
    showFacetChoices();
}

void VenueFilters::buildMenu(QWidget *window)
{
    m_menu = new QMenu(tr("筛选"), window);
    m_menu->setObjectName(QStringLiteral("筛选菜单"));
    m_languageMenu = m_menu->addMenu(tr("语种"));
    m_languageMenu->setObjectName(QStringLiteral("语种"));
    m_categoryMenu = m_menu->addMenu(tr("类别"));
    m_categoryMenu->setObjectName(QStringLiteral("类别"));
    m_languageChoices = new QActionGroup(this);
    m_categoryChoices = new QActionGroup(this);
    for (QActionGroup *choices : { m_languageChoices, m_categoryChoices })
        connect(choices, &QActionGroup::triggered, this, &VenueFilters::applyFacetFilter);

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
    m_newSongsOnly->setEnabled(false);
    connect(m_newSongsOnly, &QAction::toggled, this, &VenueFilters::applyNewSongsFilter);
    m_duplicatesOnly = addAction(tr("只看重复"), "只看重复", Qt::CTRL | Qt::Key_R);
    m_duplicatesOnly->setCheckable(true);
    connect(m_duplicatesOnly, &QAction::toggled, this, &VenueFilters::onDuplicatesOnlyToggled);
    connect(addAction(tr("清除筛选（显示全部）"), "清除筛选", Qt::CTRL | Qt::SHIFT | Qt::Key_R),
        &QAction::triggered, this, &VenueFilters::clearFilters);
    m_menu->addSeparator();
    connect(addAction(tr("已有歌曲…"), "已有歌曲", Qt::CTRL | Qt::Key_H), &QAction::triggered, this,
        &VenueFilters::onVenueSongsTriggered);
    m_forgetVenueSongs = addAction(tr("不再标记已有歌曲"), "清除已有歌曲");
    m_forgetVenueSongs->setEnabled(false);
    connect(m_forgetVenueSongs, &QAction::triggered, this, [this] {
        m_venueFilesJob.cancel();
        onVenueFilesRead({}, false, {});
    });
    connect(addAction(tr("导入编码…"), "导入编码", Qt::CTRL | Qt::Key_I), &QAction::triggered, this,
        &VenueFilters::onImportCodesTriggered);
    m_copyMissingCodes = addAction(tr("复制未找到的编码"), "复制未找到的编码");
    m_copyMissingCodes->setEnabled(false);
    connect(
        m_copyMissingCodes, &QAction::triggered, this, &VenueFilters::onCopyMissingCodesTriggered);
}

void VenueFilters::onSongsChanged()
{
    // The shown-songs model dropped every filter with the table; a new table starts with all
    // languages and categories and no duplicates chosen, and keeps hiding what the venue has.
    m_facetsJob.cancel();
    m_duplicatesJob.cancel();
    m_importJob.cancel();
    m_facets.reset();
    m_duplicates.reset();
    m_missingCodes.clear();
    m_copyMissingCodes->setEnabled(false);
    {
        const QSignalBlocker blocker(m_duplicatesOnly);
        m_duplicatesOnly->setChecked(false);
    }
    showFacetChoices();
    markVenueRows();
    const std::shared_ptr<const SongTable> table = m_songs->table();
    if (!table)
        return;
    m_facetsJob.start(
        [table](
            QPromise<std::shared_ptr<const SongFacets>> &promise, const std::atomic<bool> &stop) {
            if (std::optional<SongFacets> facets
                = SongFacets::of(*table, [&stop] { return stop.load(); }))
                promise.addResult(std::make_shared<const SongFacets>(std::move(*facets)));
        },
        [this](std::shared_ptr<const SongFacets> facets) {
            m_facets = std::move(facets);
            showFacetChoices();
        });
}

void VenueFilters::showFacetChoices()
{
    const std::vector<SongFacets::Value> none;
    fillFacetMenu(m_languageMenu, m_languageChoices, m_facets ? m_facets->languages() : none);
    fillFacetMenu(m_categoryMenu, m_categoryChoices, m_facets ? m_facets->categories() : none);
}

void VenueFilters::fillFacetMenu(
    QMenu *menu, QActionGroup *group, const std::vector<SongFacets::Value> &values)
{
    for (QAction *action : group->actions())
        delete action;
    const TextEncoding encoding
        = m_songs->table() ? m_songs->table()->encoding() : TextEncoding::Gbk;
    const auto add = [menu, group](const QString &text, int choice) {
        QAction *action = menu->addAction(text);
        action->setCheckable(true);
        action->setData(choice);
        group->addAction(action);
        return action;
    };
    add(tr("全部"), SongFacets::all)->setChecked(true);
    for (std::size_t index = 0; index < values.size(); ++index) {
        const QString spelling = decodeText(values[index].spelling, encoding);
        add(tr("%1（%2 首）")
                .arg(spelling.isEmpty() ? tr("（空）") : spelling,
                    NumberText::grouped(values[index].count)),
            int(index));
    }
}

void VenueFilters::applyFacetFilter()
{
    if (!m_facets)
        return;
    const int language = m_languageChoices->checkedAction()->data().toInt();
    const int category = m_categoryChoices->checkedAction()->data().toInt();
    const SongFacets::Filter filter = m_facets->filter(language, category);
    if (filter.keepsAll()) {
        m_shown->setFilter(facetFilterName, {});
        return;
    }
    // The filter reads the facets' rows: it keeps them alive.
    m_shown->setFilter(facetFilterName,
        [facets = m_facets, filter](std::uint32_t row) { return filter.accepts(row); });
}

void VenueFilters::applyNewSongsFilter()
{
    if (!m_newSongsOnly->isChecked() || !m_venueRows) {
        m_shown->setFilter(newSongsFilterName, {});
        return;
    }
    m_shown->setFilter(
        newSongsFilterName, [rows = m_venueRows](std::uint32_t row) { return !(*rows)[row]; });
}

void VenueFilters::onDuplicatesOnlyToggled(bool on)
{
    const std::shared_ptr<const SongTable> table = m_songs->table();
    if (!on || m_duplicates || !table) {
        applyDuplicatesFilter();
        return;
    }
    // Found once a table, the first time it is asked for.
    m_duplicatesJob.start(
        [table](QPromise<std::shared_ptr<const DuplicateSongs>> &promise,
            const std::atomic<bool> &stop) {
            if (std::optional<DuplicateSongs> duplicates
                = findDuplicateSongs(*table, [&stop] { return stop.load(); }))
                promise.addResult(std::make_shared<const DuplicateSongs>(std::move(*duplicates)));
        },
        [this](std::shared_ptr<const DuplicateSongs> duplicates) {
            m_duplicates = std::move(duplicates);
            applyDuplicatesFilter();
        });
}

void VenueFilters::applyDuplicatesFilter()
{
    if (!m_duplicatesOnly->isChecked() || !m_duplicates) {
        m_shown->setOnlyRows(nullptr);
    } else {
        // The rows share the duplicates' lifetime through an aliasing pointer, with no copy.
        m_shown->setOnlyRows(SongTableModel::RowList(m_duplicates, &m_duplicates->rows));
    }
    emit countsChanged();
}

void VenueFilters::onShownSongsChanged()
{
    m_shownVenueSongs = 0;
    if (m_venueRows && m_songs->hasSongs()) {
        const std::vector<bool> &venueRows = *m_venueRows;
        if (m_shown->showsAllRows()) {
            m_shownVenueSongs = std::count(venueRows.begin(), venueRows.end(), true);
        } else {
            for (const std::uint32_t row : m_shown->rows())
                m_shownVenueSongs += venueRows[row] ? 1 : 0;
        }
    }
    emit countsChanged();
}

int VenueFilters::activeFilterCount() const
{
    const auto chosen = [](const QActionGroup *choices) {
        return choices->checkedAction()
            && choices->checkedAction()->data().toInt() != SongFacets::all;
    };
    return int(chosen(m_languageChoices)) + int(chosen(m_categoryChoices))
        + int(m_newSongsOnly->isChecked()) + int(m_duplicatesOnly->isChecked());
}

void VenueFilters::clearFilters()
{
    for (QActionGroup *choices : { m_languageChoices, m_categoryChoices }) {
        if (!choices->actions().isEmpty())
            choices->actions().constFirst()->setChecked(true);
    }
    applyFacetFilter();
    m_newSongsOnly->setChecked(false);
    m_duplicatesOnly->setChecked(false);
    emit countsChanged();
}

QString VenueFilters::counts() const
{
    QString counts;
    // No count until the rows are marked: a 0 meanwhile would be wrong.
    if (m_venueRows && m_songs->hasSongs())
        counts += tr("　已有 %1 首").arg(NumberText::grouped(m_shownVenueSongs));
    if (m_duplicatesOnly->isChecked() && m_duplicates)
        counts += tr("　重复 %1 组").arg(NumberText::grouped(m_duplicates->groupCount()));
    return counts;
}

void VenueFilters::onVenueSongsTriggered()
{
    const QStringList paths
        = m_dialogs.askOpenFiles(m_window, codeListFilter, tr("已有歌曲：选择编码列表或搜歌文件"));
    if (!paths.isEmpty())
        readVenueFiles(paths, false);
}

void VenueFilters::readRememberedVenueFiles()
{
    if (!m_state.venueSongFiles().isEmpty())
        readVenueFiles(m_state.venueSongFiles(), true);
}

void VenueFilters::readVenueFiles(const QStringList &paths, bool remembered)
{
    m_venueFilesJob.start(
        [paths](QPromise<std::vector<CodeList>> &promise, const std::atomic<bool> &) {
            std::vector<CodeList> lists;
            for (const QString &path : paths)
                lists.push_back(readCodeList(path));
            promise.addResult(std::move(lists));
        },
        [this, paths, remembered](
            const std::vector<CodeList> &lists) { onVenueFilesRead(paths, remembered, lists); });
}

void VenueFilters::onVenueFilesRead(
    const QStringList &paths, bool remembered, const std::vector<CodeList> &lists)
{
    // A file that cannot be read is named; the others count. At start that is a note, not a
    // message at every start.
    QStringList problems;
    QStringList kept;
    for (std::size_t index = 0; index < lists.size(); ++index) {
        const CodeList &list = lists[index];
        const QString name = QFileInfo(paths[qsizetype(index)]).fileName();
        if (!list.ok()) {
            problems << tr("无法读取“%1”：%2").arg(name, list.error);
            continue;
        }
        kept << paths[qsizetype(index)];
        if (list.skippedLineCount > 0)
            problems << tr("“%1”跳过 %2 行不是编码（%3）")
                            .arg(name)
                            .arg(NumberText::grouped(list.skippedLineCount))
                            .arg(skippedLinesText(list));
    }
    if (!remembered && !problems.isEmpty() && kept.size() < paths.size())
        m_dialogs.showMessage(m_window, problems.join(u'\n'));
    // Files that all fail to read take nothing away from the ones chosen before.
    if (!remembered && kept.isEmpty() && !paths.isEmpty())
        return;

    m_venueFiles = kept;
    m_venueCodes = kept.isEmpty() ? nullptr : std::make_shared<const CodeSet>(lists);
    m_state.setVenueSongFiles(m_venueFiles);
    m_state.save();
    m_newSongsOnly->setEnabled(m_venueCodes != nullptr);
    m_forgetVenueSongs->setEnabled(m_venueCodes != nullptr);
    if (!m_venueCodes && m_newSongsOnly->isChecked())
        m_newSongsOnly->setChecked(false);
    markVenueRows();

    QStringList parts;
    if (m_venueCodes)
        parts << tr("%1 个文件，%2 个编码")
                     .arg(NumberText::grouped(kept.size()),
                         NumberText::grouped(qint64(m_venueCodes->size())));
    parts << problems;
    const QString note
        = paths.isEmpty() ? tr("　不再标记已有歌曲") : tr("　已有歌曲：") + parts.join(tr("；"));
    emit noted(note);
}

void VenueFilters::markVenueRows()
{
    m_venueRowsJob.cancel();
    m_venueRows.reset();
    const std::shared_ptr<const SongTable> table = m_songs->table();
    if (!m_venueCodes || !table) {
        m_songs->setVenueRows(nullptr);
        applyNewSongsFilter();
        onShownSongsChanged();
        return;
    }
    m_venueRowsJob.start(
        [table, codes = m_venueCodes](QPromise<std::shared_ptr<const std::vector<bool>>> &promise,
            const std::atomic<bool> &) {
            promise.addResult(
                std::make_shared<const std::vector<bool>>(rowsWithCodesMask(*table, *codes)));
        },
        [this](std::shared_ptr<const std::vector<bool>> rows) {
            m_venueRows = std::move(rows);
            m_songs->setVenueRows(m_venueRows);
            applyNewSongsFilter();
            onShownSongsChanged();
        });
}

void VenueFilters::onImportCodesTriggered()
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

void VenueFilters::onCodesImported(const QString &path, const CodeList &list, CodeMatch match)
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
    QString note = tr("　导入编码：勾选 %1 首，%2 个编码未找到")
                       .arg(NumberText::grouped(m_songs->tickedSongCount() - tickedBefore),
                           NumberText::grouped(qint64(m_missingCodes.size())));
    if (list.skippedLineCount > 0)
        note += tr("，%1 行不是编码（%2）")
                    .arg(NumberText::grouped(list.skippedLineCount), skippedLinesText(list));
    emit noted(note);
}

void VenueFilters::onCopyMissingCodesTriggered()
{
    QString codes;
    for (const CodeKey key : m_missingCodes)
        codes += QString::fromLatin1(codeText(key)) + u"\r\n"_qs;
    QGuiApplication::clipboard()->setText(codes);
    emit noted(
        tr("　已复制 %1 个未找到的编码").arg(NumberText::grouped(qint64(m_missingCodes.size()))));
}
