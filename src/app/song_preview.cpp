#include "app/song_preview.h"

#include "preview/player_window.h"
#include "preview/song_dir_window.h"
#include "ui/core/native_path.h"
#include "ui/widgets/dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>

SongPreview::SongPreview(
    Dialogs &dialogs, QWidget *window, EngineSource engine, QLabel *folderLabel)
    : QObject(window)
    , m_dialogs(dialogs)
    , m_window(window)
    , m_engine(std::move(engine))
    , m_folderLabel(folderLabel)
{
}

SongPreview::~SongPreview()
{
    if (m_player)
        m_player->close();
}

void SongPreview::showFolder(const QString &text)
{
    // A path longer than its label still shows whole in the tooltip.
    m_folderLabel->setText(text);
    m_folderLabel->setToolTip(text);
}

void SongPreview::followSearchFile(const QString &path, bool empty)
{
    m_folder = empty ? QString() : folderWithSeparator(QFileInfo(path).absolutePath());
    showFolder(empty ? QDir::toNativeSeparators(path) : m_folder);
}

void SongPreview::chooseFolder()
{
    SongDirWindow chooser(QDir::currentPath(), m_window);
    if (m_dialogs.showModal(chooser) == QDialog::Accepted) {
        m_folder = chooser.chosenFolder();
        showFolder(m_folder);
    }
}

void SongPreview::play(const SongTable &table, qsizetype row)
{
    if (!m_player) {
        m_player = new PlayerWindow(m_engine(), m_window);
        m_player->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_player->show();
    m_player->raise();
    // Escape then closes it, and a screen reader follows it.
    m_player->activateWindow();
    m_player->play(m_folder + table.text(row, SongColumn::FilePath),
        table.text(row, SongColumn::Name), table.text(row, SongColumn::Singer),
        table.text(row, SongColumn::Code));
}
