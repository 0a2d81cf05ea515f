#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "app/first_argument.h"

namespace {

const char* NONE = "(none)";

std::string parse(const std::string& line)
{
    reset_first_argument();
    const char* cursor = line.c_str();
    char* argument = first_argument(&cursor);
    return argument ? std::string(argument) : NONE;
}

TEST(FirstArgument, CommandLines)
{
    struct Case { std::string line; std::string expected; };
    const Case cases[] = {
        {"", NONE},
        {"    ", NONE},
        {"   a.png", "a.png"},
        {"a.png b.png", "a.png"},
        {"\"D:\\My Files\\a.png\" b.png", "D:\\My Files\\a.png"},
        {"\"a.png\"b.png", "a.png"},
        {"D:\\My\" \"Files\\a.png", "D:\\My "},
        {"\"\" a.png", "a.png"},
        {"\"\"", NONE},
        {"\"D:\\My Files\\a.png", NONE},
        {"a.png\"", NONE},
        {"a.png\tb.png", "a.png\tb.png"},
        {"\" \" a.png", " a.png"},
        {std::string(300, 'x'), std::string(260, 'x')},
        {"\"C:\\\x95\x5C\\a.png\"", "C:\\\x95\x5C\\a.png"},  // 5C as a trail byte passes through
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, parse(c.line)) << "command line: [" << c.line << "]";
    }
}

TEST(FirstArgument, IteratesAndStopsForGoodAtTheEnd)
{
    reset_first_argument();
    std::string line = "a.png  \"b c\"d";
    const char* cursor = line.c_str();
    EXPECT_STREQ("a.png", first_argument(&cursor));
    EXPECT_EQ(line.c_str() + 6, cursor);  // one past the space that ended it
    EXPECT_STREQ("b c", first_argument(&cursor));
    EXPECT_STREQ("d", first_argument(&cursor));
    const char* at_end = cursor;
    EXPECT_EQ(nullptr, first_argument(&cursor));
    EXPECT_EQ(at_end, cursor);
    // Once the end was read, nothing more is read, whatever the cursor points at.
    const char* other = "x.png";
    EXPECT_EQ(nullptr, first_argument(&other));
    EXPECT_STREQ("x.png", other);
}

TEST(FirstArgument, LongArgumentIsCutAndTerminated)
{
    reset_first_argument();
    std::string line = std::string(300, 'y') + " z";
    const char* cursor = line.c_str();
    char* argument = first_argument(&cursor);
    ASSERT_NE(nullptr, argument);
    EXPECT_EQ(260u, strlen(argument));
    EXPECT_EQ(line.c_str() + 260, cursor);
    // The rest of the long word is the next argument.
    EXPECT_EQ(std::string(40, 'y'), first_argument(&cursor));
}

}  // namespace
