#include "app/about_window.h"

#include "app/app_resources.h"
#include "ui/widgets/placed_layout.h"
#include "ui/widgets/window_frame.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>

const QUrl AboutWindow::makerPage(QStringLiteral("https://lanshan.example.org/"));

namespace {

QLabel *addLabel(PlacedLayout *layout, const char *name, const QString &text, QRect geometry,
    bool wordWrap = false)
{
    auto *label = new QLabel(text, layout->parentWidget());
    label->setObjectName(QString::fromUtf8(name));
    label->setWordWrap(wordWrap);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Lines taller than in the font the boxes were drawn for must not be cut off.
    if (!wordWrap)
        geometry.setHeight(std::max(geometry.height(), label->sizeHint().height()));
    layout->place(label, geometry);
    return label;
}

} // namespace

AboutWindow::AboutWindow(QWidget *parent, UrlOpener openUrl)
    : QDialog(parent)
    , m_openUrl(openUrl ? std::move(openUrl) : UrlOpener(&QDesktopServices::openUrl))
{
    loadAppResources();
    setObjectName(QStringLiteral("AboutWindow"));
    setWindowTitle(tr("关于"));
    auto *layout = new PlacedLayout(this, PlacedLayout::clientAreaOf(QSize(331, 335)));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // The notes fill their boxes to the brim; a point smaller than the window font keeps them in.
    QFont notesFont = font();
    notesFont.setPixelSize(11);
    setFont(notesFont);

    addLabel(layout, "标签1",
        tr("    本提示仅示在您第一次使用显示\n如以后查阅本提示请在程序上点击 关于\n\n"
           "               V1.1"),
        QRect(57, 15, 224, 56));
    addLabel(layout, "标签2",
        tr("注意：\n"
           "1.请确认所用文件是KTV系统8位编码的加歌搜歌文件，否则本程序可能无法正常工作！\n"
           "2.请正确选择歌曲文件目录，否则本程序将不是很好的支持预览功能！"),
        QRect(0, 68, 320, 68))
        ->setWordWrap(true);
    addLabel(layout, "标签3",
        tr("免责声明：如在使用本程序时出现任何问题与作者无关\n\n"
           "如有杀毒软件误报本程序为病毒，请放心使用或添加信任\n"
           "     作者声明本程序未添加任何恶意脚本与病毒\n\n"
           "支持操作系统：\n"
           "Windows 98    Windows 2000  Windows 2003\n"
           "Windows 2008  Windows XP    Windows 7"),
        QRect(0, 136, 320, 104));

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("图片框1"));
    layout->place(picture, QRect(280, 246, 41, 54));
    picture->setPixmap(QPixmap(QStringLiteral(":/lanshan/about.jpg"))
                           .scaled(picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    picture->setAccessibleName(tr("澜杉标志"));

    addLabel(layout, "标签4", tr("澜杉  ") + makerPage.toString(), QRect(3, 280, 216, 24));

    auto *openPage = new QPushButton(tr("打开网页"), this);
    openPage->setObjectName(QStringLiteral("按钮1"));
    layout->place(openPage, QRect(198, 279, 56, 24));
    // Enter closes the notice; the page opens only when the button itself is pressed.
    openPage->setAutoDefault(false);
    openPage->setShortcut(QKeySequence(Qt::ALT | Qt::Key_O));
    openPage->setToolTip(tr("打开网页（Alt+O）"));
    connect(openPage, &QPushButton::clicked, this, &AboutWindow::onOpenPageClicked);
}

void AboutWindow::showEvent(QShowEvent *event)
{
    centreOverParent(*this);
    QDialog::showEvent(event);
}

void AboutWindow::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void AboutWindow::onOpenPageClicked()
{
    m_openUrl(makerPage);
}
