// The open-file dialog of the terminal back-end: a folder's entries in a list, a file-name field,
// Open and Cancel. It browses the folders of a folder source: by default the Linux folders, or the
// folders of a file system inside a disk image, which the entry point lists through the platform.
// Names match without regard to case, since the folders belong to a Windows drive.
//
// Enter or Open on a folder's name (or "..") goes into that folder; on a file's name it chooses
// that file. With "file must exist", a name that matches no file is refused with a message and
// the dialog stays open, as the Windows dialog does.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <final/final.h>

// Where the dialog's folders come from. Paths are absolute and separated by "/", in the Linux file
// system or inside the disk image.
struct FolderSource {
    struct Entry {
        std::string name;
        bool folder = false;
    };
    enum class Kind { kNone, kFile, kFolder };
    // The folder's entries without "." and ".."; false when it can't be read.
    std::function<bool(const std::string& folder, std::vector<Entry>& entries)> list;
    std::function<Kind(const std::string& path)> kind;
    // The path with "." and ".." (and, on Linux, links) resolved.
    std::function<std::string(const std::string& path)> canonical;
    // Where the dialog opens when the folder it was given is none.
    std::function<std::string()> start;
};
// The Linux file system, starting in the current directory.
FolderSource HostFolders();

class TermFileDialog final : public finalcut::FDialog {
public:
    // describeFolder names a folder for the user (as "C:\\WINDOWS\\system32" on the drive); an
    // empty answer shows the path.
    TermFileDialog(finalcut::FWidget* parent, const std::string& folder, const std::string& name,
                   bool fileMustExist, bool pathMustExist,
                   std::function<std::string(const std::string&)> describeFolder = nullptr,
                   FolderSource folders = HostFolders());

    // Runs the dialog; true with the chosen file's path in the folder source.
    bool Choose(std::string& hostPath);

    void onKeyPress(finalcut::FKeyEvent* event) override;

private:
    using Entry = FolderSource::Entry;

    bool IsFolder(const std::string& path) const;
    bool IsFile(const std::string& path) const;
    // The entry of folder named name without regard to case that is of the given kind; empty
    // when there is none.
    std::string FindIgnoringCase(const std::string& folder, const std::string& name,
                                 FolderSource::Kind kind) const;
    void Complain(const std::string& text);
    void ReadFolder(const std::string& folder);
    void Confirm();
    void EntryChosen();
    void RowChanged();
    void ShowFolder();

    finalcut::FLabel m_folderLabel{this};
    finalcut::FListBox m_list{this};
    finalcut::FLabel m_nameLabel{this};
    finalcut::FLineEdit m_name{this};
    finalcut::FButton m_open{this};
    finalcut::FButton m_cancel{this};

    std::string m_folder;
    std::vector<Entry> m_entries;
    std::function<std::string(const std::string&)> m_describeFolder;
    FolderSource m_folders;
    bool m_fileMustExist;
    bool m_pathMustExist;
    bool m_filling = false;
    bool m_accepted = false;
    std::string m_chosen;
};
