#include "framework/term/TermFileDialog.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

using finalcut::FPoint;
using finalcut::FSize;

namespace {

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

std::string Parent(const std::string& folder) {
    const std::size_t slash = folder.find_last_of('/');
    if (slash == std::string::npos || slash == 0)
        return "/";
    return folder.substr(0, slash);
}

// Linux file names are in the locale's encoding (UTF-8), not the program's code page.
finalcut::FString HostText(const std::string& text) {
    return finalcut::FString(text);
}

std::string FromHostText(const finalcut::FString& text) {
    return text.toString();
}

std::string Trimmed(std::string text) {
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && text[start] == ' ')
        ++start;
    return text.substr(start);
}

}  // namespace

FolderSource HostFolders() {
    FolderSource source;
    source.list = [](const std::string& folder, std::vector<FolderSource::Entry>& entries) {
        entries.clear();
        DIR* directory = opendir(folder.c_str());
        if (!directory)
            return false;
        while (const dirent* item = readdir(directory)) {
            const std::string name = item->d_name;
            if (name == "." || name == "..")
                continue;
            struct stat info;
            const bool isFolder =
                stat(Join(folder, name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
            entries.push_back({name, isFolder});
        }
        closedir(directory);
        return true;
    };
    source.kind = [](const std::string& path) {
        struct stat info;
        if (stat(path.c_str(), &info) != 0)
            return FolderSource::Kind::kNone;
        return S_ISDIR(info.st_mode) ? FolderSource::Kind::kFolder : FolderSource::Kind::kFile;
    };
    source.canonical = [](const std::string& path) {
        char resolved[PATH_MAX];
        return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
    };
    source.start = [] {
        char current[PATH_MAX];
        return getcwd(current, sizeof current) ? std::string(current) : std::string("/");
    };
    return source;
}

TermFileDialog::TermFileDialog(finalcut::FWidget* parent, const std::string& folder,
                               const std::string& name, bool fileMustExist, bool pathMustExist,
                               std::function<std::string(const std::string&)> describeFolder,
                               FolderSource folders)
    : FDialog(parent),
      m_describeFolder(std::move(describeFolder)),
      m_folders(std::move(folders)),
      m_fileMustExist(fileMustExist),
      m_pathMustExist(pathMustExist) {
    setText("Open");
    setModal();
    setResizeable(false);
    const int columns = static_cast<int>(getDesktopWidth());
    const int rows = static_cast<int>(getDesktopHeight());
    const int width = std::min(columns, 60);
    const int height = std::min(rows, 20);
    setGeometry(FPoint{1 + (columns - width) / 2, 1 + (rows - height) / 2},
                FSize{static_cast<std::size_t>(width), static_cast<std::size_t>(height)});
    const auto inner = static_cast<std::size_t>(width - 4);
    m_folderLabel.setGeometry(FPoint{2, 1}, FSize{inner, 1});
    m_list.setGeometry(FPoint{2, 2}, FSize{inner, static_cast<std::size_t>(height - 8)});
    m_nameLabel.setText("File name:");
    m_nameLabel.setGeometry(FPoint{2, height - 5}, FSize{10, 1});
    m_name.setGeometry(FPoint{13, height - 5}, FSize{inner - 11, 1});
    m_name.unsetShadow();
    m_open.setText("Open");
    m_open.setShadow(false);
    m_open.setGeometry(FPoint{width - 24, height - 3}, FSize{10, 1});
    m_cancel.setText("Cancel");
    m_cancel.setShadow(false);
    m_cancel.setGeometry(FPoint{width - 12, height - 3}, FSize{10, 1});

    m_list.addCallback("row-changed", [this] { RowChanged(); });
    m_list.addCallback("clicked", [this] { EntryChosen(); });
    m_name.addCallback("activate", [this] { Confirm(); });
    m_open.addCallback("clicked", [this] { Confirm(); });
    m_cancel.addCallback("clicked", [this] { done(ResultCode::Reject); });

    std::string start = folder;
    if (start.empty() || !IsFolder(start))
        start = m_folders.start();
    ReadFolder(m_folders.canonical(start));
    m_name.setText(HostText(name));
    m_name.setFocus();
}

bool TermFileDialog::IsFolder(const std::string& path) const {
    return m_folders.kind(path) == FolderSource::Kind::kFolder;
}

bool TermFileDialog::IsFile(const std::string& path) const {
    return m_folders.kind(path) == FolderSource::Kind::kFile;
}

std::string TermFileDialog::FindIgnoringCase(const std::string& folder, const std::string& name,
                                             FolderSource::Kind kind) const {
    std::vector<Entry> entries;
    if (name.empty() || !m_folders.list(folder, entries))
        return std::string();
    for (const Entry& entry : entries) {
        if (strcasecmp(entry.name.c_str(), name.c_str()) == 0 &&
            entry.folder == (kind == FolderSource::Kind::kFolder))
            return Join(folder, entry.name);
    }
    return std::string();
}

bool TermFileDialog::Choose(std::string& hostPath) {
    exec();
    if (!m_accepted)
        return false;
    hostPath = m_chosen;
    return true;
}

void TermFileDialog::onKeyPress(finalcut::FKeyEvent* event) {
    if (finalcut::isEscapeKey(event->key())) {
        event->accept();
        done(ResultCode::Reject);
        return;
    }
    FDialog::onKeyPress(event);
}

void TermFileDialog::Complain(const std::string& text) {
    // The dialog's own title as caption; what the Windows dialog says with its warning icon.
    finalcut::FMessageBox box("Open", HostText(text), finalcut::FMessageBox::ButtonType::Ok,
                              finalcut::FMessageBox::ButtonType::Reject,
                              finalcut::FMessageBox::ButtonType::Reject, this);
    box.setHeadline("Warning");
    box.exec();
}

void TermFileDialog::ReadFolder(const std::string& folder) {
    std::vector<Entry> listed, entries;
    if (!m_folders.list(folder, listed)) {
        Complain("Can't open the folder " + folder + ".");
        return;
    }
    for (Entry& entry : listed) {
        if (!entry.name.empty() && entry.name[0] != '.')
            entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.folder != b.folder)
            return a.folder;
        return strcasecmp(a.name.c_str(), b.name.c_str()) < 0;
    });
    if (folder != "/")
        entries.insert(entries.begin(), Entry{"..", true});
    m_folder = folder;
    m_entries = std::move(entries);
    m_filling = true;
    m_list.clear();
    for (const Entry& entry : m_entries)
        m_list.insert(HostText(entry.folder ? "[" + entry.name + "]" : entry.name));
    m_filling = false;
    ShowFolder();
    m_list.redraw();
}

