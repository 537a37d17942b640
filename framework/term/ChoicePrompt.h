// The terminal program's question before its screen starts: a numbered list the user picks one
// from by number, or q to quit.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

// Asks "QUESTION [1-N, q to quit]: " until the answer is a number from 1 to count; false when
// the user quits (q, an empty line, end of input). chosen is then from 0 to count - 1.
bool AskForChoice(const std::string& question, std::size_t count, std::istream& in,
                  std::ostream& out, std::size_t& chosen);
