// Switches added and removed on the command line: what the line becomes in normal form, or which
// refusal stops it.
#include "cli/SwitchEdits.h"

#include <gtest/gtest.h>

#include "cli/tests/CliRun.h"

#include <string>
#include <vector>

namespace {

const char kHead[] = "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\" ";

struct Case {
    const char* name;
    const char* switches;  // the line's switches after the head
    std::vector<std::string> added;
    std::vector<std::string> removed;
    const char* expected;  // the switches written, or null when refused
    const char* refusal;   // part of the refusal's message
};

const Case kCases[] = {
    // Spellings: any case, slash optional, spaces as on a boot line; normal form written.
    {"FlagAnyCaseNoSlash", "", {"FASTDETECT", "/sOs"}, {}, "/SOS /FastDetect ", nullptr},
    {"ValueTakesListSpelling",
     "",
     {"/debugport=com2", "/baudrate=115200"},
     {},
     "/BaudRate=115200 /DebugPort=COM2 ",
     nullptr},
    {"SpacesInSwitch", "", {"/ max mem = 512"}, {}, "/MAXMEM=512 ", nullptr},
    {"AlreadyThereNoChange", "/fastdetect", {"/FastDetect"}, {}, "/FastDetect ", nullptr},
    {"RemoveAbsentNoChange", "/fastdetect", {}, {"/sos"}, "/FastDetect ", nullptr},
    // Unknown switches: added and removed as they are, letter case kept, no duplicate.
    {"UnhandledAdded",
     "/fastdetect",
     {"/NoExecute=OptIn"},
     {},
     "/FastDetect /NoExecute=OptIn ",
     nullptr},
    {"UnhandledNotTwice",
     "/noexecute=optin",
     {"/NOEXECUTE=OPTIN"},
     {},
     "/noexecute=optin ",
     nullptr},
    {"UnhandledRemovedAnyCase",
     "/noexecute=optin /sos",
     {},
     {"/NoExecute=OptIn"},
     "/SOS ",
     nullptr},
    // The dialog's interlocks.
    {"DebugClearsNoDebug", "/nodebug", {"/debug"}, {}, "/Debug ", nullptr},
    {"NoDebugClearsDebug", "/debug", {"/nodebug"}, {}, "/NoDebug ", nullptr},
    {"NoLowMemBringsPae", "/nopae", {"/nolowmem"}, {}, "/NOLOWMEM /PAE ", nullptr},
    {"RemovePaeTakesNoLowMem", "/pae /nolowmem", {}, {"/pae"}, "", nullptr},
    {"NoPaeClearsPaeAndNoLowMem", "/pae /nolowmem", {"/nopae"}, {}, "/NOPAE ", nullptr},
    {"DebugAndNoDebugRefused", "", {"/debug", "/nodebug"}, {}, nullptr, "exclude each other"},
    {"NoPaeAndNoLowMemRefused", "", {"/nopae", "/nolowmem"}, {}, nullptr, "exclude each other"},
    {"RemovePaeAddNoLowMemRefused", "/pae", {"/nolowmem"}, {"/pae"}, nullptr, "needs PAE"},
    {"AddAndRemoveSameRefused", "", {"/sos"}, {"/SOS"}, nullptr, "Unable to remove"},
    // The debug port and its partners.
    {"ComPortNeedsRate", "", {"/debugport=com1"}, {}, nullptr, "takes a baud rate"},
    {"Port1394NeedsChannel", "", {"/debugport=1394"}, {}, nullptr, "takes a channel"},
    {"Port1394WithChannel",
     "/debugport=com1 /baudrate=9600",
     {"/debugport=1394", "/channel=5"},
     {},
     "/Channel=5 /DebugPort=1394 ",
     nullptr},
    {"ComPortDropsChannel",
     "/debugport=1394 /channel=3",
     {"/debugport=com3", "/baudrate=57600"},
     {},
     "/BaudRate=57600 /DebugPort=COM3 ",
     nullptr},
    {"RateNeedsComPort", "", {"/baudrate=9600"}, {}, nullptr, "for a COM debug port"},
    {"ChannelNeeds1394",
     "/debugport=com1 /baudrate=9600",
     {"/channel=2"},
     {},
     nullptr,
     "for the 1394 debug port"},
    {"RemovePortTakesRate",
     "/debugport=com1 /baudrate=9600 /sos",
     {},
     {"/debugport"},
     "/SOS ",
     nullptr},
    {"RemoveRateTakesComPort",
     "/debugport=com1 /baudrate=9600",
     {},
     {"/baudrate=9600"},
     "",
     nullptr},
    {"RateKeepsPortOnLine",
     "/debugport=com2: /baudrate=9600",
     {"/baudrate=19200"},
     {},
     "/BaudRate=19200 /DebugPort=COM2 ",
     nullptr},
    {"UnknownPortRefused",
     "",
     {"/debugport=com9", "/baudrate=9600"},
     {},
     nullptr,
     "Unknown debug port 'com9'"},
    {"UnknownRateRefused",
     "",
     {"/debugport=com1", "/baudrate=1152"},
     {},
     nullptr,
     "Unknown baud rate '1152'"},
    {"UntouchedPortNotChecked",
     "/debugport=com1 /sos",
     {"/fastdetect"},
     {},
     "/SOS /FastDetect /DebugPort=COM1 ",
     nullptr},
    // Valued options.
    {"ValueWithoutEqualsRefused", "", {"/maxmem"}, {}, nullptr, "takes a value"},
    {"ValueReplaced", "/maxmem=256", {"/MAXMEM=512"}, {}, "/MAXMEM=512 ", nullptr},
    {"ValueRemovedWhateverItHolds", "/hal=halmps.dll /sos", {}, {"/hal"}, "/SOS ", nullptr},
    {"NotOneSwitchRefused", "", {"/sos /debug"}, {}, nullptr, "is not one switch"},
    {"EmptySwitchRefused", "", {"/"}, {}, nullptr, "is not one switch"},
};

class SwitchEdits : public ::testing::TestWithParam<Case> {};

TEST_P(SwitchEdits, WriteTheLineOrRefuse) {
    const Case& item = GetParam();
    CBootLine record;
    ASSERT_TRUE(record.ParseLine((std::string(kHead) + item.switches).c_str()));
    UseListSpellings(record);
    std::string refusal;
    const bool edited = EditSwitches(record, item.added, item.removed, refusal);
    if (!item.expected) {
        EXPECT_FALSE(edited);
        EXPECT_NE(refusal.find(item.refusal), std::string::npos) << refusal;
        return;
    }
    ASSERT_TRUE(edited) << refusal;
    CString text;
    record.ComposeLine(text);
    EXPECT_EQ(text.str(), std::string(kHead) + item.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SwitchEdits, ::testing::ValuesIn(kCases), CaseNameOf());

TEST(ListSpellings, AsTheDialogFindsThemInItsLists) {
    const struct {
        const char* line;
        const char* port;
        const char* rate;
    } cases[] = {
        {"a=\"x\" /debugport=com2 /baudrate=115200", "COM2", "115200"},
        // The lists find a value by its beginning, as the dialog's list control does.
        {"a=\"x\" /debugport=Com /baudrate=1", "COM1", "1200"},
        // A value the list lacks is kept.
        {"a=\"x\" /debugport=lpt1 /baudrate=7", "lpt1", "7"},
    };
    for (const auto& item : cases) {
        CBootLine record;
        ASSERT_TRUE(record.ParseLine(item.line));
        UseListSpellings(record);
        EXPECT_EQ(record.m_strDebugPort.str(), item.port) << item.line;
        EXPECT_EQ(record.m_strBaudRate.str(), item.rate) << item.line;
    }
}

}  // namespace
