#include "app/filter_views.h"

#include "app/filter_chips.h"
#include "app/find_bar.h"
#include "app/main_window_controls.h"
#include "app/singer_menu_entries.h"
#include "app/song_table_view.h"
#include "songs/singer_suggestions.h"
#include "songs/song_filters.h"
#include "ui/core/number_text.h"

#include <QMenu>

FilterViews::FilterViews(const MainWindowControls &controls, SongFilters *filters,
    SongTableModel *songs, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_filters(filters)
    , m_songs(songs)
    , m_singerSuggestions(new SingerSuggestions(this))
    , m_singerEntries(new SingerMenuEntries(controls.menu, controls.aboutAction))
{
    FindBar *findBar = controls.findBar;
    findBar->setSingerSuggestions(m_singerSuggestions, SingerSuggestions::SingerRole);
    connect(findBar, &FindBar::queryEdited, m_filters, &SongFilters::setQuery);
    connect(findBar, &FindBar::queryEdited, m_singerSuggestions, &SingerSuggestions::setQuery);
    connect(findBar, &FindBar::onlyTickedToggled, this, &FilterViews::onOnlyTickedToggled);
    connect(findBar, &FindBar::songsRequested, controls.songTable, &SongTableView::focusFirstSong);
    connect(findBar, &FindBar::singerChosen, this, &FilterViews::onSingerChosen);
    connect(m_singerEntries, &SingerMenuEntries::singerChosen, this, &FilterViews::onSingerChosen);
    connect(controls.filterChips, &FilterChips::removeRequested, m_filters,
        [this](const QString &key) { m_filters->clear(SongFilters::Kind(key.toInt())); });
    connect(m_filters, &SongFilters::changed, this, &FilterViews::onFiltersChanged);
    connect(m_filters, &SongFilters::singersIndexed, m_singerSuggestions,
        [this] { m_singerSuggestions->setSingers(m_filters->singerIndex()); });
    // Singers of the table before are no singers of this one; the filters index the new ones.
    connect(m_songs, &SongTableModel::tableReplaced, m_singerSuggestions,
        [this] { m_singerSuggestions->setSingers(nullptr); });
    connect(m_songs, &SongTableModel::ticksChanged, this, &FilterViews::followTicks);
}

void FilterViews::onFiltersChanged()
{
    m_controls.findBar->showQuery(m_filters->query());
    m_controls.findBar->setActiveFilterCount(m_filters->activeFilterCount());
    m_singerSuggestions->setCountedRows(m_filters->rowsBesideQueryAndSinger());
    showChips();
}

void FilterViews::showChips()
{
    using Kind = SongFilters::Kind;
    // Each named as its menu is.
    const std::pair<Kind, QString> named[] = { { Kind::Language, tr("语种：") },
        { Kind::Category, tr("类别：") }, { Kind::NewSongsOnly, QString() },
        { Kind::DuplicatesOnly, QString() }, { Kind::Singer, tr("歌手：") } };
    std::vector<FilterChips::Chip> chips;
    for (const auto &[kind, name] : named) {
        const QString value = m_filters->displayValue(kind);
        if (!value.isEmpty())
            chips.push_back({ QString::number(int(kind)), name + value });
    }
    m_controls.filterChips->setChips(chips);
}

void FilterViews::onSingerChosen(const QString &singer)
{
    if (singer.trimmed().isEmpty())
        m_filters->setSinger({});
    else
        m_filters->setSingerNamed(singer);
}

void FilterViews::onOnlyTickedToggled(bool onlyTicked)
{
    m_filters->setOnlyTicked(onlyTicked);
    if (onlyTicked) {
        // Reviewing a pick starts at its first song, wherever the whole list was scrolled to.
        m_controls.songTable->showFirstSong();
        showReview();
    } else if (showsReview()) {
        m_controls.messageBar->dismiss();
    }
}

void FilterViews::followTicks()
{
    if (!m_filters->onlyTicked() || std::exchange(m_reviewPending, true))
        return;
    // After the command that changed them has shown its own message.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_reviewPending = false;
            if (m_filters->onlyTicked() && showsReview())
                showReview();
        },
        Qt::QueuedConnection);
}

bool FilterViews::showsReview() const
{
    const MessageBar *bar = m_controls.messageBar;
    return bar->isVisibleTo(bar->parentWidget()) && bar->text() == m_review;
}

void FilterViews::showReview()
{
    const qsizetype ticked = m_songs->tickedSongCount();
    const QString split = m_filters->tickedLanguageSplit();
    m_review = split.isEmpty() ? tr("已选 %1 首").arg(NumberText::grouped(ticked))
                               : tr("已选 %1 首：%2").arg(NumberText::grouped(ticked), split);
    m_controls.messageBar->showMessage(MessageBar::Kind::Information, m_review);
}
