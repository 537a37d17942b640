// Message maps: each dialog class binds control notifications and window messages to its member
// handlers in one table. The back-end turns what the user does into calls of CDialog's Handle...
// entry points, which look the handler up here. Each entry macro documents its handler's signature.
//
//   BEGIN_MESSAGE_MAP(CMyDlg)
//       ON_BN_CLICKED(1002, OnOptionChanged)
//   END_MESSAGE_MAP()
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "framework/Types.h"

class CDialog;
class CWnd;

// What a help request (F1, WM_HELP) carries.
struct HelpRequest {
    int contextType = HELPINFO_WINDOW;  // HELPINFO_WINDOW for a control or window
    int controlId = 0;                  // the control the request names
    CPoint mousePos;                    // screen position of the mouse when the request was made
    BOOL modifierHeld = FALSE;          // Shift, Ctrl or Alt held while F1 was pressed
};

struct MessageMapEntry {
    enum class Kind { kCommand, kSysCommand, kPaint, kQueryDragIcon, kHelpInfo, kContextMenu, kDestroy };
    Kind kind;
    int id;    // control or command id (kCommand)
    int code;  // notification code (kCommand)
    void (CDialog::*plain)();
    void (CDialog::*sysCommand)(UINT commandId, std::intptr_t parameter);
    HICON (CDialog::*dragIcon)();
    BOOL (CDialog::*helpInfo)(const HelpRequest& request);
    void (CDialog::*contextMenu)(CWnd* window, CPoint position);
};

struct MessageMap {
    const MessageMapEntry* entries;
    std::size_t count;
};

namespace message_map {
template <class Dialog>
void (CDialog::*AsPlain(void (Dialog::*handler)()))() {
    static_assert(std::is_base_of<CDialog, Dialog>::value, "handlers belong to a dialog class");
    return static_cast<void (CDialog::*)()>(handler);
}
template <class Dialog>
MessageMapEntry Command(int id, int code, void (Dialog::*handler)()) {
    return {MessageMapEntry::Kind::kCommand, id, code, AsPlain(handler), nullptr, nullptr, nullptr, nullptr};
}
template <class Dialog>
MessageMapEntry SysCommand(void (Dialog::*handler)(UINT, std::intptr_t)) {
    return {MessageMapEntry::Kind::kSysCommand, 0, 0, nullptr,
            static_cast<void (CDialog::*)(UINT, std::intptr_t)>(handler), nullptr, nullptr, nullptr};
}
template <class Dialog>
MessageMapEntry Paint(void (Dialog::*handler)()) {
    return {MessageMapEntry::Kind::kPaint, 0, 0, AsPlain(handler), nullptr, nullptr, nullptr, nullptr};
}
template <class Dialog>
MessageMapEntry Destroy(void (Dialog::*handler)()) {
    return {MessageMapEntry::Kind::kDestroy, 0, 0, AsPlain(handler), nullptr, nullptr, nullptr, nullptr};
}
template <class Dialog>
MessageMapEntry QueryDragIcon(HICON (Dialog::*handler)()) {
    return {MessageMapEntry::Kind::kQueryDragIcon, 0, 0, nullptr, nullptr,
            static_cast<HICON (CDialog::*)()>(handler), nullptr, nullptr};
}
template <class Dialog>
MessageMapEntry HelpInfo(BOOL (Dialog::*handler)(const HelpRequest&)) {
    return {MessageMapEntry::Kind::kHelpInfo, 0, 0, nullptr, nullptr, nullptr,
            static_cast<BOOL (CDialog::*)(const HelpRequest&)>(handler), nullptr};
}
template <class Dialog>
MessageMapEntry ContextMenu(void (Dialog::*handler)(CWnd*, CPoint)) {
    return {MessageMapEntry::Kind::kContextMenu, 0, 0, nullptr, nullptr, nullptr, nullptr,
            static_cast<void (CDialog::*)(CWnd*, CPoint)>(handler)};
}
}  // namespace message_map

// In the class: DECLARE_MESSAGE_MAP(). In its source file: BEGIN_MESSAGE_MAP ... END_MESSAGE_MAP.
#define DECLARE_MESSAGE_MAP() \
protected:                    \
    const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass)                      \
    const MessageMap* theClass::GetMessageMap() const {  \
        using ThisClass = theClass;                      \
        static const MessageMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                   \
    }                                                                       \
    ;                                                                       \
    static const MessageMap map = {entries, sizeof entries / sizeof entries[0]}; \
    return &map;                                                            \
    }

// void handler()
#define ON_BN_CLICKED(id, handler) message_map::Command<ThisClass>(id, BN_CLICKED, &ThisClass::handler),
// void handler()
#define ON_CBN_SELCHANGE(id, handler) \
    message_map::Command<ThisClass>(id, CBN_SELCHANGE, &ThisClass::handler),
// void handler()
#define ON_LBN_SELCHANGE(id, handler) \
    message_map::Command<ThisClass>(id, LBN_SELCHANGE, &ThisClass::handler),
// void handler()
#define ON_EN_UPDATE(id, handler) message_map::Command<ThisClass>(id, EN_UPDATE, &ThisClass::handler),
// void handler(): a command such as a button's click or a menu command
#define ON_COMMAND(id, handler) message_map::Command<ThisClass>(id, BN_CLICKED, &ThisClass::handler),
// void handler(UINT commandId, std::intptr_t parameter)
#define ON_WM_SYSCOMMAND(handler) message_map::SysCommand<ThisClass>(&ThisClass::handler),
// void handler()
#define ON_WM_PAINT(handler) message_map::Paint<ThisClass>(&ThisClass::handler),
// HICON handler()
#define ON_WM_QUERYDRAGICON(handler) message_map::QueryDragIcon<ThisClass>(&ThisClass::handler),
// BOOL handler(const HelpRequest& request); TRUE when handled
#define ON_WM_HELPINFO(handler) message_map::HelpInfo<ThisClass>(&ThisClass::handler),
// void handler(CWnd* window, CPoint position): window is the clicked window (id 0: the dialog)
#define ON_WM_CONTEXTMENU(handler) message_map::ContextMenu<ThisClass>(&ThisClass::handler),
// void handler()
#define ON_WM_DESTROY(handler) message_map::Destroy<ThisClass>(&ThisClass::handler),
