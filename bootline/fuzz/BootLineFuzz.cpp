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

[[noreturn]] void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "bootline fuzz: %s: %s\n", what, detail.c_str());
    std::abort();
}

// The checks describe a problem in words and return an empty text when there is none.
void RequireNoProblem(const char* what, const std::string& problem) {
    if (!problem.empty())
        Fail(what, problem);
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
    if (parsed && length > static_cast<std::size_t>(CBootLine::kMaxLineLength)) {
        Fail("line over the limit accepted", std::to_string(length));
    }

    CBootLine reused;
    reused.ParseLine(kEarlierLine);
    if (reused.ParseLine(line) != parsed)
        Fail("reused record decides otherwise", line);
    if (!parsed)
        return 0;
    RequireNoProblem("reused record differs", bootline_checks::DescribeDifference(record, reused));
    RequireNoProblem("parsed record broken", bootline_checks::DescribeBrokenInvariant(record));

    CString normalForm;
    record.ComposeLine(normalForm);
    if (normalForm.GetLength() > CBootLine::kMaxLineLength)
        return 0;
    RequireNoProblem("normal form not stable", bootline_checks::DescribeRoundTripFailure(record));
    return 0;
}
