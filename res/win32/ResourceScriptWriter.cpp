// Writes the dialog part of the Windows resource script from the resource tables (res/), so the
// templates exist once: res/tarnwick.rc includes the file this program writes.
//
// Output, for each template: a DIALOGEX block whose controls are generic CONTROL statements with
// the table's class, styles (plus WS_CHILD | WS_VISIBLE) and positions; its init data as a
// DLGINIT block (type 240) in the framework's format: per entry the control id (16 bits), the
// message (16 bits), the data length (32 bits, written as two 16-bit words) and the text with its
// terminating zero, packed two bytes to a word; a 16-bit zero ends the block. Then the string
// table. Texts are written as resource-compiler string literals in code page 1252.
//
// Usage: ResourceScriptWriter OUTPUT.rc
#include <cstdio>
#include <string>

#include "framework/DialogTemplate.h"
#include "framework/WindowStyles.h"
#include "res/resource.h"

namespace {

const int kDialogIds[] = {IDD_ABOUTBOX, IDD_BOOTEDIT_DIALOG, IDD_WARNUSER, IDD_BOOTMENU,
                          IDD_NEWDEFAULT};
const int kStringIds[] = {IDS_ABOUTBOX, IDS_BOOTMENU};

std::string Quoted(const char* text) {
    std::string out = "\"";
    for (const char* p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '"') {
            out += "\"\"";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c >= 0x7f) {
            char octal[8];
            std::snprintf(octal, sizeof octal, "\\%03o", c);
            out += octal;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string Hex(unsigned long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", value);
    return text;
}

const char* ClassName(ControlKind kind) {
    switch (kind) {
        case ControlKind::kPushButton:
        case ControlKind::kDefPushButton:
        case ControlKind::kAutoCheckBox:
            return "Button";
        case ControlKind::kEdit:
            return "Edit";
        case ControlKind::kComboBox:
            return "ComboBox";
        case ControlKind::kListBox:
            return "ListBox";
        case ControlKind::kUpDown:
            return "msctls_updown32";
        case ControlKind::kStaticText:
        case ControlKind::kStaticIcon:
            return "Static";
    }
    return "Static";
}

bool IsNumber(const char* text) {
    if (!*text)
        return false;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9')
            return false;
    }
    return true;
}

// A static icon names its icon resource by number: written as a number, the compiler stores the
// ordinal, which is how the static control finds the icon.
std::string ControlText(const ControlTemplate& control) {
    if (control.kind == ControlKind::kStaticIcon && IsNumber(control.text))
        return control.text;
    return Quoted(control.text ? control.text : "");
}

void WriteDialog(std::string& out, const DialogTemplate& dialog) {
    out += std::to_string(dialog.id) + " DIALOGEX " + std::to_string(dialog.x) + ", " +
           std::to_string(dialog.y) + ", " + std::to_string(dialog.width) + ", " +
           std::to_string(dialog.height) + "\n";
    out += "STYLE " + Hex(dialog.style) + "\n";
    if (dialog.exStyle)
        out += "EXSTYLE " + Hex(dialog.exStyle) + "\n";
    out += "CAPTION " + Quoted(dialog.title) + "\n";
    if (dialog.fontName)
        out += "FONT " + std::to_string(dialog.fontSize) + ", " + Quoted(dialog.fontName) + "\n";
    out += "BEGIN\n";
    for (int i = 0; i < dialog.controlCount; ++i) {
        const ControlTemplate& control = dialog.controls[i];
        out += "    CONTROL " + ControlText(control) + ", " + std::to_string(control.id) + ", \"" +
               ClassName(control.kind) + "\", " + Hex(control.style | WS_CHILD | WS_VISIBLE) +
               ", " + std::to_string(control.x) + ", " + std::to_string(control.y) + ", " +
               std::to_string(control.width) + ", " + std::to_string(control.height) + ", " +
               Hex(control.exStyle) + "\n";
    }
    out += "END\n\n";
}

void WriteInitData(std::string& out, const DialogTemplate& dialog) {
    if (dialog.initDataCount == 0)
        return;
    out += std::to_string(dialog.id) + " DLGINIT\n";
    out += "BEGIN\n";
    for (int i = 0; i < dialog.initDataCount; ++i) {
        const InitDataEntry& entry = dialog.initData[i];
        const std::string text = entry.text ? entry.text : "";
        const std::size_t length = text.size() + 1;  // with the terminating zero
        char head[64];
        std::snprintf(head, sizeof head, "    %d, 0x%X, %u, 0,", entry.controlId, entry.message,
                      static_cast<unsigned>(length));
        out += head;
        out += "\n   ";
        for (std::size_t at = 0; at < length; at += 2) {
            const unsigned low = at < text.size() ? static_cast<unsigned char>(text[at]) : 0;
            if (at + 1 == length) {
                out += " \"\\000\",";  // the odd last byte is the terminating zero
                break;
            }
            const unsigned high =
                at + 1 < text.size() ? static_cast<unsigned char>(text[at + 1]) : 0;
            char word[16];
            std::snprintf(word, sizeof word, " 0x%04X,", (high << 8) | low);
            out += word;
        }
        out += "\n";
    }
    out += "    0\n";
    out += "END\n\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.rc\n", argv[0]);
        return 2;
    }
    std::string out =
        "// Generated by ResourceScriptWriter from the resource tables (res/Resources.cpp).\n"
        "// Do not edit: change the tables.\n"
        "#pragma code_page(1252)\n\n";
    for (int id : kDialogIds) {
        const DialogTemplate* dialog = FindDialogTemplate(id);
        if (!dialog) {
            std::fprintf(stderr, "no dialog template %d in the resource tables\n", id);
            return 1;
        }
        WriteDialog(out, *dialog);
        WriteInitData(out, *dialog);
    }
    out += "STRINGTABLE\nBEGIN\n";
    for (int id : kStringIds)
        out += "    " + std::to_string(id) + ", " + Quoted(FindStringResource(id)) + "\n";
    out += "END\n";

    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    if (std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "%s: write failed\n", argv[1]);
        return 1;
    }
    return 0;
}
