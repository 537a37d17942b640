// libFuzzer target for the boot line parser and composer. For every input it checks: no crash or
// undefined behaviour; a line over the length limit is refused; a reused record parses like a
// fresh one; a parsed record keeps the parser's guarantees; and a normal form within the limit
// parses to the same record and composes to itself.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bootline/BootLine.h"
#include "bootline/tests/BootLineChecks.h"

namespace {

void Require(bool condition, const char* what, const std::string& detail) {
    if (condition)
        return;
    std::fprintf(stderr, "bootline fuzz: %s: %s\n", what, detail.c_str());
    std::abort();
}

const char kEarlierLine[] =
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Earlier\" /debug /nopae /sos /maxmem=64 "
    "/hal=halaacpi.dll /debugport=com1: /baudrate=115200 /channel=3 /kernel=k.exe /userva=3030";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The line ends at the first zero byte, as any C string does.
    const std::string input(reinterpret_cast<const char*>(data), size);
    const char* line = input.c_str();
    std::size_t length = std::strlen(line);
    if (length > 0 && line[length - 1] == '\n')
        --length;

    CBootLine record;
    const BOOL parsed = record.ParseLine(line);
    Require(!parsed || length <= static_cast<std::size_t>(CBootLine::kMaxLineLength),
            "line over the limit accepted", std::to_string(length));

    CBootLine reused;
    reused.ParseLine(kEarlierLine);
    Require(reused.ParseLine(line) == parsed, "reused record decides otherwise", line);
    if (!parsed)
        return 0;
    Require(bootline_checks::DescribeDifference(record, reused).empty(), "reused record differs",
            bootline_checks::DescribeDifference(record, reused));
    Require(bootline_checks::DescribeBrokenInvariant(record).empty(), "parsed record broken",
            bootline_checks::DescribeBrokenInvariant(record));

    CString normalForm;
    record.ComposeLine(normalForm);
    if (normalForm.GetLength() > CBootLine::kMaxLineLength)
        return 0;

    CBootLine reparsed;
    Require(reparsed.ParseLine(normalForm) == TRUE, "normal form refused", normalForm.str());
    Require(bootline_checks::DescribeDifference(record, reparsed).empty(),
            "normal form parses to another record",
            bootline_checks::DescribeDifference(record, reparsed));
    CString again;
    reparsed.ComposeLine(again);
    Require(again == normalForm, "normal form not a fixed point",
            normalForm.str() + " -> " + again.str());
    return 0;
}
