#include "app/skipped_lines_window.h"

#include "songs/skipped_lines.h"
#include "ui/widgets/accessibility.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

SkippedLinesWindow::SkippedLinesWindow(
    SkippedLinesModel *lines, const QString &report, QWidget *parent)
    : QDialog(parent)
    , m_lines(lines)
    , m_list(new QListView(this))
    , m_copyButton(new QPushButton(tr("复制全部"), this))
{
    setObjectName(QStringLiteral("SkippedLinesWindow"));
    setWindowTitle(tr("不完整的歌曲记录"));
    exposeAsWindow(*this);
    auto *heading = new QLabel(report, this);
    heading->setWordWrap(true);
    m_list->setObjectName(QStringLiteral("不完整的行"));
    m_list->setAccessibleName(tr("不完整的行"));
    // One height a line, so a list of a million lines shows at once.
    m_list->setUniformItemSizes(true);
    m_list->setModel(lines);
    heading->setBuddy(m_list);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(m_copyButton, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_copyButton, &QPushButton::clicked, this,
        [this] { QGuiApplication::clipboard()->setText(m_lines->allText()); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(560, 400);
}