void TermFileDialog::ShowFolder() {
    const std::size_t room = m_folderLabel.getWidth();
    const std::string described = m_describeFolder ? m_describeFolder(m_folder) : std::string();
    std::string shown = "Look in: " + (described.empty() ? m_folder : described);
    if (shown.size() > room && room > 3)
        shown = "..." + shown.substr(shown.size() - (room - 3));
    m_folderLabel.setText(HostText(shown));
    m_folderLabel.redraw();
}

void TermFileDialog::RowChanged() {
    if (m_filling)
        return;
    const std::size_t row = m_list.currentItem();
    if (row == 0 || row > m_entries.size())
        return;
    const Entry& entry = m_entries[row - 1];
    if (!entry.folder) {
        m_name.setText(HostText(entry.name));
        m_name.redraw();
    }
}

void TermFileDialog::EntryChosen() {
    const std::size_t row = m_list.currentItem();
    if (row == 0 || row > m_entries.size())
        return;
    const Entry entry = m_entries[row - 1];
    if (entry.folder) {
        ReadFolder(entry.name == ".." ? Parent(m_folder) : Join(m_folder, entry.name));
        return;
    }
    m_name.setText(HostText(entry.name));
    Confirm();
}

void TermFileDialog::Confirm() {
    const std::string typed = Trimmed(FromHostText(m_name.getText()));
    if (typed.empty())
        return;
    std::string path = typed[0] == '/' ? typed : Join(m_folder, typed);
    if (typed == "..") {
        ReadFolder(Parent(m_folder));
        return;
    }
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    std::string name = path.substr(slash + 1);
    // The name as the folder spells it, when only the case differs.
    if (!name.empty() && !IsFolder(path) && !IsFile(path)) {
        const std::string found = FindIgnoringCase(folder, name, FolderSource::Kind::kFolder);
        if (!found.empty())
            path = found;
    }
    if (IsFolder(path)) {
        ReadFolder(m_folders.canonical(path));
        m_name.clear();
        m_name.redraw();
        return;
    }
    const bool exists =
        IsFile(path) || !FindIgnoringCase(folder, name, FolderSource::Kind::kFile).empty();
    if (m_pathMustExist && !IsFolder(folder)) {
        Complain(typed + "\nPath does not exist.\nCheck the path and try again.");
        return;
    }
    if (m_fileMustExist && !exists) {
        Complain(typed + "\nFile not found.\nCheck the file name and try again.");
        return;
    }
    // The name keeps the spelling the user gave, as on Windows, where names ignore case.
    m_chosen = Join(m_folders.canonical(folder), name);
    m_accepted = true;
    done(ResultCode::Accept);
}
