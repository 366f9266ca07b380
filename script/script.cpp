#include "script/script.h"

#include <vector>

#include "script/commands.h"
#include "script/numbers.h"
#include "script/reader.h"
#include "script/runner.h"

namespace tamrilo::script {
namespace {

constexpr std::uint32_t kMaxRepeat = 1000000000u;

// Runs one line, prefixing its errors with the file and line.
void run_line(Runner& runner, const ScriptLine& line) {
    runner.line = line.number;
    try {
        command_of(line.words).run(runner, line.words);
    } catch (const ScriptError& e) {
        throw ScriptError(runner.where() + e.what());
    }
}

// A repeat block, read whole before it runs: its lines with nested blocks, and for every
// `repeat` the index of its `end`.
struct Block {
    std::vector<ScriptLine> lines;
    std::vector<std::size_t> end_of;
};

void run_lines(Runner& runner, const Block& block, std::size_t first, std::size_t last) {
    for (std::size_t i = first; i < last; ++i) {
        const ScriptLine& line = block.lines[i];
        if (line.words[0] != "repeat") {
            run_line(runner, line);
            continue;
        }
        const std::uint32_t count = parse_count(line.words[1], kMaxRepeat);
        for (std::uint32_t n = 0; n < count; ++n) run_lines(runner, block, i + 1, block.end_of[i]);
        i = block.end_of[i];
    }
}

class ScriptRun {
public:
    ScriptRun(std::istream& in, const std::string& file) : reader_(in), file_(file) {}

    // The next line, its command and argument count checked before anything runs.
    bool next(ScriptLine& line) {
        try {
            if (!reader_.next(line)) return false;
            const Command& command = command_of(line.words);
            if (command.name == std::string("repeat")) parse_count(line.words[1], kMaxRepeat);
            return true;
        } catch (const ScriptError& e) {
            throw ScriptError(file_ + ":" + std::to_string(reader_.line()) + ": " + e.what());
        }
    }

    // Lines run as they are read, so a long script is never held whole; a repeat block is read
    // to its end first, as it runs more than once.
    void run(Runner& runner) {
        ScriptLine line;
        while (next(line)) {
            if (line.words[0] == "end") fail(line, "'end' without 'repeat'");
            if (line.words[0] != "repeat") {
                run_line(runner, line);
                continue;
            }
            Block block = read_block(line);
            run_lines(runner, block, 0, block.lines.size());
        }
    }

private:
    Block read_block(const ScriptLine& first) {
        Block block;
        std::vector<std::size_t> open;
        block.lines.push_back(first);
        block.end_of.push_back(0);
        open.push_back(0);
        ScriptLine line;
        while (!open.empty()) {
            if (!next(line)) fail(block.lines[open.back()], "'repeat' without 'end'");
            block.lines.push_back(line);
            block.end_of.push_back(0);
            const std::size_t index = block.lines.size() - 1;
            if (line.words[0] == "repeat") {
                open.push_back(index);
            } else if (line.words[0] == "end") {
                block.end_of[open.back()] = index;
                open.pop_back();
            }
        }
        return block;
    }

    [[noreturn]] void fail(const ScriptLine& line, const std::string& problem) const {
        throw ScriptError(file_ + ":" + std::to_string(line.number) + ": " + problem);
    }

    ScriptReader reader_;
    std::string file_;
};

}  // namespace

ScriptResult run_script(std::istream& in, const std::string& file_name, const std::string& library_path,
                        std::ostream& out, std::ostream& err, const ScriptOptions& options) {
    Runner runner(library_path, file_name, options, out, err);
    ScriptRun(in, file_name).run(runner);
    return runner.result;
}

}  // namespace tamrilo::script
