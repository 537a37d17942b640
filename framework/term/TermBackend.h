// The terminal back-end of the framework (FINAL CUT): dialogs laid out from their templates
// (TermLayout.h), message boxes, the open-file dialog, the help popup and the help text window.
//
// - Message boxes carry the application title as caption; since the toolkit has no icons, the
//   meaning of the stop and question icons is written as the box's headline ("Error",
//   "Question").
// - The open-file dialog browses the folders of a folder source (TermFileDialog.h): the Linux
//   folders, or those of a file system inside a disk image; the program's Windows paths go in and
//   come back through the path mapping the entry point installs.
// - Help: the one-line popups appear at the requested position and close with the next key or
//   click; the help file of the Windows program is replaced by a text shown in a scrollable
//   window.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <final/final.h>

#include "framework/Backend.h"
#include "framework/term/TermFileDialog.h"

class TermBackend : public IBackend {
public:
    explicit TermBackend(finalcut::FApplication& application);

    // Windows path -> Linux path, and back (an empty result: the path has no counterpart).
    struct PathMapping {
        std::function<std::string(const std::string& programPath)> toHost;
        std::function<std::string(const std::string& hostPath)> toProgram;
    };
    void SetPathMapping(PathMapping mapping) { m_paths = std::move(mapping); }
    // Where the open-file dialog's folders come from (the paths of the mapping's other side); the
    // Linux folders unless set.
    void SetFolderSource(FolderSource folders) { m_folders = std::move(folders); }
    // The text the Help button shows, and the title of its window.
    void SetHelpText(const std::string& title, const std::string& text);

    std::intptr_t RunModalDialog(CDialog& dialog, UINT templateId) override;
    int ShowMessageBox(LPCSTR text, LPCSTR caption, UINT type) override;
    HICON LoadIconResource(int resourceId) override;
    BOOL RunOpenFileDialog(OpenFileRequest& request) override;
    void ShowHelpTopic(LPCSTR helpFile) override;
    void ShowHelpPopup(IDialogWindow& owner, const HelpPopup& popup) override;
    void ShowHelpContextMenu(IDialogWindow& owner, int windowId, LPCSTR topicFile,
                             const void* idMap) override;
    BOOL QuitLegacyHelp(LPCSTR helpFile) override;

private:
    // The window that owns what opens next: the innermost open dialog, else the application
    // (which takes one child window only).
    finalcut::FWidget* Parent() const;
    void ShowPopup(const std::string& text, int x, int y);

    finalcut::FApplication& m_application;
    std::vector<finalcut::FWidget*> m_openDialogs;
    PathMapping m_paths;
    FolderSource m_folders = HostFolders();
    std::string m_helpTitle;
    std::string m_helpText;
};
