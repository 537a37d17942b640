// Seeded random round trips: records that a parse could have produced compose to a line that
// parses back to the same record, and random lines that parse reach a normal form that is a
// fixed point of parse-then-compose.
#include <gtest/gtest.h>

#include <cctype>
#include <iterator>
#include <random>
#include <string>

#include "bootline/BootLine.h"
#include "bootline/tests/BootLineChecks.h"

using bootline_checks::DescribeBrokenInvariant;
using bootline_checks::DescribeRoundTripFailure;

namespace {

class RandomText {
public:
    explicit RandomText(unsigned seed) : m_engine(seed) {}

    int Below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(m_engine); }
    bool Chance(int percent) { return Below(100) < percent; }

    // Up to maxLength characters of a mixed alphabet without the characters in excluded.
    std::string Text(int minLength, int maxLength, const std::string& excluded) {
        static const std::string alphabet =
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
            " \t=\":\\()[]{}.,;_-+*&%$#@!?~'`|<>/\n\x7f\xe4\xff";
        std::string text;
        const int length = minLength + Below(maxLength - minLength + 1);
        while (static_cast<int>(text.size()) < length) {
            const char c = alphabet[static_cast<size_t>(Below(static_cast<int>(alphabet.size())))];
            if (excluded.find(c) == std::string::npos)
                text += c;
        }
        return text;
    }

    // A word that is often a key or a fragment of one, in random letter case.
    std::string KeyLike() {
        static const char* const words[] = {
            "debugport=",  "nodebug",   "debug",    "sos",      "basevideo", "fastdetect",
            "pae",         "nopae",     "3gb",      "bootlogo", "bootlog",   "onecpu",
            "crashdebug",  "maxmem=",   "hal=",     "kernel=",  "channel=",  "baudrate=",
            "intaffinity", "noguiboot", "nolowmem", "pcilock",  "debugpor",  "nodebu",
            "maxmem",      "hal",       "kernel",   "boot",     "no",        "noexecute=",
        };
        std::string word = words[Below(static_cast<int>(std::size(words)))];
        for (char& c : word) {
            if (Chance(40))
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        return word;
    }

private:
    std::mt19937 m_engine;
};

// A record as a successful parse leaves it: see the invariants in BootLineChecks.
CBootLine RandomParsedRecord(RandomText& random) {
    CBootLine record;
    record.m_strArcPath = random.Text(1, 40, "=/\n").c_str();
    if (random.Chance(85)) {
        record.m_strLabel = random.Text(1, 40, "\"/\n").c_str();
        record.m_bLabel = 1;
    }
    for (const auto& member : bootline_checks::SwitchFlags()) {
        record.*member.flag = random.Chance(30) ? 1 : 0;
    }
    for (const auto& member : bootline_checks::ValuedOptions()) {
        if (!random.Chance(30))
            continue;
        record.*member.marker = 1;
        const bool debugPort = member.value == &CBootLine::m_strDebugPort;
        record.*member.value = random.Text(0, 12, debugPort ? " /\n:" : " /\n").c_str();
    }
    const int unhandledCount = random.Below(5);
    while (record.m_arrUnhandled.GetSize() < unhandledCount) {
        std::string option = random.Chance(50) ? random.KeyLike() : "";
        option += random.Text(0, 10, " /\n");
        if (!bootline_checks::MatchesAnyKey(option))
            record.m_arrUnhandled.Add(option.c_str());
    }
    return record;
}

TEST(BootLineRoundTrip, RecordsSurviveComposeAndParse) {
    RandomText random(20240611u);
    for (int iteration = 0; iteration < 3000; ++iteration) {
        const CBootLine record = RandomParsedRecord(random);
        ASSERT_EQ(DescribeBrokenInvariant(record), "");
        ASSERT_EQ(DescribeRoundTripFailure(record), "");
    }
}

// Lines made of key fragments, separators, quotes and noise, usually after a plausible head.
std::string RandomLine(RandomText& random) {
    std::string line;
    if (random.Chance(80)) {
        line = random.Text(0, 12, "") + "=";
        if (random.Chance(70))
            line += "\"" + random.Text(0, 12, "") + "\"";
    }
    const int pieces = random.Below(16);
    for (int piece = 0; piece < pieces; ++piece) {
        switch (random.Below(6)) {
            case 0:
                line += random.Text(1, 3, "");
                break;
            case 1:
                line += random.Chance(80) ? " /" : "/";
                break;
            default:
                line += random.KeyLike();
                if (random.Chance(40))
                    line += random.Text(0, 6, "");
                break;
        }
    }
    return line;
}

TEST(BootLineRoundTrip, ParsedLinesReachAFixedNormalForm) {
    RandomText random(7919u);
    int parsedCount = 0;
    const int lineCount = 5000;
    for (int iteration = 0; iteration < lineCount; ++iteration) {
        const std::string line = RandomLine(random);
        SCOPED_TRACE("line: " + line);
        CBootLine record;
        if (!record.ParseLine(line.c_str()))
            continue;
        ++parsedCount;
        ASSERT_EQ(DescribeBrokenInvariant(record), "");
        ASSERT_EQ(DescribeRoundTripFailure(record), "");
    }
    // The generator must mostly produce boot lines, or the property says little.
    EXPECT_GT(parsedCount, lineCount / 2);
}

}  // namespace
