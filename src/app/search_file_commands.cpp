#include "app/search_file_commands.h"

#include "app/find_bar.h"
#include "app/main_window_controls.h"
#include "app/progress_strip.h"
#include "app/skipped_lines_window.h"
#include "app/song_preview.h"
#include "app/source_view.h"
#include "songs/search_file_document.h"
#include "songs/shown_songs_model.h"
#include "songs/skipped_lines.h"
#include "songs/song_filters.h"
#include "songs/song_table_model.h"
#include "songs/source_text_model.h"
#include "ui/core/gbk_text.h"
#include "ui/core/number_text.h"
#include "ui/widgets/dialogs.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString searchFileFilter = QStringLiteral("文本文档(*.txt)|*.txt");

} // namespace

SearchFileCommands::SearchFileCommands(Dialogs &dialogs, QWidget *window,
    const MainWindowControls &controls, SongTableModel *songs, SongFilters *filters,
    ShownSongsModel *shown, SongPreview *preview)
    : QObject(window)
    , m_dialogs(dialogs)
    , m_window(window)
    , m_controls(controls)
    , m_document(new SearchFileDocument(this))
    , m_sourceModel(new SourceTextModel(this))
    , m_songs(songs)
    , m_filters(filters)
    , m_shown(shown)
    , m_preview(preview)
{
    m_sourceModel->setBytes(Gbk::encode(tr("无数据，请点击右边选择搜歌文件按钮导入搜歌文件")));
    controls.sourceView->setSourceModel(m_sourceModel);
    connect(m_document, &SearchFileDocument::loadProgress, controls.loadProgress,
        &ProgressStrip::showProgress);
    connect(m_document, &SearchFileDocument::firstScreenRead, m_sourceModel,
        &SourceTextModel::showFirstScreen);
    connect(m_document, &SearchFileDocument::firstScreenWithdrawn, m_sourceModel,
        &SourceTextModel::withdrawFirstScreen);
    connect(m_document, &SearchFileDocument::textLoaded, this, &SearchFileCommands::onLoaded);
    connect(m_document, &SearchFileDocument::loadFailed, this, &SearchFileCommands::onLoadFailed);
    connect(
        m_document, &SearchFileDocument::tableReplaced, this, &SearchFileCommands::onTableReplaced);
    connect(m_document, &SearchFileDocument::analysisFailed, this,
        [this](const QString &error) { m_dialogs.showMessage(m_window, error); });
}

void SearchFileCommands::browse()
{
    if (const std::optional<QString> path = m_dialogs.askOpenFile(m_window, searchFileFilter))
        load(*path);
}

void SearchFileCommands::load(const QString &path)
{
    m_document->load(path);
    // The first lines of the new file may show while it is read: Analyse waits for the whole.
    m_controls.analyseButton->setEnabled(false);
    emit loadingChanged();
}

void SearchFileCommands::analyse()
{
    // The first Analyse of a file takes what was analysed since it was loaded (1M songs, clicked
    // 0.4 s after the file showed: 0.06-0.08 s against 0.19 s); a later one analyses afresh.
    m_document->analyse();
}

bool SearchFileCommands::isLoading() const
{
    return m_document->isLoading();
}

void SearchFileCommands::cancelLoad()
{
    m_document->cancelLoad();
    onLoadEnded();
}

void SearchFileCommands::onLoadEnded()
{
    m_controls.loadProgress->hide();
    m_controls.analyseButton->setEnabled(!m_document->isEmpty());
    emit loadingChanged();
}

void SearchFileCommands::onLoadFailed(const QString &path, const QString &reason)
{
    onLoadEnded();
    m_dialogs.showMessage(
        m_window, tr("无法读取文件“%1”：\n%2").arg(QDir::toNativeSeparators(path), reason));
}

void SearchFileCommands::onLoaded()
{
    onLoadEnded();
    const QString &path = m_document->path();
    const bool empty = m_document->isEmpty();
    m_sourceModel->setBytes(m_document->bytes(), m_document->encoding());
    m_controls.searchFilePathLabel->setText(QDir::toNativeSeparators(path));
    m_controls.searchFilePathLabel->setToolTip(QDir::toNativeSeparators(path));
    m_preview->followSearchFile(path, empty);
    m_controls.playSelectedAction->setEnabled(!empty);
}

void SearchFileCommands::onTableReplaced(const std::shared_ptr<SearchFileAnalysis> &analysis)
{
    const qsizetype songCount = m_document->table()->rowCount();
    const TicksCarried carried = m_songs->setTable(m_document->table());
    m_filters->prepareFinding(std::move(analysis->findForms));
    m_controls.findBar->setEnabled(true);
    m_shown->setSongOrders(m_document->songOrders());
    m_controls.randomCountField->setText(NumberText::fromReal(static_cast<double>(songCount) / 2));
    QString note;
    if (carried.keptRows > 0 || carried.droppedRows > 0) {
        note = tr("重新分析：保留已选 %1 首，舍弃 %2 首")
                   .arg(NumberText::grouped(carried.keptRows),
                       NumberText::grouped(carried.droppedRows));
    }
    if (analysis->skippedLineCount() > 0)
        noteSkippedLines(note, std::move(analysis->skippedLines));
    else if (!note.isEmpty())
        emit noted(note);
}

void SearchFileCommands::noteSkippedLines(
    const QString &before, std::vector<std::uint32_t> lineNumbers)
{
    const QString report = skippedLinesReport(lineNumbers);
    // The lines are read from the analysed text when asked for: the message keeps no copy of a
    // file alive after another one replaced it.
    const auto showAll = [this, report, lines = std::move(lineNumbers),
                             analysed = std::weak_ptr(m_document->table())] {
        const std::shared_ptr<const SongTable> table = analysed.lock();
        if (!table) {
            m_controls.messageBar->dismiss();
            return;
        }
        SkippedLinesModel model(table->bytes(), table->encoding(), lines);
        SkippedLinesWindow window(&model, report, m_window);
        m_dialogs.showModal(window);
    };
    m_controls.messageBar->showMessage(MessageBar::Kind::Warning,
        before.isEmpty() ? report : before + tr("；") + report, { { tr("查看全部"), showAll } });
}
