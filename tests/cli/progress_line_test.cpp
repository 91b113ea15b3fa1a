// The progress line redraws in place: a shorter text blanks what the longer one left, and
// clearing leaves the cursor at the start of an empty line.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/progress_line.h"

namespace {

std::string contents(std::FILE* file)
{
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += static_cast<char>(c);
    return text;
}

TEST(ProgressLine, RedrawsInPlaceAndClearsOnce)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        ProgressLine line(file);
        line.show("pass 1 of 2");
        line.show("pass 2");
        line.show("pass 2 of 2");
        line.show("pass 2 of 2");
        line.clear();
        line.clear();
    }
    EXPECT_EQ(contents(file), "\rpass 1 of 2\rpass 2     \rpass 2 of 2\r           \r");

    std::FILE* untouched = std::tmpfile();
    { ProgressLine nothingShown(untouched); }
    EXPECT_EQ(contents(untouched), "");
    std::fclose(file);
    std::fclose(untouched);
}

}  // namespace
