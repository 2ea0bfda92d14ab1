#include "app/find_bar.h"

#include "app/status_line.h"
#include "app/suggestion_popup.h"
#include "ui/core/number_text.h"
#include "ui/widgets/accessibility.h"
#include "ui/widgets/placed_layout.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

#include <algorithm>

namespace {

using Rule = PlacedLayout::Rule;

constexpr int barHeight = 17;
constexpr int statusWidth = 241;
constexpr int mostLack = 112;

// Where the parts sit at the window's default width, the status widened by what its counts
// lack, which the find field gives up.
struct Parts
{
    QRect caption, field, filter, onlyTicked, status;
};
constexpr Parts partsAtDefaultWidth(int lacking)
{
    return { QRect(8, 0, 40, barHeight), QRect(48, 0, 170 - lacking, barHeight),
        QRect(222 - lacking, 0, 50, barHeight), QRect(276 - lacking, 0, 78, barHeight),
        QRect(356 - lacking, 0, statusWidth + lacking, barHeight) };
}

} // namespace

FindBar::FindBar(QWidget *parent)
    : QWidget(parent)
    , m_caption(new QLabel(tr("查找："), this))
    , m_field(new QLineEdit(this))
    , m_filterButton(new QToolButton(this))
    , m_onlyTicked(new QCheckBox(tr("只看已选"), this))
    , m_status(new StatusLine(this))
{
    setObjectName(QStringLiteral("查找栏"));
    m_field->setObjectName(QStringLiteral("查找"));
    m_field->setAccessibleName(tr("查找"));
    m_caption->setBuddy(m_field);
    m_filterButton->setObjectName(QStringLiteral("筛选"));
    m_filterButton->setText(tr("筛选"));
    m_filterButton->setAccessibleName(tr("筛选"));
    m_filterButton->setAccessibleDescription(
        tr("语种、类别、只看新歌、只看重复、已有歌曲、导入编码"));
    m_filterButton->setPopupMode(QToolButton::InstantPopup);
    m_filterButton->setFocusPolicy(Qt::StrongFocus);
    m_onlyTicked->setObjectName(QStringLiteral("只看已选"));
    m_status->setObjectName(QStringLiteral("查找状态"));
    // At the window's default width; a wider band spreads its parts, the status taking most.
    const Parts parts = partsAtDefaultWidth(0);
    m_layout = new PlacedLayout(this, QSize(601, barHeight));
    m_layout->place(m_caption, parts.caption);
    m_layout->place(m_field, parts.field, Rule().growsWide(0.25));
    m_layout->place(m_filterButton, parts.filter, Rule().movesRight(0.25));
    m_layout->place(m_onlyTicked, parts.onlyTicked, Rule().movesRight(0.25));
    m_layout->place(m_status, parts.status, Rule().movesRight(0.25).growsWide(0.75));

    m_field->installEventFilter(this);
    m_filterButton->installEventFilter(this);
    connect(m_field, &QLineEdit::textEdited, this, &FindBar::queryEdited);
    connect(m_onlyTicked, &QCheckBox::toggled, this, &FindBar::onlyTickedToggled);
}

void FindBar::showQuery(const QString &query)
{
    // Typing is shown already: setting it again would move the cursor.
    if (m_field->text() != query)
        m_field->setText(query);
}

void FindBar::setFilterMenu(QMenu *menu)
{
    m_filterButton->setMenu(menu);
}

void FindBar::setActiveFilterCount(int count)
{
    // Told at every change of ticks; a font change relays the button out.
    if (count == m_activeFilterCount)
        return;
    m_activeFilterCount = count;
    QFont font = m_filterButton->font();
    font.setBold(count > 0);
    m_filterButton->setFont(font);
    const QString state = count > 0 ? tr("%1 项筛选起作用").arg(count) : tr("没有筛选");
    m_filterButton->setToolTip(state);
    m_filterButton->setAccessibleName(
        count > 0 ? tr("筛选（%1 项起作用）").arg(count) : tr("筛选"));
}

void FindBar::setCounts(qsizetype shown, qsizetype songs, qsizetype ticked, const QString &more)
{
    const QString inWords = tr("显示 %1 / 共 %2 首　已选 %3 首")
                                .arg(NumberText::grouped(shown), NumberText::grouped(songs),
                                    NumberText::grouped(ticked))
        + more;
    // The same counts without their words, for a status too narrow for them.
    const QString shorter = tr("%1 / %2　已选 %3")
                                .arg(NumberText::grouped(shown), NumberText::grouped(songs),
                                    NumberText::grouped(ticked))
        + QString(more).remove(tr(" 首"));
    // The status has 241 pixels at the default width, the find field 170. Counts that need more
    // (a million songs and the venue's: up to 415 pixels) take it from the field, down to a third
    // of its width; counts still wider show in the shorter form, their words in the tooltip.
    const QFontMetrics metrics = m_status->fontMetrics();
    const int wordsLack = metrics.horizontalAdvance(inWords) + 2 - statusWidth;
    const int lack
        = wordsLack <= mostLack ? wordsLack : metrics.horizontalAdvance(shorter) + 2 - statusWidth;
    const Parts parts = partsAtDefaultWidth(std::clamp(lack, 0, mostLack));
    m_layout->setBase(m_field, parts.field);
    m_layout->setBase(m_filterButton, parts.filter);
    m_layout->setBase(m_onlyTicked, parts.onlyTicked);
    m_layout->setBase(m_status, parts.status);
    m_status->setCounts(inWords, shorter);
}

void FindBar::setSingerSuggestions(QAbstractItemModel *model, int role)
{
    m_suggestions = new SuggestionPopup(m_field, model, role);
    connect(m_suggestions, &SuggestionPopup::songsRequested, this, &FindBar::songsRequested);
    connect(m_suggestions, &SuggestionPopup::chosen, this, [this](const QString &singer) {
        emit queryEdited(QString());
        emit singerChosen(singer);
    });
}

void FindBar::focusField()
{
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    // A tool button opens its menu on Space only; Down and Enter open it as a menu button does,
    // and from the keyboard the menu starts on its first item.
    if (watched == m_filterButton) {
        if (key != Qt::Key_Space && key != Qt::Key_Down && key != Qt::Key_Return
            && key != Qt::Key_Enter)
            return QWidget::eventFilter(watched, event);
        if (QMenu *menu = m_filterButton->menu())
            selectFirstItemWhenShown(*menu);
        m_filterButton->showMenu();
        return true;
    }
    if (watched != m_field)
        return QWidget::eventFilter(watched, event);
    // Escape in the field clears it.
    if (key == Qt::Key_Escape && !m_field->text().isEmpty()) {
        m_field->clear();
        emit queryEdited(QString());
        return true;
    }
    if (key == Qt::Key_Down || key == Qt::Key_Return || key == Qt::Key_Enter) {
        emit songsRequested();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
