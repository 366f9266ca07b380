// Reads a script line by line as written on any system: a UTF-8 byte-order mark, CRLF line
// endings and comments (a word starting with '#', to the end of the line) are accepted.
#pragma once

#include <istream>
#include <string>
#include <vector>

namespace tamrilo::script {

// Splits one line into words, dropping a trailing comment; throws ScriptError for an
// unterminated quotation.
std::vector<std::string> split_words(const std::string& text);

struct ScriptLine {
    int number = 0;                  // 1-based, in the file
    std::vector<std::string> words;  // never empty; "quoted text" is one word
};

class ScriptReader {
public:
    explicit ScriptReader(std::istream& in) : in_(in) {}
    // The next line that holds a command; false at the end of the script. Throws ScriptError
    // (without the line prefix) for a line that cannot be read; line() then names it.
    bool next(ScriptLine& line);
    int line() const { return number_; }

private:
    std::istream& in_;
    int number_ = 0;
};

}  // namespace tamrilo::script
