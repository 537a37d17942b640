// Texts pass through the terminal widgets unchanged: a label read from BOOT.INI with bytes above
// 0x7F comes back byte for byte when the program reads the control again.
// GoogleTest first: FINAL CUT's headers bring <linux/keyboard.h>, whose macros break <sys/wait.h>.
#include <gtest/gtest.h>

#include "framework/term/TermText.h"

TEST(TermText, EveryByteComesBackUnchanged) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all += static_cast<char>(byte);
    EXPECT_EQ(FromWidgetText(ToWidgetText(all)), all);
}

TEST(TermText, ShowsTheWindowsCharacters) {
    struct Case {
        std::string bytes;
        std::wstring shown;
    };
    const Case cases[] = {
        {"Syst\xe8me", L"Syst\u00e8me"},  // Latin letters as they are
        {"\x80", L"\u20ac"},              // the euro sign of code page 1252
        {"\x93quoted\x94", L"\u201cquoted\u201d"},
        {"\x81", L"\u0081"},  // unassigned in 1252: kept as the control of the same value
    };
    for (const Case& item : cases) {
        EXPECT_EQ(ToWidgetText(item.bytes).toWString(), item.shown);
        EXPECT_EQ(FromWidgetText(finalcut::FString(item.shown)), item.bytes);
    }
}

TEST(TermText, ACharacterOutsideTheCodePageBecomesAQuestionMark) {
    EXPECT_EQ(FromWidgetText(finalcut::FString(L"a\u2713b")), "a?b");
}
