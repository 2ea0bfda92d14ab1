#include "preview/player_window.h"

#include "preview/media_path_resolver.h"
#include "ui/widgets/accessibility.h"
#include "ui/widgets/placed_layout.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QShortcut>

#include <algorithm>

namespace {

constexpr QSize outerSize(500, 417);
// Drawn at 0,0 in the whole window: what it leaves beside and below holds the path line.
constexpr QSize playerMargin = outerSize - QSize(496, 384);

QString withoutLineBreak(QString text)
{
    while (text.endsWith(u'\n') || text.endsWith(u'\r'))
        text.chop(1);
    return text;
}

} // namespace

PlayerWindow::PlayerWindow(PlaybackEngine &engine, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_view(new PlayerView(engine, this))
    , m_pathLine(new QLabel(this))
    , m_songLine(new QLabel(this))
{
    setObjectName(u"PlayerWindow"_qs);
    m_view->setObjectName(u"播放器1"_qs);
    m_pathLine->setObjectName(u"媒体路径"_qs);
    m_pathLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pathLine->setAccessibleDescription(tr("媒体文件路径"));
    m_songLine->setObjectName(u"歌曲信息"_qs);
    m_songLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_songLine->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Said after the name, in place of the tooltip that repeats it.
    m_songLine->setAccessibleDescription(tr("歌手与编码"));
    exposeAsWindow(*this);
    // The player keeps its margin to the window as it grows; the path line sits below it and the
    // singer and the code at its right end (placed for their text by placeLines).
    m_layout = new PlacedLayout(this, PlacedLayout::clientAreaOf(outerSize));
    m_layout->place(m_view, QRect(QPoint(0, 0), m_layout->baseSize() - playerMargin),
        PlacedLayout::Rule().growsWide(1).growsTall(PlacedLayout::both));
    m_layout->place(
        m_pathLine, {}, PlacedLayout::Rule().growsWide(1).movesDown(PlacedLayout::both));
    m_layout->place(
        m_songLine, {}, PlacedLayout::Rule().movesRight(1).movesDown(PlacedLayout::both));
    placeLines();
    new QShortcut(QKeySequence::Cancel, this, this, &QWidget::close);
}

void PlayerWindow::play(
    const QString &address, const QString &songName, const QString &singer, const QString &code)
{
    m_requestedAddress = address;
    setWindowTitle(tr("正在预览  ") + withoutLineBreak(songName));
    QStringList song;
    if (!withoutLineBreak(singer).isEmpty())
        song << tr("歌手：%1").arg(withoutLineBreak(singer));
    if (!withoutLineBreak(code).isEmpty())
        song << tr("编码：%1").arg(withoutLineBreak(code));
    m_songLine->setText(song.join(u"　"_qs));
    m_songLine->setAccessibleName(m_songLine->text());
    m_songLine->setToolTip(m_songLine->text());
    placeLines();
    m_resolvedPath = MediaPathResolver::resolve(address);
    if (!m_resolvedPath.isEmpty()) {
        showPath(QDir::toNativeSeparators(m_resolvedPath));
        m_view->playFile(m_resolvedPath);
        return;
    }
    QString text = tr("找不到要预览的歌曲文件：\n%1").arg(address);
    const QString separated = MediaPathResolver::withPlatformSeparators(address);
    if (separated != address)
        text += tr("\n\n也找过 %1，且不区分大小写。").arg(separated);
    showPath(address);
    m_view->showNotFound(text);
}

void PlayerWindow::closeEvent(QCloseEvent *event)
{
    m_view->stop();
    event->accept();
}

void PlayerWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    showElidedPath();
}

void PlayerWindow::placeLines()
{
    // The singer and the code take the room their text needs, up to half the line; the path the
    // rest, and all that a larger window adds.
    const QSize base = m_layout->baseSize();
    const int top = base.height() - playerMargin.height() + 2;
    const int height = playerMargin.height() - 4;
    const int songWidth = m_songLine->text().isEmpty()
        ? 0
        : std::min(m_songLine->fontMetrics().horizontalAdvance(m_songLine->text()) + 2,
            (base.width() - 8) / 2);
    m_layout->setBase(m_songLine, QRect(base.width() - 4 - songWidth, top, songWidth, height));
    m_layout->setBase(
        m_pathLine, QRect(4, top, base.width() - 8 - songWidth - (songWidth > 0 ? 12 : 0), height));
    showElidedPath();
}

void PlayerWindow::showElidedPath()
{
    // Cut in the middle, so both the folder and the file name stay in sight.
    m_pathLine->setText(m_pathLine->fontMetrics().elidedText(
        m_path, Qt::ElideMiddle, std::max(0, m_pathLine->width() - 2)));
}

void PlayerWindow::showPath(const QString &path)
{
    m_path = path;
    m_pathLine->setToolTip(path);
    m_pathLine->setAccessibleName(path);
    showElidedPath();
}
