#include <sstream>

#include <gtest/gtest.h>

#include "ResourceNames.h"
#include "ScenarioScript.h"
#include "framework/Types.h"
#include "res/resource.h"

namespace {

std::vector<ScenarioStep> Parse(const std::string& text) {
    std::istringstream input(text);
    return ParseScenario(input);
}

TEST(ScenarioScriptTest, SplitsWordsQuotesAndComments) {
    auto steps = Parse(
        "# a comment line\r\n"
        "\n"
        "  TYPE IDC_LABEL_EDIT \"Copy \"\"A\"\" \\n\" C:\\BOOT.INI  # trailing comment\n"
        "answer OK \"\"\n");
    ASSERT_EQ(2u, steps.size());
    EXPECT_EQ(3, steps[0].line);
    EXPECT_EQ("type", steps[0].command);
    ASSERT_EQ(3u, steps[0].words.size());
    EXPECT_EQ("IDC_LABEL_EDIT", steps[0].words[0].text);
    EXPECT_FALSE(steps[0].words[0].quoted);
    EXPECT_EQ("Copy \"A\" \\n", steps[0].words[1].text);  // quoted words are literal
    EXPECT_TRUE(steps[0].words[1].quoted);
    EXPECT_EQ("C:\\BOOT.INI", steps[0].words[2].text);
    ASSERT_EQ(2u, steps[1].words.size());
    EXPECT_EQ("", steps[1].words[1].text);
    EXPECT_TRUE(steps[1].words[1].quoted);
}

TEST(ScenarioScriptTest, DialogBlocksNest) {
    auto steps = Parse(
        "dialog IDD_BOOTEDIT_DIALOG\n"
        "  click IDC_DEBUG\n"
        "  dialog IDD_ABOUTBOX\n"
        "    ok\n"
        "  end\n"
        "  syscommand ID_SYSMENU_ABOUT\n"
        "end\n"
        "run\n");
    ASSERT_EQ(2u, steps.size());
    ASSERT_EQ(3u, steps[0].block.size());
    EXPECT_EQ("dialog", steps[0].block[1].command);
    ASSERT_EQ(1u, steps[0].block[1].block.size());
    EXPECT_EQ("ok", steps[0].block[1].block[0].command);
    EXPECT_EQ("syscommand", steps[0].block[2].command);
    EXPECT_EQ("run", steps[1].command);
}

TEST(ScenarioScriptTest, RefusesMalformedScripts) {
    const struct {
        const char* text;
        int line;
    } cases[] = {
        {"type IDC_LABEL_EDIT \"open\n", 1},
        {"run\ntype IDC_LABEL_EDIT \"a\"b\n", 2},
        {"end\n", 1},
        {"dialog IDD_WARNUSER\nok\n", 1},
        {"dialog 1\nend now\n", 2},
        {"\"quoted\" command\n", 1},
    };
    for (const auto& testCase : cases) {
        try {
            Parse(testCase.text);
            ADD_FAILURE() << "accepted: " << testCase.text;
        } catch (const ScenarioSyntaxError& error) {
            EXPECT_EQ(testCase.line, error.line) << testCase.text;
        }
    }
}

TEST(ScenarioScriptTest, ByteEscapesRoundTrip) {
    EXPECT_EQ(std::string("a\r\nb\t\\\x01\\q"), UnescapeBytes("a\\r\\nb\\t\\\\\\x01\\q"));
    const std::string bytes("x=\"y\"\r\n\x7F\\", 9);
    EXPECT_EQ("x=\"\"y\"\"\\r\\n\\x7F\\\\", EscapeBytes(bytes));
    EXPECT_THROW(UnescapeBytes("\\x4"), std::invalid_argument);
    EXPECT_THROW(UnescapeBytes("\\xZZ"), std::invalid_argument);
}

TEST(ScenarioScriptTest, NamesComeFromTheResourceHeader) {
    int id = 0;
    ASSERT_TRUE(ResourceIdFromWord("IDC_DEBUG", id));
    EXPECT_EQ(IDC_DEBUG, id);
    ASSERT_TRUE(ResourceIdFromWord("IDCANCEL", id));
    EXPECT_EQ(IDCANCEL, id);
    ASSERT_TRUE(ResourceIdFromWord("0x10", id));
    EXPECT_EQ(ID_SYSMENU_ABOUT, id);
    EXPECT_FALSE(ResourceIdFromWord("IDC_NO_SUCH_CONTROL", id));
    EXPECT_FALSE(ResourceIdFromWord("12x", id));
    EXPECT_EQ("IDC_APPLY", ControlName(IDC_APPLY));
    EXPECT_EQ("IDOK", ControlName(IDOK));
    EXPECT_EQ("IDD_WARNUSER", TemplateName(IDD_WARNUSER));
    EXPECT_EQ("4242", ControlName(4242));
}

}  // namespace
