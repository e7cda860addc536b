// The --svg drawing, rendered in headless Chromium: it must show the plan
// (not a blank page) and the marked digits in their pen colour.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <png.h>
#include <sstream>

#include "host_run.hpp"
#include "pens.hpp"
#include "sjis.hpp"
#include "svg.hpp"

namespace {

namespace fs = std::filesystem;

bool chromium_runs() {
    host::ToolRun run;
    std::string error;
    return host::run_tool("chromium", {"--version"}, fs::temp_directory_path(), run, error) &&
           run.status == 0;
}

// Chromium's screenshot of the drawing, as in the README.
bool render(const fs::path &svg, const fs::path &png) {
    const fs::path profile = svg.parent_path() / "profile";
    host::ToolRun run;
    std::string error;
    bool started = host::run_tool(
        "chromium",
        {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--user-data-dir=" + profile.string(), "--screenshot=" + png.string(),
         "--window-size=800,600", svg.string()},
        svg.parent_path(), run, error);
    EXPECT_TRUE(started) << error;
    EXPECT_EQ(run.status, 0) << run.err;
    return started && run.status == 0 && fs::exists(png);
}

struct Pixels {
    std::size_t inked = 0;        // anything but white
    std::size_t pen_5 = 0;        // close to the drawing colour of pen 5, magenta
    std::size_t pen_5_bottom = 0; // the same, in the rows from bottom_from down
};

Pixels count_pixels(const fs::path &png, std::size_t bottom_from = SIZE_MAX) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Pixels pixels;
    if (!png_image_begin_read_from_file(&image, png.c_str())) return pixels;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return pixels;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        const int r = rgb[i], g = rgb[i + 1], b = rgb[i + 2];
        const bool pen_5 = r > 150 && b > 150 && g < 90;
        pixels.inked += r + g + b < 3 * 235;
        pixels.pen_5 += pen_5;
        pixels.pen_5_bottom += pen_5 && i / 3 / image.width >= bottom_from;
    }
    return pixels;
}

TEST(Drawing, RendersThePlanWithMarkedDigitsInChromium) {
    if (!chromium_runs()) {
        if (std::getenv("CI")) FAIL() << "chromium is missing: .ci/install-deps installs it";
        GTEST_SKIP() << "chromium is not installed";
    }
    const fs::path dir = host_test::scratch("drawing");
    ASSERT_EQ(
        host_test::run_host({"--svg", "plan.svg", EXAMPLES_DIR "/floor-plan.txt"}, dir).status, 0);
    ASSERT_TRUE(render(dir / "plan.svg", dir / "plan.png"));
    const std::string svg = host_test::read(dir / "plan.svg");
    const std::size_t height = std::stoul(svg.substr(svg.find("height=\"") + 8));
    // the legend's band: its swatch and "pen 5" in the pen's colour
    const Pixels plan = count_pixels(dir / "plan.png", height - 30);
    EXPECT_GT(plan.inked, 2000u);
    EXPECT_GT(plan.pen_5, 100u);
    EXPECT_GT(plan.pen_5_bottom, 100u);

    // the same page with nothing on it renders blank, so the counts above mean something
    host_test::write(dir / "blank.svg",
                     "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"800\" height=\"600\"/>");
    ASSERT_TRUE(render(dir / "blank.svg", dir / "blank.png"));
    EXPECT_EQ(count_pixels(dir / "blank.png").inked, 0u);
    fs::remove_all(dir / "profile"); // megabytes of Chromium's, of no further use
}

TEST(Drawing, TextIsEscapedForXml) {
    const fs::path dir = host_test::scratch("xml");
    host_test::write(dir / "s.txt", "ch 0 0 1 0 \"<a&b>\"1\x01\r\n");
    ASSERT_EQ(host_test::run_host({"--svg", "s.svg", "s.txt"}, dir).status, 0);
    const std::string svg = host_test::read(dir / "s.svg");
    EXPECT_NE(svg.find(std::string("&lt;a&amp;b&gt;&quot;<tspan class=\"pen5\" fill=\"") +
                       host::pen_colour(5).rgb + "\">1</tspan>\\x01"),
              std::string::npos)
        << svg;
}

struct DrawingCase {
    const char *title;
    std::string selection;
    std::vector<std::string> switches;
    const char *legend; // the pens it lists
    std::size_t dots;
    const char *svg = "s.svg";   // "-": standard output, the report then on standard error
    int width = 800;             // --svg-width
    const char *frame = nullptr; // the plan's viewBox, where checked
};

// gtest names a case by its title.
void PrintTo(const DrawingCase &c, std::ostream *os) {
    *os << c.title;
}

