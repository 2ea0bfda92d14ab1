#include "preview/player_window.h"

#include "preview/media_path_resolver.h"
#include "ui/accessibility.h"
#include "ui/placed_layout.h"

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
    exposeAsWindow(*this);
    // The player keeps its margin to the window as it grows; the path line sits below it and the
    // singer and the code at its right end.
    const QSize base = PlacedLayout::clientAreaOf(outerSize);
    auto *layout = new PlacedLayout(this, base);
    const QSize view = base - playerMargin;
    layout->place(m_view, QRect(QPoint(0, 0), view),
        PlacedLayout::Rule().growsWide(1).growsTall(PlacedLayout::both));
    const int lineTop = view.height() + 2;
    const int lineHeight = playerMargin.height() - 4;
    const int songLeft = base.width() * 3 / 5;
    layout->place(m_pathLine, QRect(4, lineTop, songLeft - 12, lineHeight),
        PlacedLayout::Rule().growsWide(1).movesDown(PlacedLayout::both));
    layout->place(m_songLine, QRect(songLeft, lineTop, base.width() - 4 - songLeft, lineHeight),
        PlacedLayout::Rule().movesRight(1).movesDown(PlacedLayout::both));
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
