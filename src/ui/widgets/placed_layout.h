#pragma once

#include <QLayout>
#include <QPointer>
#include <QRect>

#include <memory>
#include <vector>

// Widgets at fixed rectangles for a window's base size, each moved or stretched by its rule when
// the window is larger. Rectangles are in the window's coordinates whatever group box a widget
// sits in, so a group and its contents are given the same kind of rule. The extra height is
// shared by the parts above a divider and those below it; moving the divider gives one the
// other's room. Each placed widget is an item of the layout, as Qt's layout machinery expects;
// placing one leaves it in its group box (QLayout::addWidget would make it the window's), and
// hidden ones are placed too, so they are in place when they show.
class PlacedLayout : public QLayout
{
    Q_OBJECT

public:
    // A part of the extra height: of the upper share, of the lower one, or of both.
    struct Shares
    {
        double upper = 0;
        double lower = 0;
    };
    static constexpr Shares upper { 1, 0 };
    static constexpr Shares lower { 0, 1 };
    static constexpr Shares both { 1, 1 };

    // Fractions of the extra room a widget moves or grows by: 0 stays, 1 follows the edge.
    // Built as Rule().growsWide(1).movesDown(upper).
    struct Rule
    {
        double moveRight = 0;
        double growWide = 0;
        Shares moveDown;
        Shares growTall;

        constexpr Rule movesRight(double part) const { return with(&Rule::moveRight, part); }
        constexpr Rule growsWide(double part) const { return with(&Rule::growWide, part); }
        constexpr Rule movesDown(Shares part) const { return with(&Rule::moveDown, part); }
        constexpr Rule growsTall(Shares part) const { return with(&Rule::growTall, part); }

    private:
        template <typename Field, typename Value>
        constexpr Rule with(Field Rule::*field, Value value) const
        {
            Rule changed = *this;
            changed.*field = value;
            return changed;
        }
    };

    // The window's client area at the base size, which is also its smallest size. A window of
    // fixed size sets the constraint QLayout::SetFixedSize.
    PlacedLayout(QWidget *window, QSize baseSize);
    ~PlacedLayout() override;

    // The client area of a window whose outer size, frame included, is given: a title bar of 27
    // pixels and borders of 2, the largest frame that still leaves room for every control.
    static constexpr QSize clientAreaOf(QSize outerSize) { return outerSize - QSize(4, 31); }

    // Puts a descendant of the window at its rectangle; one missing or outside the window is a
    // programming error.
    void place(QWidget *widget, const QRect &inWindow, Rule rule);
    // One that stays where it is.
    void place(QWidget *widget, const QRect &inWindow);
    // A new rectangle at the base size for a widget placed before, which keeps its rule.
    void setBase(QWidget *widget, const QRect &inWindow);
    // The part of the extra height that goes above the divider before it is moved; a half unless
    // set.
    void setUpperPart(double part);
    // Gives the upper parts this many more pixels of height (fewer when negative) than their
    // part of the extra height, as far as each stretched part keeps some room.
    void moveDivider(int pixels);

    // The window's size that every rectangle is given for.
    QSize baseSize() const { return m_baseSize; }
    QSize sizeHint() const override { return m_baseSize; }
    QSize minimumSize() const override { return m_baseSize; }
    void setGeometry(const QRect &rect) override;
    // An item added as to any layout (QLayout::addWidget) stays where it is at the base size.
    void addItem(QLayoutItem *item) override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    int count() const override { return int(m_entries.size()); }

private:
    struct Entry
    {
        std::unique_ptr<QLayoutItem> item;
        QPointer<QWidget> widget;
        QRect base;
        Rule rule;
    };
    void add(QLayoutItem *item, const QRect &inWindow, Rule rule);
    // How far the divider may go up (negative) or down before a stretched part gets too low.
    std::pair<int, int> dividerRange(int extraHeight) const;
    QRect placedInWindow(const Entry &entry, QSize extra, int upperShare) const;
    int upperShareOf(int extraHeight) const;

    QWidget *m_window;
    QSize m_baseSize;
    std::vector<Entry> m_entries;
    int m_dividerOffset = 0;
    double m_upperPart = 0.5;
};
