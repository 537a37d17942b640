// The last place the mouse was seen in the terminal (0-based cells). A terminal reports the mouse
// only with its clicks; until the first one there is no position, and help popups then appear
// at the focused control instead.
#pragma once

void RememberMousePosition(int x, int y);
bool LastMousePosition(int& x, int& y);
