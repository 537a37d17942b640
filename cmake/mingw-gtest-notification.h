// GoogleTest's Notification class for mingw-w64's win32 thread model, which has no std::mutex or
// std::condition_variable: the same operations over a Win32 event. Forced into every translation
// unit that uses the cross-built GoogleTest (see the top-level CMakeLists.txt), together with
// GTEST_HAS_NOTIFICATION_, which tells GoogleTest the class already exists.
#pragma once

#ifdef __cplusplus
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : m_event(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { ::CloseHandle(m_event); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { ::SetEvent(m_event); }
    void WaitForNotification() { ::WaitForSingleObject(m_event, INFINITE); }

private:
    HANDLE m_event;
};

}  // namespace internal
}  // namespace testing
#endif
