#include "framework/term/TermWrap.h"

#include <algorithm>

std::vector<std::string> WrapText(const std::string& text, int width) {
    width = std::max(1, width);
    std::vector<std::string> lines;
    auto trimRight = [](std::string& line) {
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
    };
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        // Words are separated by one blank; each further blank is an empty word, so runs of
        // blanks inside a line are kept.
        std::vector<std::string> words;
        std::size_t position = start;
        for (;;) {
            const std::size_t blank = std::min(text.find(' ', position), end);
            words.push_back(text.substr(position, blank - position));
            if (blank >= end)
                break;
            position = blank + 1;
        }
        std::string line;
        bool started = false;
        auto startLine = [&](std::string word) {
            while (static_cast<int>(word.size()) > width) {
                lines.push_back(word.substr(0, width));
                word.erase(0, width);
            }
            line = word;
            started = true;
        };
        for (const std::string& word : words) {
            if (!started) {
                startLine(word);
            } else if (!word.empty() && static_cast<int>(line.size() + 1 + word.size()) > width) {
                trimRight(line);
                lines.push_back(line);
                startLine(word);
            } else {
                line += ' ';
                line += word;
            }
        }
        trimRight(line);
        lines.push_back(line);
        if (end >= text.size())
            break;
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> MessageBoxLines(const std::string& text, int terminalColumns) {
    // The box's frame and margins take 8 columns; below 20 the text would be cut to pieces.
    const int room = std::max(20, terminalColumns - 8);
    return WrapText(text, std::min(room, kMessageBoxTextWidth));
}
