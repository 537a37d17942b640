// libFuzzer target: the command line on random argument lists, in process, on the fake platform.
// The input picks a BOOT.INI from a few real shapes, then a list of arguments drawn from the
// subcommands, their options, switches as users write them, numbers and raw bytes. After each run:
//   - the exit status is one of 0, 1, 2 and 3;
//   - a run that fails, only reads, or is a dry run leaves BOOT.INI byte for byte and writes no
//     BOOT.BAK and no BOOT.TMP;
//   - a run that wrote keeps the old BOOT.INI as BOOT.BAK, leaves at least one boot line, and
//     changes the number of boot lines only as its command does;
//   - JSON output parses.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CommandLineInterface.h"
#include "platform/fake/FakePlatform.h"
#include "store/BootIniDocument.h"

namespace {

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "command line fuzz: %s\n", what.c_str());
    std::abort();
}

const char* const kFiles[] = {
    ("[boot loader]\r\ntimeout=30\r\ndefault=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
     "[operating systems]\r\nmulti(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP "
     "Professional\" /noexecute=optin /fastdetect\r\nmulti(0)disk(0)rdisk(0)partition(2)\\WINNT="
     "\"Windows 2000\" /debugport=com1 /baudrate=9600 /pae /nolowmem\r\nC:\\CMDCONS\\BOOTSECT.DAT="
     "\"Microsoft Windows Recovery Console\" /cmdcons\r\n"),
    "[operating systems]\nmulti(0)=\"only\" /sos\nnot a boot line\n",
    ("[boot loader]\ndefault=multi(0)\n[operating systems]\nmulti(0)= /debugport=1394 "
     "/channel=3\nmulti(0)=\"same path\"\n[other]\nmulti(9)=\"outside\""),
    "no section at all\r\n",
    "",
};

const char* const kWords[] = {
    "list",
    "show",
    "set",
    "copy",
    "delete",
    "default",
    "timeout",
    "restore",
    "C:",
    "1",
    "2",
    "3",
    "0",
    "-1",
    "999",
    "1000",
    "--json",
    "--dry-run",
    "--force",
    "--add",
    "--remove",
    "--label",
    "--help",
    "--",
    "/debug",
    "/NODEBUG",
    "pae",
    "/nopae",
    "/nolowmem",
    "/debugport=com2",
    "/debugport=1394",
    "/baudrate=115200",
    "/baudrate=1",
    "/channel=5",
    "/hal=halmps.dll",
    "/kernel=",
    "/maxmem",
    "/maxmem=512",
    "/NoExecute=OptIn",
    "/",
    "/sos /debug",
    "Copy",
    "a\"b",
    "",
    "/fastdetect:com1",
};

int BootLineCount(const std::string& bytes) {
    CStringArray lines = LinesOfFile(bytes);
    return static_cast<int>(BootIniDocument(lines).BootLines().size());
}

FakePlatform& Drive() {
    static FakePlatform* platform = new FakePlatform();
    return *platform;
}

std::string Read(FakePlatform& platform, LPCSTR path, bool& exists) {
    std::string bytes;
    exists = platform.ReadFileBytes(path, bytes);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    FakePlatform& platform = Drive();
    platform.ClearCalls();  // the record of calls would grow with every input
    for (LPCSTR path : {"C:\\BOOT.BAK", "C:\\BOOT.TMP", "C:\\BOOT.INI"}) {
        platform.SetAttributes(path, 0);
        std::remove(platform.HostPath(path).c_str());
    }
    const std::string before = input.PickValueInArray(kFiles) + input.ConsumeRandomLengthString(64);
    platform.WriteFileBytes("C:\\BOOT.INI", before);

    std::vector<std::string> arguments = {"tarnwick"};
    const int count = input.ConsumeIntegralInRange(0, 8);
    for (int i = 0; i < count; ++i) {
        arguments.push_back(input.ConsumeBool() ? std::string(input.PickValueInArray(kWords))
                                                : input.ConsumeRandomLengthString(16));
    }

    CliRequest request;
    std::ostringstream out;
    std::ostringstream err;
    int status = ParseRequest(arguments, request, out, err);
    const bool ran = status < 0;
    if (ran) {
        SetPlatform(&platform);
        status = RunCommand(request, out, err);
        SetPlatform(nullptr);
    }
    if (status < 0 || status > 3)
        Fail("exit status " + std::to_string(status));

    bool exists = false;
    const std::string after = Read(platform, "C:\\BOOT.INI", exists);
    bool backupExists = false;
    const std::string backup = Read(platform, "C:\\BOOT.BAK", backupExists);
    bool stagingExists = false;
    Read(platform, "C:\\BOOT.TMP", stagingExists);
    const bool reads = request.command == CliRequest::Command::kList ||
                       request.command == CliRequest::Command::kShow;
    if (!ran || status != 0 || reads || request.dryRun) {
        if (!exists || after != before || backupExists || stagingExists)
            Fail("a run that must not write changed the drive");
        if (ran && status == 0 && request.json && reads) {
            try {
                (void)nlohmann::json::parse(out.str());
            } catch (const std::exception& error) {
                Fail(std::string("JSON output does not parse: ") + error.what());
            }
        }
        return 0;
    }
    if (after == before)
        return 0;  // nothing to change
    if (!backupExists || backup != before)
        Fail("BOOT.BAK is not the BOOT.INI before the command");
    const int countBefore = BootLineCount(before);
    const int countAfter = BootLineCount(after);
    int expected = countBefore;
    if (request.command == CliRequest::Command::kCopy)
        expected = countBefore + 1;
    if (request.command == CliRequest::Command::kDelete)
        expected = countBefore - 1;
    // A file without boot lines may still get a timeout; a file with some never loses the last.
    if (request.command != CliRequest::Command::kRestore &&
        (countAfter != expected || (countBefore >= 1 && countAfter < 1))) {
        Fail("boot lines went from " + std::to_string(countBefore) + " to " +
             std::to_string(countAfter));
    }
    return 0;
}
