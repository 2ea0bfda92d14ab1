#include "ui/widgets/placed_layout.h"

#include <QHash>
#include <QWidget>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

namespace {

// What a stretched part keeps when the divider takes its room: a few lines of text.
constexpr int leastStretchedHeight = 48;

int shareOf(double fraction, int room)
{
    return static_cast<int>(std::lround(fraction * room));
}

} // namespace

PlacedLayout::PlacedLayout(QWidget *window, QSize baseSize)
    : QLayout(window)
    , m_window(window)
    , m_baseSize(baseSize)
{
    setContentsMargins(0, 0, 0, 0);
    window->resize(baseSize);
}

PlacedLayout::~PlacedLayout() = default;

void PlacedLayout::place(QWidget *widget, const QRect &inWindow, Rule rule)
{
    if (!widget || !m_window->isAncestorOf(widget))
        qFatal("PlacedLayout: a rule for a widget that is not in the window");
    add(new QWidgetItem(widget), inWindow, rule);
}

void PlacedLayout::add(QLayoutItem *item, const QRect &inWindow, Rule rule)
{
    m_entries.push_back({ std::unique_ptr<QLayoutItem>(item), item->widget(), inWindow, rule });
    invalidate();
    setGeometry(QRect(QPoint(0, 0), m_window->size()));
    // A hidden window's resizes are followed only once the layout is active.
    activate();
}

void PlacedLayout::place(QWidget *widget, const QRect &inWindow)
{
    place(widget, inWindow, Rule {});
}

void PlacedLayout::setBase(QWidget *widget, const QRect &inWindow)
{
    const auto entry = std::find_if(m_entries.begin(), m_entries.end(),
        [widget](const Entry &placed) { return placed.widget == widget; });
    if (entry == m_entries.end())
        qFatal("PlacedLayout: a new rectangle for a widget that was never placed");
    if (entry->base == inWindow)
        return;
    entry->base = inWindow;
    setGeometry(QRect(QPoint(0, 0), m_window->size()));
}

void PlacedLayout::addItem(QLayoutItem *item)
{
    QWidget *widget = item->widget();
    const QRect inWindow = widget
        ? QRect(widget->parentWidget()->mapTo(m_window, widget->pos()), widget->size())
        : QRect(QPoint(0, 0), item->sizeHint());
    add(item, inWindow, Rule {});
}

QLayoutItem *PlacedLayout::itemAt(int index) const
{
    return index >= 0 && index < count() ? m_entries[std::size_t(index)].item.get() : nullptr;
}

QLayoutItem *PlacedLayout::takeAt(int index)
{
    if (index < 0 || index >= count())
        return nullptr;
    QLayoutItem *item = m_entries[std::size_t(index)].item.release();
    m_entries.erase(m_entries.begin() + index);
    invalidate();
    return item;
}

std::pair<int, int> PlacedLayout::dividerRange(int extraHeight) const
{
    // Each side may give its share of the extra height and what its stretched parts have
    // beyond the least height; a side with none gives nothing.
    const int upperShare = upperShareOf(extraHeight);
    std::optional<int> upperRoom;
    std::optional<int> lowerRoom;
    for (const Entry &entry : m_entries) {
        const int spare = std::max(entry.base.height() - leastStretchedHeight, 0);
        if (entry.rule.growTall.upper > 0)
            upperRoom = std::min(upperRoom.value_or(INT_MAX), upperShare + spare);
        if (entry.rule.growTall.lower > 0)
            lowerRoom = std::min(lowerRoom.value_or(INT_MAX), extraHeight - upperShare + spare);
    }
    return { -upperRoom.value_or(0), lowerRoom.value_or(0) };
}

void PlacedLayout::setUpperPart(double part)
{
    m_upperPart = std::clamp(part, 0.0, 1.0);
    setGeometry(QRect(QPoint(0, 0), m_window->size()));
}

int PlacedLayout::upperShareOf(int extraHeight) const
{
    return shareOf(m_upperPart, extraHeight);
}

void PlacedLayout::moveDivider(int pixels)
{
    const int extraHeight = std::max(m_window->height() - m_baseSize.height(), 0);
    const auto [least, most] = dividerRange(extraHeight);
    m_dividerOffset = std::clamp(m_dividerOffset + pixels, least, most);
    setGeometry(QRect(QPoint(0, 0), m_window->size()));
}

QRect PlacedLayout::placedInWindow(const Entry &entry, QSize extra, int upperShare) const
{
    const int lowerShare = extra.height() - upperShare;
    const auto height = [&](Shares shares) {
        return shareOf(shares.upper, upperShare) + shareOf(shares.lower, lowerShare);
    };
    const Rule &rule = entry.rule;
    QRect placed
        = entry.base.translated(shareOf(rule.moveRight, extra.width()), height(rule.moveDown));
    placed.setWidth(placed.width() + shareOf(rule.growWide, extra.width()));
    placed.setHeight(placed.height() + height(rule.growTall));
    return placed;
}

void PlacedLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    const QSize extra = (rect.size() - m_baseSize).expandedTo(QSize(0, 0));
    const auto [least, most] = dividerRange(extra.height());
    const int upperShare = upperShareOf(extra.height()) + std::clamp(m_dividerOffset, least, most);

    // Parents come before their contents, whose rectangles are in the window's coordinates.
    QHash<const QWidget *, QRect> placed;
    for (const Entry &entry : m_entries) {
        const QRect inWindow = placedInWindow(entry, extra, upperShare);
        if (!entry.widget) {
            if (!entry.item->widget())
                entry.item->setGeometry(inWindow); // a spacer or a layout
            continue; // else the window is being taken down
        }
        placed.insert(entry.widget, inWindow);
        const QWidget *parent = entry.widget->parentWidget();
        const QPoint parentOffset = parent == m_window ? QPoint(0, 0)
            : placed.contains(parent)                  ? placed.value(parent).topLeft()
                                                       : parent->mapTo(m_window, QPoint(0, 0));
        entry.widget->setGeometry(inWindow.translated(-parentOffset));
    }
}
