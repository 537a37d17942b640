#include "ScenarioScript.h"

#include <cctype>
#include <cstdio>

namespace {

std::vector<ScenarioWord> SplitWords(const std::string& line, int lineNumber) {
    std::vector<ScenarioWord> words;
    size_t i = 0;
    for (;;) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        if (i >= line.size() || line[i] == '#')
            break;
        ScenarioWord word;
        if (line[i] == '"') {
            word.quoted = true;
            ++i;
            for (;;) {
                if (i >= line.size())
                    throw ScenarioSyntaxError(lineNumber, "unterminated quote");
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        word.text += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                word.text += line[i++];
            }
            if (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
                throw ScenarioSyntaxError(lineNumber, "a quoted word must end at a blank");
            }
        } else {
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
                word.text += line[i++];
            }
        }
        words.push_back(word);
    }
    return words;
}

}  // namespace

ScenarioSyntaxError::ScenarioSyntaxError(int lineNumber, const std::string& message)
    : std::runtime_error("line " + std::to_string(lineNumber) + ": " + message), line(lineNumber) {}

std::string LowerCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<ScenarioStep> ParseScenario(std::istream& input) {
    std::vector<ScenarioStep> topLevel;
    // The blocks being filled, innermost last.
    std::vector<std::vector<ScenarioStep>*> open{&topLevel};
    std::vector<int> openedAt;
    std::string line;
    int lineNumber = 0;
    while (std::getline(input, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<ScenarioWord> words = SplitWords(line, lineNumber);
        if (words.empty())
            continue;
        if (words[0].quoted)
            throw ScenarioSyntaxError(lineNumber, "a command can't be quoted");
        ScenarioStep step;
        step.line = lineNumber;
        step.command = LowerCase(words[0].text);
        step.words.assign(words.begin() + 1, words.end());
        if (step.command == "end") {
            if (open.size() == 1)
                throw ScenarioSyntaxError(lineNumber, "\"end\" without \"dialog\"");
            if (!step.words.empty())
                throw ScenarioSyntaxError(lineNumber, "\"end\" takes no words");
            open.pop_back();
            openedAt.pop_back();
            continue;
        }
        open.back()->push_back(step);
        if (step.command == "dialog") {
            open.push_back(&open.back()->back().block);
            openedAt.push_back(lineNumber);
        }
    }
    if (open.size() > 1) {
        throw ScenarioSyntaxError(openedAt.back(), "\"dialog\" without \"end\"");
    }
    return topLevel;
}

std::string UnescapeBytes(const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            bytes += text[i];
            continue;
        }
        char next = text[i + 1];
        switch (next) {
            case 'r':
                bytes += '\r';
                break;
            case 'n':
                bytes += '\n';
                break;
            case 't':
                bytes += '\t';
                break;
            case '\\':
                bytes += '\\';
                break;
            case 'x': {
                if (i + 3 >= text.size() ||
                    !std::isxdigit(static_cast<unsigned char>(text[i + 2])) ||
                    !std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
                    throw std::invalid_argument("\\x needs two hexadecimal digits");
                }
                bytes += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
                i += 2;
                break;
            }
            default:
                bytes += '\\';
                continue;  // the next character is read as itself
        }
        ++i;
    }
    return bytes;
}

std::string EscapeBytes(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        switch (c) {
            case '\r':
                text += "\\r";
                break;
            case '\n':
                text += "\\n";
                break;
            case '\t':
                text += "\\t";
                break;
            case '\\':
                text += "\\\\";
                break;
            case '"':
                text += "\"\"";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char hex[5];
                    std::snprintf(hex, sizeof hex, "\\x%02X", c);
                    text += hex;
                } else {
                    text += static_cast<char>(c);
                }
        }
    }
    return text;
}
