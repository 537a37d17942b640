// Word wrap of the texts the terminal shows: static text, popups, message boxes, the help window.
#pragma once

#include <string>
#include <vector>

// Greedy word wrap to the given width; explicit line breaks are kept, words longer than the width
// are cut.
std::vector<std::string> WrapText(const std::string& text, int width);
// The lines of a message box's text on a terminal of that width: wrapped to a width that reads
// well (kMessageBoxTextWidth), and narrower where the terminal is, so the box fits its text
// instead of spanning the screen.
constexpr int kMessageBoxTextWidth = 60;
std::vector<std::string> MessageBoxLines(const std::string& text, int terminalColumns);
