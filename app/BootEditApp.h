// The application object: refuses users who are not local administrators, warns that the tool can
// make the system unbootable, makes the staging copy of C:\BOOT.INI and runs the editor.
#pragma once

#include "framework/App.h"

class CBootEditApp : public CWinApp {
public:
    CBootEditApp();

    // Runs the whole program; always FALSE, so the framework ends when it returns.
    BOOL InitInstance() override;
    // TRUE when the caller's access token lists the built-in Administrators group.
    BOOL IsUserAdmin();
};
