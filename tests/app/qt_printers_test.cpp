#include <gtest/gtest.h>

#include "qt_printers.h"

namespace {

TEST(QtPrinters, ShowQtStringsAsText)
{
    EXPECT_EQ(testing::PrintToString(QStringLiteral("保存失败")), "\"保存失败\"");
    EXPECT_EQ(testing::PrintToString(QStringList{"a", QStringLiteral("录制")}), "{ \"a\", \"录制\" }");
    EXPECT_EQ(testing::PrintToString(QStringList{}), "{}");
    EXPECT_EQ(testing::PrintToString(QByteArray("LOGMOUSEPOS:1:2\n")), "\"LOGMOUSEPOS:1:2\n\"");
}

}  // namespace
