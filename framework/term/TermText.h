// The program's texts are 8-bit strings in the Windows ANSI code page (Western, 1252), as read
// from BOOT.INI; the terminal widgets hold Unicode. The conversion maps every byte to one
// character and back, so a label with bytes above 0x7F survives being shown and read back
// unchanged. A character the code page can't hold (typed by the user) becomes '?'.
#pragma once

#include <string>

#include <final/final.h>

finalcut::FString ToWidgetText(const std::string& text);
std::string FromWidgetText(const finalcut::FString& text);
