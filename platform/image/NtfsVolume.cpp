#include "platform/image/NtfsVolume.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/image/NtfsHeaders.h"
#include "platform/image/NtfsPartitionDevice.h"

namespace {

// A name in libntfs-3g's UTF-16; empty for a name it can't hold.
struct WideName {
    ntfschar* text = nullptr;
    int length = 0;
    explicit WideName(const std::string& name) {
        length = ntfs_mbstoucs(name.c_str(), &text);
        if (length <= 0 || length > 255) {
            free(text);
            text = nullptr;
            length = 0;
        }
    }
    ~WideName() { free(text); }
    WideName(const WideName&) = delete;
    WideName& operator=(const WideName&) = delete;
    bool Valid() const { return text != nullptr; }
};

void SplitPath(const std::string& path, std::string& parent, std::string& name) {
    const size_t slash = path.find_last_of('/');
    parent = slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// Closes an inode when it goes out of scope, unless released.
struct InodeHold {
    ntfs_inode* inode;
    explicit InodeHold(ntfs_inode* held) : inode(held) {}
    ~InodeHold() {
        if (inode)
            ntfs_inode_close(inode);
    }
    InodeHold(const InodeHold&) = delete;
    InodeHold& operator=(const InodeHold&) = delete;
    ntfs_inode* Release() {
        ntfs_inode* held = inode;
        inode = nullptr;
        return held;
    }
    bool Close() { return ntfs_inode_close(Release()) == 0; }
};

struct FolderReading {
    struct Item {
        std::string name;
        MFT_REF reference;
        unsigned type;
    };
    std::vector<Item> items;
};

int CollectEntry(void* context, const ntfschar* name, const int nameLength, const int nameType,
                 const s64, const MFT_REF reference, const unsigned type) {
    // A file with a long name also has a DOS name: list each file once.
    if (nameType == FILE_NAME_DOS)
        return 0;
    char* text = nullptr;
    if (ntfs_ucstombs(name, nameLength, &text, 0) < 0)
        return 0;
    std::string converted = text;
    free(text);
    if (converted == "." || converted == ".." || MREF(reference) < FILE_first_user)
        return 0;
    static_cast<FolderReading*>(context)->items.push_back({converted, reference, type});
    return 0;
}

}  // namespace

std::unique_ptr<NtfsVolume> NtfsVolume::Open(const std::string& rawPath, std::uint64_t offset,
                                             std::uint64_t length, bool readOnly, Refusal& refusal,
                                             std::string& error) {
    ntfs_log_set_handler(ntfs_log_handler_null);
    refusal = Refusal::kNone;
    struct ntfs_device* device = AllocatePartitionDevice(rawPath, offset, length);
    if (!device) {
        refusal = Refusal::kUnreadable;
        error = "Not enough memory to open the NTFS file system.";
        return nullptr;
    }
    ntfs_volume* volume = ntfs_device_mount(device, readOnly ? NTFS_MNT_RDONLY : NTFS_MNT_NONE);
    if (!volume) {
        const int reason = errno;
        FreePartitionDevice(device);
        switch (reason) {
            case EPERM:
                refusal = Refusal::kHibernated;
                error =
                    "Windows is hibernated on this NTFS volume (or shut down with fast start-up), "
                    "so its files may still change when it resumes. Tarnwick does not write it: "
                    "start Windows and shut it down fully, or open the image read-only to view it.";
                break;
            case EOPNOTSUPP:
                refusal = Refusal::kUnclean;
                error =
                    "Windows did not close this NTFS volume cleanly: changes are still waiting in "
                    "its journal. Tarnwick does not write it: start Windows and shut it down "
                    "fully, or open the image read-only to view it.";
                break;
            case EINVAL:
                refusal = Refusal::kNotNtfs;
                error = "This is not an NTFS file system Tarnwick can read.";
                break;
            default:
                refusal = Refusal::kUnreadable;
                error =
                    std::string("The NTFS file system can't be read: ") + strerror(reason) + ".";
                break;
        }
        return nullptr;
    }
    std::unique_ptr<NtfsVolume> opened(new NtfsVolume);
    opened->m_volume = volume;
    opened->m_readOnly = readOnly;
    if (volume->flags & VOLUME_IS_DIRTY) {
        if (!readOnly) {
            refusal = Refusal::kCheckScheduled;
            error =
                "Windows marked this NTFS volume for a disk check (its dirty flag is set). "
                "Tarnwick does not write it: let Windows run chkdsk on it first, or open the image "
                "read-only to view it.";
            return nullptr;
        }
        opened->m_writeRefusal = "Windows marked this NTFS volume for a disk check.";
    } else if (readOnly && ntfs_volume_check_hiberfile(volume, 0) < 0 && errno == EPERM) {
        opened->m_writeRefusal = "Windows is hibernated on this NTFS volume.";
    }
    return opened;
}

NtfsVolume::~NtfsVolume() {
    if (m_volume) {
        void* range = m_volume->dev->d_private;
        ntfs_umount(m_volume, FALSE);  // frees the device too
        FreePartitionRange(range);
    }
}

std::string NtfsVolume::Label() const {
    return m_volume->vol_name ? std::string(m_volume->vol_name) : std::string();
}

bool NtfsVolume::Sync() {
    return ntfs_device_sync(m_volume->dev) == 0;
}

bool NtfsVolume::List(const std::string& folder, std::vector<VolumeEntry>& entries) {
    entries.clear();
    InodeHold directory(ntfs_pathname_to_inode(m_volume, nullptr, folder.c_str()));
    if (!directory.inode || !(directory.inode->mrec->flags & MFT_RECORD_IS_DIRECTORY))
        return false;
    FolderReading reading;
    s64 position = 0;
    if (ntfs_readdir(directory.inode, &position, &reading, CollectEntry) != 0)
        return false;
    for (const FolderReading::Item& item : reading.items) {
        VolumeEntry entry;
        entry.name = item.name;
        entry.folder = item.type == NTFS_DT_DIR;
        InodeHold inode(ntfs_inode_open(m_volume, item.reference));
        if (!inode.inode)
            return false;
        const VolumeAttributes flags = le32_to_cpu(inode.inode->flags);
        entry.attributes = flags & (kVolumeAttributeBits | kVolumeReparsePoint);
        if (inode.inode->mrec->flags & MFT_RECORD_IS_DIRECTORY)
            entry.folder = true;
        entries.push_back(entry);
    }
    return true;
}

bool NtfsVolume::Read(const std::string& path, std::string& bytes) {
    bytes.clear();
    InodeHold inode(ntfs_pathname_to_inode(m_volume, nullptr, path.c_str()));
    if (!inode.inode)
        return false;
    ntfs_attr* data = ntfs_attr_open(inode.inode, AT_DATA, AT_UNNAMED, 0);
    if (!data)
        return false;
    bytes.resize(static_cast<size_t>(data->data_size));
    s64 done = 0;
    while (done < data->data_size) {
        const s64 got = ntfs_attr_pread(data, done, data->data_size - done, &bytes[done]);
        if (got <= 0)
            break;
        done += got;
    }
    ntfs_attr_close(data);
    return done == static_cast<s64>(bytes.size());
}

bool NtfsVolume::Write(const std::string& path, const std::string& bytes) {
    if (m_readOnly)
        return false;
    std::string parentPath, name;
    SplitPath(path, parentPath, name);
    InodeHold parent(ntfs_pathname_to_inode(m_volume, nullptr, parentPath.c_str()));
    if (!parent.inode)
        return false;
    InodeHold file(ntfs_pathname_to_inode(m_volume, parent.inode, name.c_str()));
    if (!file.inode) {
        WideName wide(name);
        if (!wide.Valid())
            return false;
        // No security id: libntfs-3g gives the file a descriptor that lets everyone in.
        file.inode = ntfs_create(parent.inode, const_cpu_to_le32(0), wide.text,
                                 static_cast<u8>(wide.length), S_IFREG);
        if (!file.inode)
            return false;
    }
    ntfs_attr* data = ntfs_attr_open(file.inode, AT_DATA, AT_UNNAMED, 0);
    if (!data)
        return false;
    bool written = ntfs_attr_truncate(data, 0) == 0;
    s64 done = 0;
    const auto size = static_cast<s64>(bytes.size());
    while (written && done < size) {
        const s64 put = ntfs_attr_pwrite(data, done, size - done, bytes.data() + done);
        if (put <= 0)
            written = false;
        else
            done += put;
    }
    ntfs_attr_close(data);
    // As Windows does for a write: the file's change and modification times move.
    ntfs_inode_update_times(file.inode, static_cast<ntfs_time_update_flags>(NTFS_UPDATE_MCTIME));
    NInoFileNameSetDirty(file.inode);
    const bool closed = ntfs_inode_close_in_dir(file.Release(), parent.inode) == 0;
    const bool parentClosed = parent.Close();
    return written && closed && parentClosed && Sync();
}

bool NtfsVolume::SetAttributes(const std::string& path, VolumeAttributes attributes) {
    if (m_readOnly)
        return false;
    InodeHold inode(ntfs_pathname_to_inode(m_volume, nullptr, path.c_str()));
    if (!inode.inode)
        return false;
    const u32 kept = le32_to_cpu(inode.inode->flags) & ~kVolumeAttributeBits;
    inode.inode->flags =
        static_cast<FILE_ATTR_FLAGS>(cpu_to_le32(kept | (attributes & kVolumeAttributeBits)));
    ntfs_inode_update_times(inode.inode, NTFS_UPDATE_CTIME);
    NInoSetDirty(inode.inode);
    NInoFileNameSetDirty(inode.inode);
    return inode.Close() && Sync();
}

bool NtfsVolume::Rename(const std::string& from, const std::string& to) {
    if (m_readOnly)
        return false;
    std::string parentPath, name, toParent, toName;
    SplitPath(from, parentPath, name);
    SplitPath(to, toParent, toName);
    WideName wide(toName);
    if (toParent != parentPath || !wide.Valid())
        return false;
    {
        InodeHold parent(ntfs_pathname_to_inode(m_volume, nullptr, parentPath.c_str()));
        if (!parent.inode)
            return false;
        InodeHold file(ntfs_pathname_to_inode(m_volume, parent.inode, name.c_str()));
        if (!file.inode)
            return false;
        if (ntfs_link(file.inode, parent.inode, wide.text, static_cast<u8>(wide.length)) != 0)
            return false;
        const bool closed = ntfs_inode_close_in_dir(file.Release(), parent.inode) == 0;
        if (!parent.Close() || !closed || !Sync())
            return false;
    }
    // Both names lead to the file now; the old one goes.
    return Remove(from);
}

bool NtfsVolume::Remove(const std::string& path) {
    if (m_readOnly)
        return false;
    std::string parentPath, name;
    SplitPath(path, parentPath, name);
    WideName wide(name);
    if (!wide.Valid())
        return false;
    ntfs_inode* parent = ntfs_pathname_to_inode(m_volume, nullptr, parentPath.c_str());
    if (!parent)
        return false;
    ntfs_inode* file = ntfs_pathname_to_inode(m_volume, parent, name.c_str());
    if (!file) {
        ntfs_inode_close(parent);
        return false;
    }
    // ntfs_delete closes both inodes, whatever the outcome.
    const bool removed = ntfs_delete(m_volume, path.c_str(), file, parent, wide.text,
                                     static_cast<u8>(wide.length)) == 0;
    return removed && Sync();
}

bool NtfsVolume::SameData(const std::string& a, const std::string& b, bool& same) {
    InodeHold first(ntfs_pathname_to_inode(m_volume, nullptr, a.c_str()));
    InodeHold second(ntfs_pathname_to_inode(m_volume, nullptr, b.c_str()));
    if (!first.inode || !second.inode)
        return false;
    same = first.inode->mft_no == second.inode->mft_no;
    return true;
}
