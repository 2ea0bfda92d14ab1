#include "ui/dialogs.h"

#include <gtest/gtest.h>

TEST(FileDialogFilter, PairsBecomeQtFilters)
{
    EXPECT_EQ(toQtFileFilter(u"文本文档(*.txt)|*.txt"_qs), u"文本文档(*.txt)"_qs);
    EXPECT_EQ(toQtFileFilter(u"工作簿|*.xlsx|所有文件|*"_qs), u"工作簿 (*.xlsx);;所有文件 (*)"_qs);
}
