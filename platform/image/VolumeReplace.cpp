#include "platform/image/VolumeReplace.h"

#include <cctype>
#include <map>

#include "platform/posix/DriveFolder.h"

namespace {

const char kWriting[] = "~TW";
const char kReady[] = "~TR";

std::string Join(const std::string& folder, const std::string& name) {
    return (folder == "/" || folder.empty() ? std::string() : folder) + "/" + name;
}

bool HasUpperCase(const std::string& name) {
    for (char c : name) {
        if (std::isupper(static_cast<unsigned char>(c)))
            return true;
    }
    return false;
}

std::string Prefixed(const char* prefix, const std::string& name) {
    std::string start = prefix;
    if (!HasUpperCase(name)) {
        for (char& c : start)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return start + name;
}

// The target of a temporary name, or empty when the name is not one of kind prefix.
std::string TargetOf(const std::string& name, const char* prefix) {
    const std::string start(prefix);
    if (name.size() <= start.size() || !EqualIgnoringCase(name.substr(0, start.size()), start))
        return std::string();
    return name.substr(start.size());
}

const VolumeEntry* FindEntry(const std::vector<VolumeEntry>& entries, const std::string& name) {
    const VolumeEntry* found = nullptr;
    for (const VolumeEntry& entry : entries) {
        if (entry.name == name)
            return &entry;
        if (EqualIgnoringCase(entry.name, name) && (!found || entry.name < found->name))
            found = &entry;
    }
    return found;
}

// Two names of one file: drops the extra one where the file system can.
bool DropSecondName(VolumeFiles& files, const std::string& keep, const std::string& drop,
                    std::string& error) {
    if (files.RemoveSecondName(drop))
        return true;
    error = "A replacement of " + keep.substr(keep.find_last_of('/') + 1) +
            " was cut short inside the file system, which left two names on one file (" +
            drop.substr(drop.find_last_of('/') + 1) +
            "). Tarnwick does not write this volume until a disk check (chkdsk, or fsck.fat) has "
            "repaired it.";
    return false;
}

}  // namespace

TemporaryNames TemporaryNamesFor(const std::string& targetName) {
    return {Prefixed(kWriting, targetName), Prefixed(kReady, targetName)};
}

bool ReplaceOnVolume(VolumeFiles& files, const std::string& folder, const std::string& targetName,
                     bool targetExists, const std::string& bytes, VolumeAttributes attributes,
                     const std::function<bool(VolumeReplaceStep)>& hook) {
    const TemporaryNames names = TemporaryNamesFor(targetName);
    const std::string target = Join(folder, targetName);
    const std::string writing = Join(folder, names.writing);
    const std::string ready = Join(folder, names.ready);
    const auto step = [&hook](VolumeReplaceStep done) { return !hook || hook(done); };

    // An open of the volume finished or undid every earlier replace: a ready file left now is
    // not this replace's to remove.
    std::vector<VolumeEntry> entries;
    if (!files.List(folder, entries) || FindEntry(entries, names.ready))
        return false;
    if (!files.Write(writing, bytes) || !files.SetAttributes(writing, attributes) ||
        !step(VolumeReplaceStep::kNewWritten)) {
        files.Remove(writing);
        return false;
    }
    if (!files.Rename(writing, ready)) {
        files.Remove(writing);
        return false;
    }
    if (!step(VolumeReplaceStep::kNewReady)) {
        files.Remove(ready);
        return false;
    }
    // From here on the new content is whole on the disk: a failure is finished by the next open.
    if (targetExists && !files.Remove(target))
        return false;
    step(VolumeReplaceStep::kTargetRemoved);
    if (!files.Rename(ready, target))
        return false;
    step(VolumeReplaceStep::kRenamed);
    return true;
}

bool FinishInterruptedReplaces(VolumeFiles& files, const std::string& folder,
                               const std::vector<VolumeEntry>& entries,
                               std::vector<std::string>& notes, std::string& error) {
    // Writing names first: a ready name of the same target decides what is kept.
    for (const VolumeEntry& entry : entries) {
        const std::string target = TargetOf(entry.name, kWriting);
        if (target.empty() || entry.folder)
            continue;
        const std::string writing = Join(folder, entry.name);
        const VolumeEntry* ready = FindEntry(entries, TemporaryNamesFor(target).ready);
        bool same = false;
        if (ready && files.SameData(writing, Join(folder, ready->name), same) && same) {
            if (!DropSecondName(files, Join(folder, ready->name), writing, error))
                return false;
        } else if (!files.Remove(writing)) {
            error = "A partly written new " + target + " (" + entry.name +
                    ") can't be removed from the volume.";
            return false;
        }
        notes.push_back(target + ": a new file that was not yet whole was removed; " + target +
                        " is as it was.");
    }
    for (const VolumeEntry& entry : entries) {
        const std::string targetName = TargetOf(entry.name, kReady);
        if (targetName.empty() || entry.folder)
            continue;
        const std::string ready = Join(folder, entry.name);
        const VolumeEntry* existing = FindEntry(entries, targetName);
        const std::string target = Join(folder, existing ? existing->name : targetName);
        if (existing) {
            bool same = false;
            if (!files.SameData(ready, target, same)) {
                error = "The new " + targetName + " (" + entry.name + ") can't be read.";
                return false;
            }
            if (same) {
                if (!DropSecondName(files, target, ready, error))
                    return false;
                notes.push_back(targetName + ": the new file was already in place.");
                continue;
            }
            if (!files.Remove(target)) {
                error = "The old " + targetName + " can't be removed to put the new one in place.";
                return false;
            }
        }
        if (!files.Rename(ready, target)) {
            error = "The new " + targetName + " (" + entry.name + ") can't be put in place.";
            return false;
        }
        notes.push_back(targetName + ": the new file, already whole, was put in place.");
    }
    return true;
}
