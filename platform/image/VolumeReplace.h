// Replacing a file on a volume whose file system can't put a new file over an old one in one
// step (FAT through mtools: a remove and a rename; NTFS through libntfs-3g: no rename over an
// existing name), so that a crash at any moment leaves the old or the new file whole, and the
// next open of the volume finishes or undoes what the crash cut short.
//
// Two temporary names beside the target T, in T's letter case so that the final rename keeps
// it: the writing name "~TW" + T and the ready name "~TR" + T ("~TWBOOT.INI", "~trboot.ini").
// Steps and the states they leave:
//
//   1. the new content is written whole under the writing name, given its attributes and
//      flushed to the disk              T old, W new (or partial until flushed)   new-written
//   2. W is renamed to the ready name   T old, R new and whole                    new-ready
//   3. T is removed                     no T, R new and whole                     target-removed
//   4. R is renamed to T                T new                                     renamed
//
// What the next open does (FinishInterruptedReplaces), by the names it finds in the folder:
//   - W: it may be partial, and T is untouched: W is removed (the replace is undone);
//   - R and T: R is whole: T is removed and R renamed to T (the replace is finished);
//   - R alone: R is renamed to T (finished);
//   - two names of the same data (a rename cut short inside the file system: R and T, or W and
//     R): on NTFS the extra name is dropped and the file kept; on FAT, whose tools can't drop a
//     name without freeing its data, the volume is left as it is and reported for a disk check.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/image/ImageVolume.h"
#include "platform/image/VolumeFiles.h"

struct TemporaryNames {
    std::string writing;
    std::string ready;
};
TemporaryNames TemporaryNamesFor(const std::string& targetName);

// folder is a volume path ("/"); targetName the target's name as on disk when it exists, else
// as the program gave it. False with the target untouched when a step before its removal fails.
bool ReplaceOnVolume(VolumeFiles& files, const std::string& folder, const std::string& targetName,
                     bool targetExists, const std::string& bytes, VolumeAttributes attributes,
                     const std::function<bool(VolumeReplaceStep)>& hook);

// Finishes or undoes every replace in the folder that a crash cut short, given the folder's
// entries; notes get one line for each. False with the reason when one can't be finished.
bool FinishInterruptedReplaces(VolumeFiles& files, const std::string& folder,
                               const std::vector<VolumeEntry>& entries,
                               std::vector<std::string>& notes, std::string& error);
