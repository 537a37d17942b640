#include "framework/win32/tests/WineTestSupport.h"

#include <fstream>
#include <iterator>
#include <string>

const char kBootIni[] = "C:\\BOOT.INI";
const char kStaging[] = "C:\\BOOT.TMP";
const char kBackup[] = "C:\\BOOT.BAK";
const DWORD kProtected = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

const char kFixture[] =
    "[boot loader]\r\n"
    "timeout=30\r\n"
    "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
    "[operating systems]\r\n"
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" "
    "/noexecute=optin /fastdetect\r\n"
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Windows XP Debug\" /fastdetect /debug "
    "/debugport=com2 /baudrate=115200\r\n"
    "C:\\CMDCONS\\BOOTSECT.DAT=\"Microsoft Windows Recovery Console\" /cmdcons\r\n";

std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

std::string ReadWholeFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool Exists(const char* path) {
    return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

DWORD AttributesOf(const char* path) {
    const DWORD attributes = ::GetFileAttributesA(path);
    return attributes == INVALID_FILE_ATTRIBUTES ? attributes : attributes & kProtected;
}

void RemoveFile(const char* path) {
    ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(path);
}

bool WriteFixtureFile(const char* path, const std::string& content, DWORD attributes) {
    RemoveFile(path);
    {
        std::ofstream file(path, std::ios::binary);
        file << content;
        if (!file)
            return false;
    }
    return ::SetFileAttributesA(path, attributes) != FALSE;
}

LRESULT SendHelpRequest(HWND dialog, int controlId, int x, int y) {
    HELPINFO info = {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = controlId;
    info.hItemHandle = ::GetDlgItem(dialog, controlId);
    info.MousePos.x = x;
    info.MousePos.y = y;
    return ::SendMessageA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

namespace {

struct TitleSearch {
    std::string caption;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<TitleSearch*>(context);
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32770" || !::IsWindowVisible(window))
        return TRUE;
    char title[512] = {};
    ::GetWindowTextA(window, title, sizeof title);
    const std::string text = title;
    if (text == search->caption || text.rfind(search->caption + " - ", 0) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindDialogByTitle(const char* caption) {
    TitleSearch search;
    search.caption = caption;
    ::EnumWindows(&MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
