#include "script/spelling.h"

#include <algorithm>
#include <cctype>

namespace tamrilo::script {
namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Edits (insert, delete, substitute) between two words, case ignored.
std::size_t distance(const std::string& a, const std::string& b) {
    const std::string x = lower(a), y = lower(b);
    std::vector<std::size_t> row(y.size() + 1);
    for (std::size_t j = 0; j <= y.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= x.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= y.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[y.size()];
}

std::string closest_name(const std::string& name, const std::vector<std::string>& candidates) {
    std::string best;
    std::size_t best_distance = 0;
    for (const auto& candidate : candidates) {
        const std::size_t d = distance(name, candidate);
        if (best.empty() || d < best_distance) {
            best = candidate;
            best_distance = d;
        }
    }
    // A third of the name may differ: enough for typos and a wrong case, not for unrelated names.
    const std::size_t allowed = std::max<std::size_t>(2, name.size() / 3);
    return best_distance <= allowed ? best : std::string();
}

}  // namespace

std::string did_you_mean(const std::string& name, const std::vector<std::string>& candidates) {
    const std::string close = closest_name(name, candidates);
    return close.empty() ? "" : " (did you mean '" + close + "'?)";
}

}  // namespace tamrilo::script
