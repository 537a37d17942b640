// The commit of the staging file to C:\BOOT.INI when the editor closes with OK.
#pragma once

#include <optional>
#include <string>

#include "framework/Types.h"

// Backs C:\BOOT.INI up to C:\BOOT.BAK, replaces it with C:\BOOT.TMP and gives it the read-only,
// hidden and system attributes, telling the user of a step that fails. Both copies are made so
// that an interruption leaves the old or the new file whole, never a torn one. TRUE when
// C:\BOOT.INI holds the staging file with its attributes restored.
//
// Before anything is written: none of the three files may be a link (nothing is written through
// one), and when bootIniAtStart is known, C:\BOOT.INI must still hold it. If another program
// changed or removed the file meanwhile, the user chooses whether to commit; a changed file goes
// to the backup like any other.
BOOL CommitStagingFile(const std::optional<std::string>& bootIniAtStart = std::nullopt);

// Who answers the commit's questions and hears of its failures: the dialog asks the user in a
// message box, the command line follows its options and writes to the error stream.
class ICommitDecisions {
public:
    virtual ~ICommitDecisions() = default;
    // BOOT.INI no longer holds what the edits started from: whether to commit all the same.
    // question is the whole text for the user; removed tells which of the two cases it is.
    virtual BOOL CommitOverChange(const std::string& question, BOOL removed) = 0;
    // A step failed and the commit ends: the message says which and what became of the files.
    virtual void ReportFailure(const std::string& message) = 0;
};

// The same commit with its questions and failures sent to decisions. The caller holds the lock
// on the drive for the whole edit.
BOOL CommitStagingFile(const std::optional<std::string>& bootIniAtStart,
                       ICommitDecisions& decisions);
