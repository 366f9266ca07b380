// "Did you mean": the closest of the names a word could have been meant as, for the messages
// about an unknown command, export, variable, family or option.
#pragma once

#include <string>
#include <vector>

namespace tamrilo::script {

// " (did you mean 'NAME'?)" with the closest of `candidates` to `name` (small differences of
// spelling and case; of equally close ones the first), or "" when none is close enough to be
// worth suggesting.
std::string did_you_mean(const std::string& name, const std::vector<std::string>& candidates);

}  // namespace tamrilo::script
