#include "framework/term/ChoicePrompt.h"

#include <istream>
#include <ostream>

bool AskForChoice(const std::string& question, std::size_t count, std::istream& in,
                  std::ostream& out, std::size_t& chosen) {
    for (;;) {
        out << question << " [" << (count == 1 ? "1" : "1-" + std::to_string(count))
            << ", q to quit]: " << std::flush;
        std::string answer;
        if (!std::getline(in, answer) || answer == "q" || answer == "Q" || answer.empty())
            return false;
        try {
            std::size_t used = 0;
            const unsigned long choice = std::stoul(answer, &used);
            if (used == answer.size() && choice >= 1 && choice <= count) {
                chosen = choice - 1;
                return true;
            }
        } catch (const std::exception&) {
            // not a number: ask again
        }
        out << "Please answer with a number from 1 to " << count << ".\n";
    }
}
