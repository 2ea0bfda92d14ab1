#include "app/window_growth.h"

void WindowGrowth::add(QWidget *control, Rule rule)
{
    if (control)
        m_entries.push_back({ control, control->geometry(), rule });
}

void WindowGrowth::apply(QSize extra) const
{
    const int width = std::max(extra.width(), 0);
    const int height = std::max(extra.height(), 0);
    const int upper = height / 2;
    const auto share = [&](Share part) {
        switch (part) {
        case Share::Upper:
            return upper;
        case Share::Lower:
            return height - upper;
        case Share::Both:
            return height;
        case Share::None:
            break;
        }
        return 0;
    };
    for (const Entry &entry : m_entries) {
        if (!entry.control)
            continue;
        QRect placed = entry.base;
        placed.translate(entry.rule.moveRight ? width : 0, share(entry.rule.moveDown));
        placed.setWidth(placed.width() + (entry.rule.growWide ? width : 0));
        placed.setHeight(placed.height() + share(entry.rule.growTall));
        entry.control->setGeometry(placed);
    }
}
