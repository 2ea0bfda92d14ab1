#include "app/filter_chips.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// The chips of three filters, and an owner that drops a filter when its chip asks.
class FilterChipsTest : public testing::Test
{
protected:
    FilterChipsTest()
    {
        auto *layout = new QVBoxLayout(&m_window);
        layout->addWidget(m_field);
        layout->addWidget(m_chips);
        m_window.resize(601, 80);
        QObject::connect(m_chips, &FilterChips::removeRequested, [this](const QString &key) {
            m_removed << key;
            std::erase_if(
                m_inForce, [&key](const FilterChips::Chip &chip) { return chip.key == key; });
            m_chips->setChips(m_inForce);
        });
        m_chips->setChips(m_inForce);
    }

    bool showActive()
    {
        m_window.show();
        m_window.activateWindow();
        return QTest::qWaitForWindowActive(&m_window);
    }

    FilterChip *chip(const QString &key) const
    {
        for (FilterChip *chip : m_chips->chips())
            if (chip->key() == key)
                return chip;
        return nullptr;
    }

    QWidget m_window;
    QLineEdit *m_field = new QLineEdit(&m_window);
    FilterChips *m_chips = new FilterChips(&m_window);
    std::vector<FilterChips::Chip> m_inForce { { u"language"_qs, u"语种：粵語"_qs },
        { u"new"_qs, u"只看新歌"_qs }, { u"category"_qs, u"类别：流行"_qs } };
    QStringList m_removed;
};

} // namespace

TEST_F(FilterChipsTest, AClickOrSpaceEnterOrDeleteRemovesTheFilterAndTheFocusStaysOnTheChips)
{
    ASSERT_TRUE(showActive());
    ASSERT_EQ(m_chips->chips().size(), 3);
    EXPECT_EQ(m_chips->chips()[0]->shownText(), u"语种：粵語"_qs);

    // A click on the cross.
    FilterChip *category = chip(u"category"_qs);
    QTest::mouseClick(
        category, Qt::LeftButton, {}, QPoint(category->width() - 8, category->height() / 2));
    EXPECT_EQ(m_removed, QStringList { u"category"_qs });
    ASSERT_EQ(m_chips->chips().size(), 2);

    // Delete on the first chip: the focus moves to the chip that takes its place.
    FilterChip *language = chip(u"language"_qs);
    language->setFocus(Qt::TabFocusReason);
    QTest::keyClick(language, Qt::Key_Delete);
    EXPECT_EQ(m_removed, (QStringList { u"category"_qs, u"language"_qs }));
    ASSERT_EQ(m_chips->chips().size(), 1);
    FilterChip *newSongs = chip(u"new"_qs);
    EXPECT_TRUE(newSongs->hasFocus());

    // Enter, then Space, on chips that come back.
    m_inForce = { { u"new"_qs, u"只看新歌"_qs }, { u"language"_qs, u"语种：國語"_qs } };
    m_chips->setChips(m_inForce);
    EXPECT_EQ(chip(u"new"_qs), newSongs) << "a chip that stays is kept, with its focus";
    EXPECT_TRUE(newSongs->hasFocus());
    EXPECT_EQ(chip(u"language"_qs)->label(), u"语种：國語"_qs);
    QTest::keyClick(newSongs, Qt::Key_Return);
    EXPECT_TRUE(chip(u"language"_qs)->hasFocus()) << "the last chip left takes the focus";
    QTest::keyClick(chip(u"language"_qs), Qt::Key_Space);
    EXPECT_EQ(
        m_removed, (QStringList { u"category"_qs, u"language"_qs, u"new"_qs, u"language"_qs }));
    EXPECT_TRUE(m_chips->chips().isEmpty());
    EXPECT_FALSE(m_chips->isAncestorOf(QApplication::focusWidget()))
        << "the focus goes on along the chain";

    // Other keys do nothing.
    m_chips->setChips({ { u"dup"_qs, u"只看重复"_qs } });
    chip(u"dup"_qs)->setFocus();
    QTest::keyClick(chip(u"dup"_qs), Qt::Key_A);
    QTest::keyClick(chip(u"dup"_qs), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(m_removed.size(), 4);
}

TEST_F(FilterChipsTest, ScreenReadersHearWhatEachChipShowsAndHowToRemoveIt)
{
    ASSERT_TRUE(showActive());
    for (FilterChip *shown : m_chips->chips()) {
        QAccessibleInterface *forReaders = QAccessible::queryAccessibleInterface(shown);
        ASSERT_NE(forReaders, nullptr);
        EXPECT_EQ(forReaders->role(), QAccessible::Button);
        EXPECT_EQ(forReaders->text(QAccessible::Name), shown->label());
        EXPECT_TRUE(forReaders->text(QAccessible::Description).contains(u"移除"_qs));
        EXPECT_TRUE(forReaders->state().focusable);
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(chip(u"new"_qs))->text(QAccessible::Name),
        u"只看新歌"_qs);
}

TEST_F(FilterChipsTest, ChipsWrapOntoMoreRowsAndALongOneIsElidedWithItsWholeTextInTheTooltip)
{
    ASSERT_TRUE(showActive());
    const int oneRow = m_chips->heightForWidth(601);
    EXPECT_GT(oneRow, 0);
    EXPECT_EQ(m_chips->heightForWidth(4000), oneRow);
    EXPECT_EQ(FilterChips().heightForWidth(601), 0) << "no chips take no room";

    // Narrower than the three together: they wrap, each whole.
    const int threeWide = m_chips->sizeHint().width();
    QSignalSpy heightChanges(m_chips, &FilterChips::heightChanged);
    m_chips->setFixedWidth(threeWide * 2 / 3);
    EXPECT_GT(m_chips->heightForWidth(m_chips->width()), oneRow);
    EXPECT_GE(heightChanges.count(), 1);
    for (FilterChip *shown : m_chips->chips()) {
        EXPECT_EQ(shown->shownText(), shown->label());
        EXPECT_LE(shown->geometry().right(), m_chips->width());
    }

    // A value longer than the row.
    const QString singer = u"歌手："_qs + QString(u"很长的歌手名字"_qs).repeated(20);
    m_inForce = { { u"singer"_qs, singer } };
    m_chips->setChips(m_inForce);
    FilterChip *cut = chip(u"singer"_qs);
    EXPECT_LE(cut->geometry().right(), m_chips->width());
    EXPECT_NE(cut->shownText(), singer);
    EXPECT_TRUE(cut->shownText().startsWith(u"歌手："_qs));
    EXPECT_TRUE(cut->shownText().contains(u"…"_qs));
    EXPECT_TRUE(cut->toolTip().contains(singer));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(cut)->text(QAccessible::Name), singer);
}
