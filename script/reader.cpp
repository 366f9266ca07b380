#include "script/reader.h"

#include <cctype>

#include "script/types.h"

namespace tamrilo::script {

std::vector<std::string> split_words(const std::string& text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            const std::size_t end = text.find('"', i + 1);
            if (end == std::string::npos) throw ScriptError("unterminated quotation");
            words.push_back(text.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            std::size_t end = i;
            while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
            words.push_back(text.substr(i, end - i));
            i = end;
        }
    }
    return words;
}

bool ScriptReader::next(ScriptLine& line) {
    std::string text;
    while (std::getline(in_, text)) {
        ++number_;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (number_ == 1) {
            // Notepad starts UTF-8 files with a byte-order mark; UTF-16 is a different encoding
            // altogether, which no word of the language could be read from.
            if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
            if (text.rfind("\xFF\xFE", 0) == 0 || text.rfind("\xFE\xFF", 0) == 0) {
                throw ScriptError("the script is UTF-16 text; save it as UTF-8");
            }
        }
        // UTF-16 without a byte-order mark: every other byte of its Latin text is 0.
        if (text.find('\0') != std::string::npos) {
            throw ScriptError("the script holds zero bytes, as UTF-16 text does; save it as UTF-8");
        }
        line.words = split_words(text);
        if (line.words.empty()) continue;
        line.number = number_;
        return true;
    }
    return false;
}

}  // namespace tamrilo::script
