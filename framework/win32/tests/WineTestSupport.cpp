#include "framework/win32/tests/WineTestSupport.h"

#include <fstream>
#include <iterator>

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
