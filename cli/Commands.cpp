#include "cli/Commands.h"

#include <memory>

#include "bootline/BootLine.h"
#include "cli/LineReport.h"
#include "cli/SwitchEdits.h"
#include "platform/Platform.h"
#include "store/BootIniDocument.h"
#include "store/BootLoaderSection.h"
#include "store/Commit.h"
#include "store/StagingFile.h"

namespace {

const char kNothingChanged[] = " Nothing was changed.";

// The name that every message begins with, set for the time of one command.
std::string g_program = "tarnwick";

// The commit's questions answered by the options, its failures told on the error stream.
class CommandLineDecisions : public ICommitDecisions {
public:
    CommandLineDecisions(std::ostream& err, bool force, bool writeMissingBootIni)
        : m_err(err), m_force(force), m_writeMissingBootIni(writeMissingBootIni) {}

    BOOL CommitOverChange(const std::string&, BOOL removed) override {
        if (m_force || (removed && m_writeMissingBootIni))
            return TRUE;
        m_err << g_program << ": BOOT.INI was " << (removed ? "removed" : "changed")
              << " by another program while this command ran, so it was not written. Run the "
                 "command again, or add --force to write over the other program's change.\n";
        return FALSE;
    }
    void ReportFailure(const std::string& message) override {
        m_err << g_program << ": " << message << "\n";
    }

private:
    std::ostream& m_err;
    bool m_force;
    bool m_writeMissingBootIni;
};

int Fail(std::ostream& err, int status, const std::string& message) {
    err << g_program << ": " << message << "\n";
    return status;
}

// Why a drive has no BOOT.INI to edit, as far as its root tells.
std::string MissingBootIniMessage(const std::string& path) {
    const std::string found = DescribeDriveWithoutBootIni();
    return path + " holds no BOOT.INI." +
           (found.empty() ? ""
                          : " " + found +
                                " Name the drive of a Windows NT, 2000, XP or Server 2003 "
                                "as PATH.");
}

// BOOT.INI read whole; FALSE after telling why.
bool ReadBootIni(const CliRequest& request, std::string& bytes, std::ostream& err) {
    if (IsLink(kBootIniPath)) {
        Fail(err, 0,
             "BOOT.INI is a link to another file, and Tarnwick never reads or writes "
             "through links.");
        return false;
    }
    IPlatform& platform = Platform();
    if (platform.ReadWholeFile(kBootIniPath, bytes))
        return true;
    if (!platform.FileExists(kBootIniPath)) {
        Fail(err, 0, MissingBootIniMessage(request.path));
    } else {
        Fail(err, 0, "Unable to read BOOT.INI on " + request.path + ".");
    }
    return false;
}

// The line the request names; FALSE after telling when there is none.
bool FindLine(const CliRequest& request, const CStringArray& lines, NumberedLine& found,
              std::ostream& err) {
    const std::vector<NumberedLine> numbered = NumberedLines(lines);
    if (request.line >= 1 && request.line <= static_cast<int>(numbered.size())) {
        found = numbered[request.line - 1];
        return true;
    }
    std::string message = "There is no boot line " + std::to_string(request.line) + ": ";
    if (numbered.empty()) {
        message += "BOOT.INI on " + request.path + " has no boot lines.";
    } else {
        message +=
            "BOOT.INI on " + request.path + " has " + std::to_string(numbered.size()) +
            (numbered.size() == 1 ? " boot line (1)."
                                  : " boot lines (1 to " + std::to_string(numbered.size()) + ").");
    }
    Fail(err, 0, message);
    return false;
}

// The edit of one request on the file's lines; FALSE with the refusal, the lines then of no use.
bool Edit(const CliRequest& request, CStringArray& lines, std::string& done, std::string& refusal) {
    BootIniDocument document(lines);
    NumberedLine line{};
    CBootLine record;
    // Every command but timeout names a line, which FindLine found.
    if (request.command != CliRequest::Command::kTimeout) {
        line = NumberedLines(lines)[request.line - 1];
        record.ParseLine(lines[line.entry.lineIndex]);
    }
    const int lineIndex = line.entry.lineIndex;
    switch (request.command) {
        case CliRequest::Command::kSet: {
            UseListSpellings(record);
            if (!EditSwitches(record, request.added, request.removed, refusal))
                return false;
            if (request.label) {
                record.m_strLabel = CString(*request.label);
                // As the dialog takes its label box: a label typed is written, an empty one
                // leaves the line as it was read.
                if (!request.label->empty())
                    record.m_bLabel = 1;
            }
            if (!document.ReplaceBootLine(lineIndex, record, refusal))
                return false;
            done = "Line " + std::to_string(line.number) + " now reads: " + lines[lineIndex].str();
            return true;
        }
        case CliRequest::Command::kCopy: {
            CBootLine copy = CopyOfLine(record, record.m_strLabel);
            if (request.label) {
                if (!CheckLabel(CString(*request.label), refusal))
                    return false;
                copy.m_strLabel = CString(*request.label);
            }
            if (!document.InsertCopy(lineIndex, copy, refusal))
                return false;
            done = "The copy is line " + std::to_string(line.number) + ": " +
                   lines[lineIndex].str() + "\nThe copied line is now line " +
                   std::to_string(line.number + 1) + ".";
            return true;
        }
        case CliRequest::Command::kDelete: {
            const bool lastOfDefault = line.isDefault && IsLastLineOfDefault(lines, lineIndex);
            if (!document.DeleteBootLine(lineIndex, refusal))
                return false;
            if (lastOfDefault) {
                refusal = "Line " + std::to_string(line.number) +
                          " is the line the loader starts by default. Make another line the "
                          "default first: " +
                          request.program + " default " + request.path + " LINE.";
                return false;
            }
            done = "Line " + std::to_string(line.number) + " was deleted.";
            return true;
        }
        case CliRequest::Command::kDefault:
            SetBootDefault(lines, record.m_strArcPath);
            // The loader names its default by ARC path and starts the first line that has it.
            if (FindDefaultBootLine(lines) != lineIndex) {
                refusal = "Line " + std::to_string(line.number) +
                          " can't be the default: an earlier line has the same ARC path, and the "
                          "loader would start that one.";
                return false;
            }
            done = "Line " + std::to_string(line.number) +
                   " is the default: " + record.m_strArcPath.str();
            return true;
        case CliRequest::Command::kTimeout:
            if (!SetBootTimeout(lines, request.seconds)) {
                refusal = "The timeout must be a whole number of seconds from 0 to " +
                          std::to_string(kMaxBootTimeout) + ".";
                return false;
            }
            done = "The boot menu waits " + std::to_string(request.seconds) + " seconds.";
            return true;
        default:
            return false;
    }
}

// The staging file made from the source file and rewritten with the lines; FALSE after telling.
bool Stage(LPCSTR source, const CStringArray* lines, std::ostream& err) {
    IPlatform& platform = Platform();
    const char kUnableToStage[] =
        "Unable to write BOOT.TMP, the copy that BOOT.INI is written "
        "from, so BOOT.INI was not changed.";
    if (IsLink(kStagingPath)) {
        Fail(err, 0,
             "BOOT.TMP is a link to another file, and Tarnwick never writes through "
             "links, so BOOT.INI was not changed.");
        return false;
    }
    if (!platform.CopyFileTo(source, kStagingPath, FALSE) ||
        !platform.WriteFileAttributes(kStagingPath, FILE_ATTRIBUTE_NORMAL)) {
        Fail(err, 0, kUnableToStage);
        return false;
    }
    if (!lines)
        return true;
    std::unique_ptr<ITextStream> stream = platform.OpenTextStream(kStagingPath);
    const bool written =
        stream && WriteStagingLines(*stream, *lines) && StagingFileHolds(*stream, *lines);
    const bool closed = stream && stream->Close();
    if (!written || !closed) {
        Fail(err, 0, kUnableToStage);
        return false;
    }
    return true;
}

// Holds the drive's lock for a writing command; FALSE after telling.
bool Lock(std::unique_ptr<IExclusiveLock>& lock, std::ostream& err) {
    switch (Platform().LockExclusively(kLockPath, lock)) {
        case LockOutcome::kLocked:
            return true;
        case LockOutcome::kHeldElsewhere:
            Fail(err, 0,
                 std::string("Tarnwick is already editing BOOT.INI on this drive in "
                             "another window. Only one Tarnwick may edit it at a time: "
                             "finish in the other window first.") +
                     kNothingChanged);
            return false;
        case LockOutcome::kFailed:
            break;
    }
    Fail(err, 0,
         std::string("Unable to create BOOT.LCK, which keeps two copies of Tarnwick "
                     "from editing BOOT.INI at the same time.") +
             kNothingChanged);
    return false;
}

int Read(const CliRequest& request, std::ostream& out, std::ostream& err) {
    std::string bytes;
    if (!ReadBootIni(request, bytes, err))
        return kExitFileFailure;
    const CStringArray lines = LinesOfFile(bytes);
    if (request.command == CliRequest::Command::kList) {
        if (request.json) {
            out << JsonText(ListJson(request.path, lines)) << "\n";
        } else {
            PrintList(out, lines);
        }
        return kExitDone;
    }
    NumberedLine line{};
    if (!FindLine(request, lines, line, err))
        return kExitRefused;
    if (request.json) {
        out << JsonText(LineJson(line, lines)) << "\n";
    } else {
        PrintLine(out, line, lines);
    }
    return kExitDone;
}

int Restore(const CliRequest& request, std::ostream& out, std::ostream& err) {
    std::unique_ptr<IExclusiveLock> lock;
    if (!Lock(lock, err))
        return kExitFileFailure;
    IPlatform& platform = Platform();
    if (IsLink(kBackupPath))
        return Fail(err, kExitFileFailure,
                    "BOOT.BAK is a link to another file, and Tarnwick never reads through links.");
    if (!platform.FileExists(kBackupPath))
        return Fail(err, kExitFileFailure,
                    "There is no BOOT.BAK on " + request.path + " to restore." + kNothingChanged);
    // Without a BOOT.INI there is nothing to keep: the backup becomes the file, and stays.
    std::string bytes;
    const bool hadBootIni = platform.FileExists(kBootIniPath);
    if (hadBootIni && !ReadBootIni(request, bytes, err))
        return kExitFileFailure;
    if (!Stage(kBackupPath, nullptr, err))
        return kExitFileFailure;
    CommandLineDecisions decisions(err, request.force, !hadBootIni);
    if (!CommitStagingFile(bytes, decisions))
        return kExitFileFailure;
    out << (hadBootIni ? "BOOT.BAK is BOOT.INI again; the BOOT.INI it replaced is the new "
                         "BOOT.BAK.\n"
                       : "BOOT.BAK was written as BOOT.INI.\n");
    return kExitDone;
}

int Write(const CliRequest& request, std::ostream& out, std::ostream& err) {
    // A dry run reads only: it takes no lock and writes no file, not even BOOT.TMP.
    std::unique_ptr<IExclusiveLock> lock;
    if (!request.dryRun && !Lock(lock, err))
        return kExitFileFailure;
    std::string bytes;
    if (!ReadBootIni(request, bytes, err))
        return kExitFileFailure;
    const CStringArray before = LinesOfFile(bytes);
    CStringArray lines = before;
    NumberedLine line{};
    if (request.command != CliRequest::Command::kTimeout && !FindLine(request, lines, line, err))
        return kExitRefused;
    std::string done;
    std::string refusal;
    if (!Edit(request, lines, done, refusal))
        return Fail(err, kExitRefused, refusal + kNothingChanged);
    if (request.dryRun) {
        PrintUnifiedDiff(out, "BOOT.INI", before, lines);
        return kExitDone;
    }
    if (lines == before) {
        out << "BOOT.INI already reads so; it was not written.\n";
        return kExitDone;
    }
    if (!Stage(kBootIniPath, &lines, err))
        return kExitFileFailure;
    CommandLineDecisions decisions(err, request.force, false);
    if (!CommitStagingFile(bytes, decisions))
        return kExitFileFailure;
    out << done << "\nBOOT.INI was written; the previous one is kept as BOOT.BAK.\n";
    return kExitDone;
}

}  // namespace

int RunCommand(const CliRequest& request, std::ostream& out, std::ostream& err) {
    g_program = request.program;
    switch (request.command) {
        case CliRequest::Command::kList:
        case CliRequest::Command::kShow:
            return Read(request, out, err);
        case CliRequest::Command::kRestore:
            return Restore(request, out, err);
        default:
            return Write(request, out, err);
    }
}
