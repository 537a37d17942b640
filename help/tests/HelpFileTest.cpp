// The compiled help file, unpacked with a CHM reader (extract_chmLib of libchm-bin) as the
// Windows help system would read it: its pages and contents, and the popup topics that the
// program names, each agreeing with the text the program itself shows.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "shell/ControlHelp.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The topics of a popup text file: ".topic NUMBER", then the text up to the next blank line.
std::map<long, std::string> PopupTopics(const std::string& file) {
    std::map<long, std::string> topics;
    std::istringstream lines(file);
    std::string line;
    long current = -1;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind(".topic ", 0) == 0) {
            current = std::stol(line.substr(7));
            topics[current];
        } else if (line.empty()) {
            current = -1;
        } else if (current >= 0) {
            std::string& text = topics[current];
            text += (text.empty() ? "" : " ") + line;
        }
    }
    return topics;
}

std::string HtmlEscaped(std::string text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

class HelpFileTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_folder = fs::temp_directory_path() / ("tarnwick-help-" + std::to_string(getpid()));
        fs::remove_all(s_folder);
        const std::string command = "extract_chmLib '" + std::string(TARNWICK_HELP_FILE) + "' '" +
                                    s_folder.string() + "' >/dev/null 2>&1";
        s_extracted = std::system(command.c_str()) == 0;
    }
    static void TearDownTestSuite() { fs::remove_all(s_folder); }

    void SetUp() override {
        if (std::system("command -v extract_chmLib >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "extract_chmLib (libchm-bin) is not installed";
        ASSERT_TRUE(s_extracted) << "extract_chmLib could not read " << TARNWICK_HELP_FILE;
    }

    static std::string Page(const std::string& name) { return ReadAll(s_folder / name); }
    // Every page of the file, by name.
    static std::map<std::string, std::string> Pages() {
        std::map<std::string, std::string> pages;
        for (const auto& entry : fs::directory_iterator(s_folder)) {
            if (entry.path().extension() == ".htm")
                pages[entry.path().filename().string()] = ReadAll(entry.path());
        }
        return pages;
    }

    static fs::path s_folder;
    static bool s_extracted;
};

fs::path HelpFileTest::s_folder;
bool HelpFileTest::s_extracted = false;

TEST_F(HelpFileTest, HoldsTheTopicsAUserLooksFor) {
    const struct {
        const char* page;
        const char* title;
    } expected[] = {
        {"index.htm", "What Tarnwick is for"},
        {"editor.htm", "Working with the editor"},
        {"options.htm", "The boot switches"},
        {"debugging.htm", "Kernel debugging"},
        {"commit.htm", "The commit and the backup"},
        {"recovery.htm", "When a machine does not boot"},
    };
    for (const auto& topic : expected) {
        SCOPED_TRACE(topic.page);
        const std::string page = Page(topic.page);
        EXPECT_NE(page.find(std::string("<title>") + topic.title + "</title>"), std::string::npos);
    }
    EXPECT_NE(Page("commit.htm").find("BOOT.BAK"), std::string::npos);
    EXPECT_NE(Page("recovery.htm").find("copy C:\\BOOT.BAK C:\\BOOT.INI"), std::string::npos);
}

TEST_F(HelpFileTest, ContentsAndLinksNameOnlyPagesOfTheFile) {
    const std::map<std::string, std::string> pages = Pages();
    std::map<std::string, std::string> documents = pages;
    documents["vexalhelp.hhc"] = Page("vexalhelp.hhc");
    ASSERT_FALSE(documents["vexalhelp.hhc"].empty());
    const std::regex reference(R"re((?:href|value)="([A-Za-z0-9_-]+\.htm)")re");
    int references = 0;
    for (const auto& [name, text] : documents) {
        for (std::sregex_iterator it(text.begin(), text.end(), reference), end; it != end; ++it) {
            ++references;
            EXPECT_EQ(pages.count((*it)[1].str()), 1u) << name << " names " << (*it)[1];
        }
    }
    EXPECT_GE(references, static_cast<int>(pages.size()));  // the contents names every page
}

TEST_F(HelpFileTest, PagesDescribeEachControlAsItsPopupDoes) {
    std::string allPages;
    for (const auto& [name, text] : Pages())
        allPages += text;
    for (int row = 0; row < kControlHelpRows - 1; ++row) {
        std::string text = ControlHelpTable[row].szText;
        text.pop_back();  // the line feed
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        EXPECT_NE(allPages.find(HtmlEscaped(text)), std::string::npos)
            << "control " << ControlHelpTable[row].nControlId << ": " << text;
    }
}

TEST_F(HelpFileTest, PopupTopicsMatchTheProgramsTextsAndItsIdMap) {
    const std::map<long, std::string> topics = PopupTopics(Page("ctrlhlp.txt"));
    for (int row = 0; row < kControlHelpRows - 1; ++row) {
        const ControlHelpRecord& record = ControlHelpTable[row];
        std::string text = record.szText;
        text.pop_back();
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        const auto topic = topics.find(record.nControlId);
        ASSERT_NE(topic, topics.end()) << "no topic for control " << record.nControlId;
        EXPECT_EQ(topic->second, text);
    }
    // Every control the context menu is asked about has a topic with text.
    for (int pair = 0; kContextMenuIdMap[2 * pair] != 0; ++pair) {
        const auto topic = topics.find(static_cast<long>(kContextMenuIdMap[2 * pair + 1]));
        ASSERT_NE(topic, topics.end()) << "no topic " << kContextMenuIdMap[2 * pair + 1];
        EXPECT_FALSE(topic->second.empty());
    }
}

}  // namespace
