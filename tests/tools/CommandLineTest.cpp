#include "tools/plughost/CommandLine.h"

#include "TempPath.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

using plughost::CommandLine;

TEST(CommandLine, OptionsTakeValuesInBothSpellingsAndRepeat) {
    CommandLine line({{"rate", true}, {"set", true}, {"double", false}});
    std::string error;
    ASSERT_TRUE(
        line.parse({"plug.so", "--rate", "44100", "--set=A=1", "--double", "--set", "B=2"}, &error))
        << error;
    ASSERT_EQ(line.positionals().size(), 1u);
    EXPECT_EQ(line.value("rate"), "44100");
    EXPECT_TRUE(line.has("double"));
    EXPECT_EQ(line.values("set"), (std::vector<std::string>{"A=1", "B=2"}));
    double rate = 0;
    EXPECT_TRUE(line.number("rate", 1000, 200000, rate, &error));
    EXPECT_DOUBLE_EQ(rate, 44100);
}

TEST(CommandLine, MistakesAreRefusedWithTheOptionNamed) {
    CommandLine line({{"rate", true}, {"double", false}});
    std::string error;
    EXPECT_FALSE(line.parse({"--bogus"}, &error));
    EXPECT_NE(error.find("--bogus"), std::string::npos);
    EXPECT_FALSE(line.parse({"--rate"}, &error));
    EXPECT_FALSE(line.parse({"--double=1"}, &error));
    ASSERT_TRUE(line.parse({"--rate", "fast"}, &error));
    double rate = 1;
    EXPECT_FALSE(line.number("rate", 1, 10, rate, &error));
    EXPECT_NE(error.find("fast"), std::string::npos);
    ASSERT_TRUE(line.parse({"--rate", "11"}, &error));
    EXPECT_FALSE(line.number("rate", 1, 10, rate, &error));
    EXPECT_DOUBLE_EQ(rate, 1) << "left alone on failure";
}

TEST(CommandLine, ArgumentFilesInsertTheirWordsAndSkipComments) {
    const std::string path = faketest::tempPath("plughost_args.txt");
    {
        std::ofstream f(path);
        f << "# settings\n--set A=1 --set B=2\n\n  # indented comment\n--rate 96000\n";
    }
    CommandLine line({{"rate", true}, {"set", true}});
    std::string error;
    ASSERT_TRUE(line.parse({"x.so", "@" + path, "--set", "C=3"}, &error)) << error;
    EXPECT_EQ(line.values("set"), (std::vector<std::string>{"A=1", "B=2", "C=3"}));
    EXPECT_EQ(line.value("rate"), "96000");
    EXPECT_FALSE(line.parse({"@/nonexistent/args"}, &error));
    std::remove(path.c_str());
}
