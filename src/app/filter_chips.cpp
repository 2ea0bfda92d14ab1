#include "app/filter_chips.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace {

constexpr int padding = 6;
constexpr int gap = 4;
const QString cross = QStringLiteral("✕");

} // namespace

FilterChip::FilterChip(QString key, const QString &text, QWidget *parent)
    : QAbstractButton(parent)
    , m_key(std::move(key))
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleDescription(tr("按空格、回车或删除键移除此筛选"));
    setLabel(text);
}

void FilterChip::setLabel(const QString &text)
{
    m_label = text;
    setText(text);
    setAccessibleName(text);
    updateToolTip();
    updateGeometry();
    update();
}

void FilterChip::updateToolTip()
{
    // A cut chip shows its whole text in the tooltip.
    setToolTip(shownText() == m_label ? tr("移除此筛选") : tr("%1\n点击移除此筛选").arg(m_label));
}

int FilterChip::textRoom() const
{
    return width() - 3 * padding - fontMetrics().horizontalAdvance(cross);
}

QString FilterChip::shownText() const
{
    return fontMetrics().elidedText(m_label, Qt::ElideMiddle, textRoom());
}

QSize FilterChip::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    return { metrics.horizontalAdvance(m_label) + metrics.horizontalAdvance(cross) + 3 * padding,
        metrics.height() + 4 };
}

QSize FilterChip::minimumSizeHint() const
{
    // Room for a character and the ellipsis.
    const QFontMetrics metrics = fontMetrics();
    return { metrics.horizontalAdvance(u"语…"_qs) + metrics.horizontalAdvance(cross) + 3 * padding,
        sizeHint().height() };
}

void FilterChip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette &colours = palette();
    const bool lit = isDown() || underMouse();
    painter.setPen(QPen(colours.color(hasFocus() ? QPalette::Highlight : QPalette::Mid), 1));
    painter.setBrush(colours.color(lit ? QPalette::Midlight : QPalette::Button));
    const QRectF outline = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.drawRoundedRect(outline, outline.height() / 2, outline.height() / 2);
    painter.setPen(colours.color(QPalette::ButtonText));
    const QRect inside = rect().adjusted(padding, 0, -padding, 0);
    painter.drawText(inside, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shownText());
    painter.drawText(inside, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, cross);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void FilterChip::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            click();
            return;
        }
        break;
    default:
        break;
    }
    // Space clicks, as on every button.
    QAbstractButton::keyPressEvent(event);
}

void FilterChip::resizeEvent(QResizeEvent *event)
{
    QAbstractButton::resizeEvent(event);
    updateToolTip();
}

FilterChips::FilterChips(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("筛选条件"));
    setAccessibleName(tr("起作用的筛选"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void FilterChips::setChips(const std::vector<Chip> &chips)
{
    const auto focused = std::find_if(
        m_chips.begin(), m_chips.end(), [](const FilterChip *chip) { return chip->hasFocus(); });
    FilterChip *const focusedChip = focused == m_chips.end() ? nullptr : *focused;
    const qsizetype focusedIndex = focused - m_chips.begin();

    QList<FilterChip *> kept;
    for (const Chip &wanted : chips) {
        const auto same = std::find_if(m_chips.begin(), m_chips.end(),
            [&wanted](const FilterChip *chip) { return chip->key() == wanted.key; });
        FilterChip *chip = nullptr;
        if (same != m_chips.end()) {
            chip = *same;
            m_chips.erase(same);
            chip->setLabel(wanted.text);
        } else {
            chip = new FilterChip(wanted.key, wanted.text, this);
            connect(chip, &FilterChip::clicked, this,
                [this, chip] { emit removeRequested(chip->key()); });
        }
        kept << chip;
    }
    const bool focusLeaves = focusedChip && !kept.contains(focusedChip);
    const QList<FilterChip *> gone = m_chips;
    m_chips = kept;
    // Tab visits the chips in the order they show.
    for (qsizetype index = 1; index < m_chips.size(); ++index)
        setTabOrder(m_chips[index - 1], m_chips[index]);
    flow(width(), true);
    for (FilterChip *chip : m_chips)
        chip->show();
    if (focusLeaves && !m_chips.isEmpty())
        m_chips[std::min(focusedIndex, m_chips.size() - 1)]->setFocus(Qt::OtherFocusReason);
    // Hidden first, so a chip that had the focus hands it on along the focus chain.
    for (FilterChip *chip : gone) {
        chip->hide();
        chip->deleteLater();
    }
    updateGeometry();
    reportHeight();
}

void FilterChips::reportHeight()
{
    const int height = heightForWidth(width());
    if (height != m_lastHeight) {
        m_lastHeight = height;
        emit heightChanged();
    }
}

int FilterChips::flow(int width, bool place) const
{
    int x = 0;
    int y = 0;
    int lineHeight = 0;
    for (FilterChip *chip : m_chips) {
        const QSize hint = chip->sizeHint();
        const int chipWidth
            = std::min(hint.width(), std::max(width, chip->minimumSizeHint().width()));
        if (x > 0 && x + chipWidth > width) {
            x = 0;
            y += lineHeight + gap;
            lineHeight = 0;
        }
        if (place)
            chip->setGeometry(x, y, chipWidth, hint.height());
        x += chipWidth + gap;
        lineHeight = std::max(lineHeight, hint.height());
    }
    return m_chips.isEmpty() ? 0 : y + lineHeight;
}

int FilterChips::heightForWidth(int width) const
{
    return flow(width, false);
}

QSize FilterChips::sizeHint() const
{
    int width = 0;
    for (const FilterChip *chip : m_chips)
        width += chip->sizeHint().width() + gap;
    return { std::max(width - gap, 0), heightForWidth(std::max(width, 1)) };
}

QSize FilterChips::minimumSizeHint() const
{
    return { 0, 0 };
}

void FilterChips::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    flow(width(), true);
    reportHeight();
}
