// The open-file dialog of the terminal back-end: a folder's entries in a list, a file-name field,
// Open and Cancel. It browses Linux folders and matches names without regard to case, since the
// folders it is opened in belong to a Windows drive.
//
// Enter or Open on a folder's name (or "..") goes into that folder; on a file's name it chooses
// that file. With "file must exist", a name that matches no file is refused with a message and
// the dialog stays open, as the Windows dialog does.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <final/final.h>

class TermFileDialog final : public finalcut::FDialog {
public:
    // describeFolder names a Linux folder for the user (as "C:\\WINDOWS\\system32" on the drive);
    // an empty answer shows the Linux path.
    TermFileDialog(finalcut::FWidget* parent, const std::string& folder, const std::string& name,
                   bool fileMustExist, bool pathMustExist,
                   std::function<std::string(const std::string&)> describeFolder = nullptr);

    // Runs the dialog; true with the chosen file's Linux path.
    bool Choose(std::string& hostPath);

    void onKeyPress(finalcut::FKeyEvent* event) override;

private:
    struct Entry {
        std::string name;
        bool folder = false;
    };

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
    bool m_fileMustExist;
    bool m_pathMustExist;
    bool m_filling = false;
    bool m_accepted = false;
    std::string m_chosen;
};
