// ntfs-fixture: puts folders and files into an NTFS partition image for the tests, through
// libntfs-3g directly (the ntfsprogs tools have no verb for making a folder or setting the DOS
// attributes). Commands run in order on the partition file:
//
//   ntfs-fixture PARTITION [mkdir PATH] [put PATH HOSTFILE] [attrib PATH BITS] [link PATH NAME]
//                          [rm PATH] [dirty]
//
// BITS is the attribute word in hex (7: read-only, hidden and system); link gives a file a second
// name in its folder; dirty sets the volume's dirty flag, as Windows does when it wants chkdsk to
// run.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/image/NtfsHeaders.h"

namespace {

bool Fail(const std::string& what) {
    std::fprintf(stderr, "ntfs-fixture: %s\n", what.c_str());
    return false;
}

bool Create(ntfs_volume* volume, const std::string& path, mode_t type, ntfs_inode** created) {
    const size_t slash = path.find_last_of('/');
    const std::string parentPath = slash == 0 ? "/" : path.substr(0, slash);
    ntfs_inode* parent = ntfs_pathname_to_inode(volume, nullptr, parentPath.c_str());
    if (!parent)
        return Fail("no folder " + parentPath);
    ntfschar* name = nullptr;
    const int length = ntfs_mbstoucs(path.substr(slash + 1).c_str(), &name);
    *created = length > 0
                   ? ntfs_create(parent, const_cpu_to_le32(0), name, static_cast<u8>(length), type)
                   : nullptr;
    free(name);
    ntfs_inode_close(parent);
    return *created ? true : Fail("can't create " + path);
}

bool Put(ntfs_volume* volume, const std::string& path, const std::string& hostFile) {
    std::ifstream input(hostFile, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(input)),
                            std::istreambuf_iterator<char>());
    ntfs_inode* file = nullptr;
    if (!input && !input.eof())
        return Fail("can't read " + hostFile);
    if (!Create(volume, path, S_IFREG, &file))
        return false;
    ntfs_attr* data = ntfs_attr_open(file, AT_DATA, AT_UNNAMED, 0);
    const s64 size = static_cast<s64>(bytes.size());
    const bool written = data && ntfs_attr_pwrite(data, 0, size, bytes.data()) == size;
    if (data)
        ntfs_attr_close(data);
    return ntfs_inode_close(file) == 0 && written ? true : Fail("can't write " + path);
}

bool Attrib(ntfs_volume* volume, const std::string& path, const std::string& bits) {
    ntfs_inode* file = ntfs_pathname_to_inode(volume, nullptr, path.c_str());
    if (!file)
        return Fail("no file " + path);
    const u32 word = static_cast<u32>(std::strtoul(bits.c_str(), nullptr, 16));
    file->flags =
        static_cast<FILE_ATTR_FLAGS>(cpu_to_le32((le32_to_cpu(file->flags) & ~0x27u) | word));
    NInoSetDirty(file);
    NInoFileNameSetDirty(file);
    return ntfs_inode_close(file) == 0 ? true : Fail("can't set attributes of " + path);
}

// The folder and the name of a path, in libntfs-3g's terms; false when one is missing.
struct Placed {
    ntfs_inode* parent = nullptr;
    ntfs_inode* file = nullptr;
    ntfschar* name = nullptr;
    int length = 0;
};
bool Place(ntfs_volume* volume, const std::string& path, Placed& placed) {
    const size_t slash = path.find_last_of('/');
    placed.parent =
        ntfs_pathname_to_inode(volume, nullptr, slash == 0 ? "/" : path.substr(0, slash).c_str());
    placed.length = ntfs_mbstoucs(path.substr(slash + 1).c_str(), &placed.name);
    placed.file = placed.parent ? ntfs_pathname_to_inode(volume, placed.parent,
                                                         path.substr(slash + 1).c_str())
                                : nullptr;
    return placed.parent && placed.length > 0;
}

bool Link(ntfs_volume* volume, const std::string& path, const std::string& name) {
    Placed file;
    ntfschar* second = nullptr;
    const int length = ntfs_mbstoucs(name.c_str(), &second);
    const bool linked = Place(volume, path, file) && file.file && length > 0 &&
                        ntfs_link(file.file, file.parent, second, static_cast<u8>(length)) == 0;
    for (ntfs_inode* inode : {file.file, file.parent}) {
        if (inode)
            ntfs_inode_close(inode);
    }
    free(file.name);
    free(second);
    return linked ? true : Fail("can't link " + path + " as " + name);
}

bool Remove(ntfs_volume* volume, const std::string& path) {
    Placed file;
    if (!Place(volume, path, file) || !file.file) {
        if (file.parent)
            ntfs_inode_close(file.parent);
        free(file.name);
        return Fail("no file " + path);
    }
    // ntfs_delete closes both inodes.
    const bool removed = ntfs_delete(volume, path.c_str(), file.file, file.parent, file.name,
                                     static_cast<u8>(file.length)) == 0;
    free(file.name);
    return removed ? true : Fail("can't remove " + path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Fail("usage: ntfs-fixture PARTITION [COMMAND ARGUMENTS]..."), 2;
    ntfs_volume* volume = ntfs_mount(argv[1], NTFS_MNT_NONE);
    if (!volume)
        return Fail(std::string("can't mount ") + argv[1]), 1;
    bool ok = true;
    for (int i = 2; ok && i < argc; ++i) {
        const std::string command = argv[i];
        if (command == "mkdir" && i + 1 < argc) {
            ntfs_inode* folder = nullptr;
            ok = Create(volume, argv[++i], S_IFDIR, &folder) && ntfs_inode_close(folder) == 0;
        } else if (command == "put" && i + 2 < argc) {
            ok = Put(volume, argv[i + 1], argv[i + 2]);
            i += 2;
        } else if (command == "attrib" && i + 2 < argc) {
            ok = Attrib(volume, argv[i + 1], argv[i + 2]);
            i += 2;
        } else if (command == "link" && i + 2 < argc) {
            ok = Link(volume, argv[i + 1], argv[i + 2]);
            i += 2;
        } else if (command == "rm" && i + 1 < argc) {
            ok = Remove(volume, argv[++i]);
        } else if (command == "dirty") {
            ok = ntfs_volume_write_flags(volume, volume->flags | VOLUME_IS_DIRTY) == 0;
        } else {
            ok = Fail("unknown command " + command);
        }
    }
    return ntfs_umount(volume, FALSE) == 0 && ok ? 0 : 1;
}
