// The scenario script format (described in README.md beside this file): one command a line, words
// separated by blanks, "quoted words" taken literally with "" standing for one quote, '#' starting
// a comment where a word could start, and "dialog TEMPLATE" ... "end" enclosing what the user
// does while that dialog is open.
#pragma once

#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

struct ScenarioWord {
    std::string text;
    bool quoted = false;
};

struct ScenarioStep {
    int line = 0;
    std::string command;              // the first word, lower-case
    std::vector<ScenarioWord> words;  // the words after it
    std::vector<ScenarioStep> block;  // "dialog": the steps up to its "end"
};

class ScenarioSyntaxError : public std::runtime_error {
public:
    ScenarioSyntaxError(int lineNumber, const std::string& message);
    int line;
};

// The steps of a script; throws ScenarioSyntaxError.
std::vector<ScenarioStep> ParseScenario(std::istream& input);

// The text with ASCII letters in lower case (commands and keywords are not case-sensitive).
std::string LowerCase(std::string text);

// The bytes a quoted word of "expect file ... bytes" stands for: \r, \n, \t, \\ and \xHH are
// escapes; any other backslash stands for itself. Throws std::invalid_argument for a bad \x.
std::string UnescapeBytes(const std::string& text);
// The bytes written back with those escapes (and a quote doubled), for printing.
std::string EscapeBytes(const std::string& bytes);
