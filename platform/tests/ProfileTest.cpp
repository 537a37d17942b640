#include <gtest/gtest.h>

#include "platform/posix/PosixPlatform.h"
#include "platform/posix/ProfileText.h"
#include "platform/tests/TestFiles.h"

namespace {

TEST(ProfileIntFromTextTest, ReadsIntegersAsGetPrivateProfileIntDoes) {
    const struct {
        const char* text;
        UINT expected;
    } cases[] = {
        {"", 7},  // an empty value gives the default
        {"1", 1},
        {"0", 0},
        {"  42", 42},
        {"12abc", 12},
        {"abc", 0},  // present but not a number: 0, not the default
        {"-1", static_cast<UINT>(-1)},
        {"+5", 5},
        {"0x1F", 31},
        {"0b101", 5},
        {"0o17", 15},
        {"4294967297", 1},  // wraps as 32 bits
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(testCase.expected, ProfileIntFromText(testCase.text, 7)) << testCase.text;
    }
}

TEST(ProfileTextTest, FindsSectionsAndKeysWithoutRegardToCase) {
    ProfileText text(
        "; comment\n[Other]\nWarnUser=5\n\n[ tarnwick ]\r\n  warnuser = 1 \r\nName=\"quoted\"\n");
    std::string value;
    ASSERT_TRUE(text.Find("Tarnwick", "WarnUser", value));
    EXPECT_EQ("1", value);
    ASSERT_TRUE(text.Find("TARNWICK", "name", value));
    EXPECT_EQ("quoted", value);
    EXPECT_FALSE(text.Find("Tarnwick", "Missing", value));
    EXPECT_FALSE(text.Find("Missing", "WarnUser", value));
}

TEST(ProfileTextTest, SetKeepsEveryOtherLine) {
    ProfileText text("; keep me\n[Tarnwick]\nOther=x\n\n[Next]\nA=1\n");
    text.Set("tarnwick", "WarnUser", "1");
    EXPECT_EQ("; keep me\n[Tarnwick]\nOther=x\nWarnUser=1\n\n[Next]\nA=1\n", text.Text());
    text.Set("TARNWICK", "warnuser", "0");
    EXPECT_EQ("; keep me\n[Tarnwick]\nOther=x\nwarnuser=0\n\n[Next]\nA=1\n", text.Text());
    text.Set("New", "Key", "v");
    EXPECT_EQ("; keep me\n[Tarnwick]\nOther=x\nwarnuser=0\n\n[Next]\nA=1\n\n[New]\nKey=v\n",
              text.Text());
    text.RemoveKey("tarnwick", "other");
    text.RemoveSection("next");
    EXPECT_EQ("; keep me\n[Tarnwick]\nwarnuser=0\n\n[New]\nKey=v\n", text.Text());
}

class PosixProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"XDG_CONFIG_HOME", "HOME"}) {
            const char* value = std::getenv(name);
            saved.push_back({name, value ? value : "", value != nullptr});
        }
    }
    void TearDown() override {
        for (const auto& variable : saved) {
            if (variable.present) {
                setenv(variable.name, variable.value.c_str(), 1);
            } else {
                unsetenv(variable.name);
            }
        }
    }
    struct Saved {
        const char* name;
        std::string value;
        bool present;
    };
    std::vector<Saved> saved;
    TemporaryFolder drive;
    TemporaryFolder config;
    PosixPlatform platform{drive.Path()};
};

TEST_F(PosixProfileTest, RoundTripThroughTheConfigFolder) {
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    EXPECT_EQ(0u, platform.GetProfileInt("Tarnwick", "WarnUser", 0, "tarnwick.INI"));
    ASSERT_TRUE(platform.WriteProfileString("Tarnwick", "WarnUser", "1", "tarnwick.INI"));
    EXPECT_EQ("[Tarnwick]\nWarnUser=1\n", ReadHostFile(config / "tarnwick/tarnwick.INI"));
    EXPECT_EQ(1u, platform.GetProfileInt("tarnwick", "warnuser", 0, "tarnwick.INI"));
    // The file's name is matched without regard to case too.
    EXPECT_EQ(1u, platform.GetProfileInt("Tarnwick", "WarnUser", 0, "TARNWICK.ini"));
    EXPECT_EQ(9u, platform.GetProfileInt("Tarnwick", "Other", 9, "tarnwick.INI"));
    // Written through a temporary file that doesn't stay.
    EXPECT_EQ(std::vector<std::string>{"tarnwick.INI"}, FolderEntries(config / "tarnwick"));
}

TEST_F(PosixProfileTest, FallsBackToHomeConfig) {
    setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
    setenv("HOME", config.Path().c_str(), 1);
    EXPECT_EQ(config / ".config/tarnwick", platform.ProfileFolder());
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(config / ".config/tarnwick", platform.ProfileFolder());
    ASSERT_TRUE(platform.WriteProfileString("Tarnwick", "WarnUser", "1", "tarnwick.INI"));
    EXPECT_EQ(1u, platform.GetProfileInt("Tarnwick", "WarnUser", 0, "tarnwick.INI"));
}

TEST_F(PosixProfileTest, RefusesNamesThatAreNotPlainFileNames) {
    platform.SetProfileFolder(config.Path());
    EXPECT_FALSE(platform.WriteProfileString("S", "K", "1", ".."));
    EXPECT_FALSE(platform.WriteProfileString("S", "K", "1", ""));
    EXPECT_FALSE(platform.WriteProfileString(nullptr, "K", "1", "a.ini"));
    // A folder part is dropped: the file stays in the profile folder.
    ASSERT_TRUE(platform.WriteProfileString("S", "K", "1", "../../escape.ini"));
    EXPECT_EQ(std::vector<std::string>{"escape.ini"}, FolderEntries(config.Path()));
    EXPECT_EQ(3u, platform.GetProfileInt(nullptr, "K", 3, "escape.ini"));
}

}  // namespace