std::size_t count(const std::string &text, const std::string &what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// The pens a legend lists, as "pen 3, pen 5".
std::string legend_pens(const std::string &svg) {
    std::string pens;
    const std::size_t legend = svg.find("class=\"legend\"");
    for (std::size_t at = svg.find(">pen ", legend); at != std::string::npos;
         at = svg.find(">pen ", at + 1))
        pens += (pens.empty() ? "" : ", ") + svg.substr(at + 1, 5);
    return legend == std::string::npos ? "(no legend)" : pens;
}

// The number in the attribute name="..." from at on.
double attribute(const std::string &svg, const std::string &name, std::size_t at = 0) {
    at = svg.find(" " + name + "=\"", at);
    return at == std::string::npos ? -1 : std::stod(svg.substr(at + name.size() + 3));
}

// The smallest font size of the plan's texts, in rendered pixels.
double smallest_text_pixels(const std::string &svg) {
    const std::size_t plan = svg.find("<svg class=\"plan\"");
    const std::size_t view = svg.find("viewBox=\"", plan) + 9;
    double x, y, w, h;
    std::istringstream(svg.substr(view)) >> x >> y >> w >> h;
    const double scale =
        std::min(attribute(svg, "width", plan) / w, attribute(svg, "height", plan) / h);
    double smallest = 1e9;
    for (std::size_t at = svg.find("<text ", plan); at < svg.find("class=\"legend\"");
         at = svg.find("<text ", at + 1))
        smallest = std::min(smallest, attribute(svg, "font-size", at) * scale);
    return smallest;
}

class Drawings : public testing::TestWithParam<DrawingCase> {};

TEST_P(Drawings, LegendListsThePensUsedAndPointsAreDots) {
    const DrawingCase &c = GetParam();
    const fs::path dir = host_test::scratch(std::string("drawing_") + c.title);
    host_test::write(dir / "s.txt", c.selection);
    std::vector<std::string> args{"--svg", c.svg, "--svg-width", std::to_string(c.width),
                                  "s.txt", "--"};
    args.insert(args.end(), c.switches.begin(), c.switches.end());
    const host::ToolRun run = host_test::run_host(args, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const bool to_stdout = std::string(c.svg) == "-";
    const std::string svg = to_stdout ? run.out : host_test::read(dir / "s.svg");
    EXPECT_NE(host_test::report_field(to_stdout ? run.err : run.out, "records in"),
              "(no records in)");
    EXPECT_EQ(legend_pens(svg), c.legend) << svg;
    EXPECT_EQ(count(svg, "<circle class=\"point\""), c.dots) << svg;
    EXPECT_EQ(count(svg, "no marked digits"), std::string(c.legend).empty() ? 1u : 0u);
    EXPECT_LE(attribute(svg, "width"), c.width);
    // however narrow the plan, the page holds the legend's caption: 16 letters of 13 pixels
    EXPECT_GE(attribute(svg, "width"), 8 + 16 * 13 * 0.6) << svg;
    EXPECT_LE(attribute(svg, "height"), c.width * 0.75);
    EXPECT_GE(smallest_text_pixels(svg), host::min_text_pixels * 0.9999) << svg;
    if (c.frame) {
        EXPECT_NE(svg.find(std::string("viewBox=\"") + c.frame + "\""), std::string::npos) << svg;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Selections, Drawings,
    testing::Values(
        DrawingCase{"floor_plan", host_test::read(EXAMPLES_DIR "/floor-plan.txt"), {}, "pen 5", 1},
        DrawingCase{"pen_3", "ch 0 0 1 0 \"A1\r\n", {"/k3"}, "pen 3", 0},
        DrawingCase{"no_digits", "ch 0 0 1 0 \"AB\r\npt 1 1\r\npt 2 2\r\n", {}, "", 2},
        // a point without both numbers is not drawn
        DrawingCase{"point_cut_short", "pt 5\r\npt 1 2 3\r\nch 0 0 1 0 \"1\r\n", {}, "pen 5", 1},
        DrawingCase{"to_stdout", "ch 0 0 1 0 \"A1\r\n", {}, "pen 5", 0, "-"},
        DrawingCase{"tall_and_narrow", " 0 0 0 1000\r\nch 0 0 1 0 \"AB\r\n", {}, "", 0},
        // a 100-metre plan: a text of height 2 beside ones of 200 stays readable
        DrawingCase{"small_text_in_a_large_plan",
                    " 0 0 100000 0\r\n 0 0 0 75000\r\nch 10 10 2 0 \"A1\r\n"
                    "ch 5000 5000 200 0 \"B2\r\nch 9000 9000 200 0 \"C3\r\n",
                    {},
                    "pen 5",
                    0},
        DrawingCase{"narrow",
                    host_test::read(EXAMPLES_DIR "/floor-plan.txt"),
                    {},
                    "pen 5",
                    1,
                    "s.svg",
                    300},
        // the frame takes in a label that runs past the geometry
        DrawingCase{"label_past_the_geometry",
                    " 0 0 10 0\r\nch 10 0 1 0 \"ROOM101-B\r\n",
                    {},
                    "pen 5",
                    0,
                    "s.svg",
                    800,
                    "-1.448 -1.670222 14.096 3.118222"},
        // a circle past the doubles is left out, the rest framed as without it
        DrawingCase{.title = "circle_past_the_doubles",
                    .selection = "ci 0 0 1e308 0 360\r\nch 1 1 1 0 \"A1\r\n",
                    .switches = {},
                    .legend = "pen 5",
                    .dots = 0,
                    .frame = "-0.00171997 -2.037553 2.046439 2.039273"}),
    host_test::by_title<DrawingCase>);

} // namespace
