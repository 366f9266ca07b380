// The force picture and CSV of a script run: the SVG is well-formed XML whose curves are the
// lowest and highest of the CSV's values in each pixel column, long runs are thinned only in the
// picture, and bad input is said, not hidden.
#include <expat.h>
#include <png.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "force/preview/csv.h"
#include "force/preview/outputs.h"
#include "force/preview/svg.h"
#include "harness.h"
#include "script/script.h"

namespace tamrilo::test {
namespace {

struct Svg {
    struct Polyline {
        std::string kind, axis;
        std::vector<std::pair<double, double>> points;  // in the picture's pixels
    };
    struct Frame {
        double left = 0, top = 0, width = 0, height = 0;
    };
    std::vector<Polyline> polylines;
    std::map<std::string, Frame> frames;  // the panel of each axis
    std::string panel;                    // the axis of the panel being read
    std::string text;                     // all character data
    bool well_formed = false;
};

Svg parse_svg(const std::string& document) {
    Svg svg;
    XML_Parser parser = XML_ParserCreate("UTF-8");
    XML_SetUserData(parser, &svg);
    XML_SetElementHandler(
        parser,
        [](void* data, const XML_Char* name, const XML_Char** attributes) {
            Svg& read = *static_cast<Svg*>(data);
            std::map<std::string, std::string> a;
            for (int i = 0; attributes[i]; i += 2) a[attributes[i]] = attributes[i + 1];
            const std::string element = name;
            if (element == "g" && a["class"] == "panel") read.panel = a["data-axis"];
            if (element == "rect" && a["class"] == "frame")
                read.frames[read.panel] = {std::stod(a["x"]), std::stod(a["y"]), std::stod(a["width"]),
                                           std::stod(a["height"])};
            if (element != "polyline") return;
            Svg::Polyline line{a["class"], a["data-axis"], {}};
            std::istringstream in(a["points"]);
            double x = 0, y = 0;
            char comma = 0;
            while (in >> x >> comma >> y) line.points.push_back({x, y});
            read.polylines.push_back(line);
        },
        [](void*, const XML_Char*) {});
    XML_SetCharacterDataHandler(parser, [](void* data, const XML_Char* s, int len) {
        static_cast<Svg*>(data)->text.append(s, static_cast<std::size_t>(len));
    });
    svg.well_formed = XML_Parse(parser, document.data(), static_cast<int>(document.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return svg;
}

// The CSV as columns by header name; quoted headers lose their quotes.
std::map<std::string, std::vector<std::string>> parse_csv(const std::string& csv) {
    std::istringstream in(csv);
    std::string line;
    std::vector<std::string> names;
    std::map<std::string, std::vector<std::string>> columns;
    bool header = true;
    while (std::getline(in, line)) {
        std::vector<std::string> fields(1);
        bool quoted = false;
        for (char c : line) {
            if (c == '"')
                quoted = !quoted;
            else if (c == ',' && !quoted)
                fields.emplace_back();
            else
                fields.back() += c;
        }
        if (header) {
            names = fields;
            header = false;
            continue;
        }
        for (std::size_t i = 0; i < names.size() && i < fields.size(); ++i) columns[names[i]].push_back(fields[i]);
    }
    return columns;
}

class ForcePlotTest : public ::testing::Test {
protected:
    void SetUp() override { sim().sim_reset(); }

    // Runs the script after declaring every variable and selecting a force-feedback joystick.
    void run(const std::string& body) {
        std::string script = "joystick attach \"Plot Stick\" ff\n";
        for (const auto& name : all_variable_names()) script += "var " + name + "\n";
        script += "call Get_Versionsnummer\ncall InitDirectInput\ncall InitJoystick_1\n" + body;
        std::istringstream in(script);
        std::ostringstream out, err;
        const auto result = script::run_script(in, "plot.txt", engine::default_library_path(), out, err);
        const auto source = force::preview::simulator_source(sim(), result.effect_labels);
        trace = force::preview::plan_forces(source);
        std::ostringstream svg_text, csv_text;
        force::preview::draw_forces(source, "plot.txt", &svg_text, &csv_text);
        svg_document = svg_text.str();
        svg = parse_svg(svg_document);
        csv = parse_csv(csv_text.str());
    }

    // Each curve shows, in every pixel column of time, exactly the lowest and highest of the
    // CSV's values in the milliseconds of that column.
    void expect_curves_match_csv() {
        ASSERT_TRUE(svg.well_formed);
        ASSERT_FALSE(svg.polylines.empty());
        const std::size_t samples = csv["time_ms"].size();
        const std::size_t columns = std::min<std::size_t>(samples, 1090);
        for (const auto& line : svg.polylines) {
            SCOPED_TRACE(line.axis + " " + line.kind);
            const auto& values = csv[line.axis + " " + line.kind];
            ASSERT_EQ(values.size(), samples);
            std::map<std::size_t, std::set<long>> expected, drawn;
            for (std::size_t ms = 0; ms < samples; ++ms) {
                auto& extremes = expected[ms * columns / samples];
                extremes.insert(std::stol(values[ms]));
                if (extremes.size() > 2) extremes.erase(std::next(extremes.begin()));
            }
            const Svg::Frame frame = svg.frames[line.axis];
            for (const auto& [x, y] : line.points) {
                const auto column =
                    static_cast<std::size_t>((x - frame.left) * static_cast<double>(columns) / frame.width);
                const double middle = frame.top + frame.height / 2;
                drawn[column].insert(std::lround((middle - y) * 10000 / (frame.height / 2)));
            }
            ASSERT_EQ(drawn, expected);
        }
    }

    force::preview::ForceTrace trace;
    std::string svg_document;
    Svg svg;
    std::map<std::string, std::vector<std::string>> csv;
};

TEST_F(ForcePlotTest, CurvesAreTheCsvValuesAndBandsAreLabelled) {
    run("set sine_1_hight 5000\nset sine_1_time 200\ncall Define_Sine_1\ncall Play_Sine_1\n"
        "joystick move 0 8000 -3000 0 0 600\nwait 300\n"
        "set quadrat_2_hight 2500\nset quadrat_2_time 100\ncall Define_Quadrat_2\ncall Play_Quadrat_2\n"
        "wait 400\ncall Stop_Sine_1\nwait 300\n");
    expect_curves_match_csv();
    EXPECT_EQ(csv["time_ms"].size(), 1001u);
    EXPECT_EQ(svg.polylines.size(), 4u);  // force and position on X and Y
    EXPECT_EQ(svg_document.find("transform"), std::string::npos);
    EXPECT_EQ(svg_document.find("vector-effect"), std::string::npos);
    EXPECT_NE(svg.text.find("sine, slot 1"), std::string::npos);
    EXPECT_NE(svg.text.find("square, slot 2"), std::string::npos);
    EXPECT_NE(svg.text.find("time (ms)"), std::string::npos);
    // The square pushes along x from 300 ms; the sine along y until it stops at 700 ms.
    EXPECT_EQ(csv["square, slot 2 X"][300], "2499");
    EXPECT_EQ(csv["square, slot 2 X"][299], "");
    EXPECT_EQ(csv["sine, slot 1 Y"][700], "");
    EXPECT_EQ(csv["X position"][600], "8000");
    ASSERT_EQ(trace.bands.size(), 2u);
    EXPECT_EQ(trace.bands[0].spans_ms, (std::vector<std::pair<long long, long long>>{{0, 700}}));
}

// A minute of play: every millisecond in the CSV; the picture keeps each pixel column's lowest
// and highest value, so a push of one millisecond is drawn, and stays well under 1 MB.
TEST_F(ForcePlotTest, LongRunsAreThinnedOnlyInThePicture) {
    const auto begun = std::chrono::steady_clock::now();
    run("set sine_1_hight 5000\nset sine_1_time 37\ncall Define_Sine_1\ncall Play_Sine_1\n"
        "joystick move 0 10000 0 0 0 30000\nwait 30000\n"
        "set FF_force_x 8000\ncall Define_Const_Forces\nwait 1\ncall Stop_Const_Forces\n"
        "joystick move 0 -10000 0 0 0 30000\nwait 30000\n");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
    expect_curves_match_csv();
    EXPECT_EQ(csv["time_ms"].size(), 60002u);
    EXPECT_EQ(csv["X force"][30000], "7999");
    EXPECT_EQ(csv["X force"][30001], "0");
    EXPECT_LT(svg_document.size(), 1024u * 1024);
    for (const auto& line : svg.polylines) EXPECT_LE(line.points.size(), 2u * 1090);
    RecordProperty("svg_bytes", static_cast<int>(svg_document.size()));
    EXPECT_LT(seconds, 30.0);
}

// The picture as a common renderer draws it: rsvg-convert makes a PNG, in which the force curve's
// pixels stand where the model puts them: the constant force's level in the X panel while it
// plays, the zero line once it stopped and throughout in the Y panel.
TEST_F(ForcePlotTest, RsvgDrawsTheForceWhereTheModelPutsIt) {
    run("set FF_force_x 5000\ncall Define_Const_Forces\nwait 500\ncall Stop_Const_Forces\nwait 500\n");
    ASSERT_EQ(csv["X force"][250], "4999");
    const auto folder = std::filesystem::temp_directory_path() / ("tamrilo-render-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "plot.svg") << svg_document;
    const std::string command = std::string(TAMRILO_RSVG_CONVERT) + " -o '" + (folder / "plot.png").string() + "' '" +
                                (folder / "plot.svg").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, (folder / "plot.png").c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    std::filesystem::remove_all(folder);

    // The middle of the force curve's red pixels in the pixel column at `ms`, within a frame.
    auto red_middle = [&](const Svg::Frame& frame, double ms) {
        const auto column = static_cast<std::size_t>(frame.left + (ms + 0.5) * frame.width / 1001);
        double sum = 0;
        int count = 0;
        for (auto row = static_cast<std::size_t>(frame.top); static_cast<double>(row) < frame.top + frame.height;
             ++row) {
            const unsigned char* p = &pixels[(row * image.width + column) * 3];
            if (p[0] > 150 && p[1] < 120 && p[2] < 110) {
                sum += static_cast<double>(row) + 0.5;
                ++count;
            }
        }
        return count == 0 ? -1.0 : sum / count;
    };
    const struct {
        const char* axis;
        double ms;
        LONG force;
    } kLooks[] = {{"X", 250, 4999}, {"X", 750, 0}, {"Y", 250, 0}};
    for (const auto& look : kLooks) {
        const Svg::Frame frame = svg.frames[look.axis];
        const double level = frame.top + frame.height / 2 - look.force * (frame.height / 2) / 10000;
        EXPECT_NEAR(red_middle(frame, look.ms), level, 1.0) << look.axis << " at " << look.ms << " ms";
    }
}

TEST_F(ForcePlotTest, NoEffectGivesPositionsOnlyAndSaysSo) {
    run("joystick move 0 -4000 2000 0 0 50\nwait 100\n");
    expect_curves_match_csv();
    EXPECT_TRUE(trace.bands.empty());
    EXPECT_NE(svg.text.find("no effect played: positions only"), std::string::npos);
}

// A negative magnitude reaches DirectInput at full scale, inside its range: drawn at full
// strength and not flagged.
TEST_F(ForcePlotTest, NegativeMagnitudePlaysAtFullScaleUnflagged) {
    run("set sine_1_hight -5000\nset sine_1_time 100\ncall Define_Sine_1\ncall Play_Sine_1\nwait 100\n");
    expect_curves_match_csv();
    ASSERT_EQ(trace.bands.size(), 1u);
    EXPECT_EQ(trace.bands[0].remarks, "");
    EXPECT_EQ(svg.text.find("(!)"), std::string::npos);
    EXPECT_EQ(csv["Y force"][25], "10000");
}

TEST(ForceOutputs, AnUnwritablePathIsAnErrorBeforeTheRun) {
    for (const auto& [plot, csv] :
         {std::pair<std::string, std::string>{"no-such-folder/x.svg", ""}, {"", "no-such-folder/x.csv"}}) {
        try {
            force::preview::ForceOutputs outputs(plot, csv);
            ADD_FAILURE() << "no error for " << plot << csv;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), "cannot write " + plot + csv);
        }
    }
}

}  // namespace
}  // namespace tamrilo::test
