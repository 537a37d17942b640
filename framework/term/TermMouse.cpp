#include "framework/term/TermMouse.h"

namespace {
bool g_seen = false;
int g_x = 0;
int g_y = 0;
}  // namespace

void RememberMousePosition(int x, int y) {
    g_seen = true;
    g_x = x;
    g_y = y;
}

bool LastMousePosition(int& x, int& y) {
    if (!g_seen)
        return false;
    x = g_x;
    y = g_y;
    return true;
}
