#include "framework/term/VolumeFolders.h"

TermBackend::PathMapping VolumePathMapping(ImagePlatform& volume) {
    TermBackend::PathMapping mapping;
    mapping.toHost = [&volume](const std::string& programPath) {
        return volume.VolumePathOf(programPath);
    };
    mapping.toProgram = [](const std::string& volumePath) {
        return volumePath.empty() || volumePath[0] != '/'
                   ? std::string()
                   : ImagePlatform::ProgramPathOf(volumePath);
    };
    return mapping;
}

FolderSource VolumeFolders(ImagePlatform& volume) {
    FolderSource source;
    source.list = [&volume](const std::string& folder, std::vector<FolderSource::Entry>& entries) {
        std::vector<VolumeFolderEntry> listed;
        entries.clear();
        if (!volume.ListFolder(ImagePlatform::ProgramPathOf(folder), listed))
            return false;
        for (const VolumeFolderEntry& entry : listed)
            entries.push_back({entry.name, entry.folder});
        return true;
    };
    source.kind = [&volume](const std::string& path) {
        const DWORD attributes =
            volume.ReadFileAttributes(ImagePlatform::ProgramPathOf(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return FolderSource::Kind::kNone;
        return (attributes & 0x10) ? FolderSource::Kind::kFolder : FolderSource::Kind::kFile;
    };
    source.canonical = [&volume](const std::string& path) {
        const std::string resolved = volume.VolumePathOf(ImagePlatform::ProgramPathOf(path));
        return resolved.empty() ? std::string("/") : resolved;
    };
    source.start = [] { return std::string("/"); };
    return source;
}

void BrowseVolume(TermBackend& backend, ImagePlatform& volume) {
    backend.SetPathMapping(VolumePathMapping(volume));
    backend.SetFolderSource(VolumeFolders(volume));
}
