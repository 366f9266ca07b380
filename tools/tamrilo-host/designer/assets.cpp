#include "tools/tamrilo-host/designer/assets.h"

#include <iterator>

namespace tamrilo::designer {
namespace {

struct Asset {
    std::string_view name;
    std::string_view text;
};

constexpr Asset kAssets[] = {
#include "designer_assets.inc"
};

}  // namespace

std::string_view asset(std::string_view name) {
    for (const Asset& a : kAssets) {
        if (a.name == name) return a.text;
    }
    return {};
}

}  // namespace tamrilo::designer
