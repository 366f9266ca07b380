// The pictures in docs/pictures are what their scripts in examples/ draw today.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "force/preview/svg.h"
#include "harness.h"
#include "script/script.h"

namespace tamrilo::test {
namespace {

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ForcePictures, EachCommittedPictureMatchesItsScript) {
    int pictures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TAMRILO_EXAMPLES_DIR)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("forces-", 0) != 0 || entry.path().extension() != ".txt") continue;
        ++pictures;
        SCOPED_TRACE(name);
        sim().sim_reset();
        std::ifstream in(entry.path());
        std::ostringstream out, err, drawn;
        const auto result = script::run_script(in, name, engine::default_library_path(), out, err);
        force::preview::write_force_svg(drawn, force::preview::trace_forces(sim(), result.effect_labels), name);
        const auto committed =
            std::filesystem::path(TAMRILO_DOCS_DIR) / "pictures" / (entry.path().stem().string() + ".svg");
        EXPECT_TRUE(drawn.str() == read_file(committed))
            << committed.filename() << " no longer matches its script: run scripts/update-force-pictures";
    }
    EXPECT_GE(pictures, 3);
}

}  // namespace
}  // namespace tamrilo::test
