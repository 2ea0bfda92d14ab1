#pragma once

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <vector>

// Controls placed for the window's default size keep their places when it grows, each moved or
// stretched by a share of the extra room: the upper share goes to the source view, the lower
// one to the song table, and what sits below them moves down by both.
class WindowGrowth
{
public:
    enum class Share { None, Upper, Lower, Both };
    struct Rule
    {
        bool moveRight = false;
        bool growWide = false;
        Share moveDown = Share::None;
        Share growTall = Share::None;
    };

    // Takes the control's present geometry (relative to its parent) as its default.
    void add(QWidget *control, Rule rule);
    // Places every control for this much room beyond the default size.
    void apply(QSize extra) const;

private:
    struct Entry
    {
        QPointer<QWidget> control;
        QRect base;
        Rule rule;
    };
    std::vector<Entry> m_entries;
};
