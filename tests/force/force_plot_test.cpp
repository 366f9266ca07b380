// The force picture and CSV of a script run: the SVG is well-formed XML whose curves are the
// CSV's values, long runs are thinned only in the picture, and bad input is said, not hidden.
#include <expat.h>

#include <chrono>
#include <map>
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
        std::vector<std::pair<long long, long long>> points;
    };
    std::vector<Polyline> polylines;
    std::string text;  // all character data
    bool well_formed = false;
};

Svg parse_svg(const std::string& document) {
    Svg svg;
    XML_Parser parser = XML_ParserCreate("UTF-8");
    XML_SetUserData(parser, &svg);
    XML_SetElementHandler(
        parser,
        [](void* data, const XML_Char* name, const XML_Char** attributes) {
            if (std::string(name) != "polyline") return;
            Svg::Polyline line;
            for (int i = 0; attributes[i]; i += 2) {
                const std::string key = attributes[i], value = attributes[i + 1];
                if (key == "class") line.kind = value;
                if (key == "data-axis") line.axis = value;
                if (key == "points") {
                    std::istringstream in(value);
                    long long t = 0, v = 0;
                    char comma = 0;
                    while (in >> t >> comma >> v) line.points.push_back({t, v});
                }
            }
            static_cast<Svg*>(data)->polylines.push_back(line);
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
        trace = force::preview::trace_forces(sim(), result.effect_labels);
        std::ostringstream svg_text, csv_text;
        force::preview::write_force_svg(svg_text, trace, "plot.txt");
        force::preview::write_force_csv(csv_text, trace);
        svg_document = svg_text.str();
        svg = parse_svg(svg_document);
        csv = parse_csv(csv_text.str());
    }

    // Every point of every curve is the CSV's value at that millisecond.
    void expect_curves_match_csv() {
        ASSERT_TRUE(svg.well_formed);
        ASSERT_FALSE(svg.polylines.empty());
        for (const auto& line : svg.polylines) {
            const auto& column = csv[line.axis + " " + line.kind];
            ASSERT_EQ(column.size(), trace.rows.size()) << line.axis << " " << line.kind;
            for (const auto& [t, v] : line.points) {
                ASSERT_GE(t, 0);
                ASSERT_LT(static_cast<std::size_t>(t), column.size());
                ASSERT_EQ(std::to_string(v), column[static_cast<std::size_t>(t)])
                    << line.axis << " " << line.kind << " at " << t;
            }
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

// A minute of play: every millisecond in the CSV, the picture thinned to well under 2 MB.
TEST_F(ForcePlotTest, LongRunsAreThinnedOnlyInThePicture) {
    const auto begun = std::chrono::steady_clock::now();
    run("set sine_1_hight 5000\nset sine_1_time 37\ncall Define_Sine_1\ncall Play_Sine_1\n"
        "joystick move 0 10000 0 0 0 30000\nwait 30000\njoystick move 0 -10000 0 0 0 30000\nwait 30000\n");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
    expect_curves_match_csv();
    EXPECT_EQ(csv["time_ms"].size(), 60001u);
    EXPECT_LT(svg_document.size(), 2u * 1024 * 1024);
    for (const auto& line : svg.polylines) EXPECT_LE(line.points.size(), 2u * 1090 + 1);
    // The sine's peaks survive the thinning.
    long long highest = 0;
    for (const auto& line : svg.polylines) {
        if (line.kind == "force" && line.axis == "Y") {
            for (const auto& point : line.points) highest = std::max(highest, point.second);
        }
    }
    EXPECT_GE(highest, 4990);
    RecordProperty("svg_bytes", static_cast<int>(svg_document.size()));
    EXPECT_LT(seconds, 30.0);
}

TEST_F(ForcePlotTest, NoEffectGivesPositionsOnlyAndSaysSo) {
    run("joystick move 0 -4000 2000 0 0 50\nwait 100\n");
    expect_curves_match_csv();
    EXPECT_TRUE(trace.bands.empty());
    EXPECT_NE(svg.text.find("no effect played: positions only"), std::string::npos);
}

// A negative magnitude reaches DirectInput as its two's complement: drawn as accepted (clamped
// at the end) and flagged.
TEST_F(ForcePlotTest, ValuesOutsideDirectInputRangesAreFlagged) {
    run("set sine_1_hight -5000\nset sine_1_time 100\ncall Define_Sine_1\ncall Play_Sine_1\nwait 100\n");
    expect_curves_match_csv();
    ASSERT_EQ(trace.bands.size(), 1u);
    EXPECT_NE(trace.bands[0].remarks.find("magnitude"), std::string::npos) << trace.bands[0].remarks;
    EXPECT_NE(svg.text.find("(!) magnitude"), std::string::npos);
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
