// The --svg drawing, rendered in headless Chromium: it must show the plan
// (not a blank page) and the marked digits in their pen colour.
#include <gtest/gtest.h>

#include <cstdlib>
#include <png.h>

#include "host_run.hpp"
#include "sjis.hpp"

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
    std::size_t inked = 0; // anything but white
    std::size_t pen_5 = 0; // close to the drawing colour of pen 5, #c000c0
};

Pixels count_pixels(const fs::path &png) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Pixels pixels;
    if (!png_image_begin_read_from_file(&image, png.c_str())) return pixels;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return pixels;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        const int r = rgb[i], g = rgb[i + 1], b = rgb[i + 2];
        pixels.inked += r + g + b < 3 * 235;
        pixels.pen_5 += r > 150 && b > 150 && g < 90;
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
    const Pixels plan = count_pixels(dir / "plan.png");
    EXPECT_GT(plan.inked, 2000u);
    EXPECT_GT(plan.pen_5, 100u);

    // the same page with nothing on it renders blank, so the counts above mean something
    host_test::write(dir / "blank.svg",
                     "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"800\" height=\"600\"/>");
    ASSERT_TRUE(render(dir / "blank.svg", dir / "blank.png"));
    EXPECT_EQ(count_pixels(dir / "blank.png").inked, 0u);
}

TEST(Drawing, TextIsEscapedForXml) {
    const fs::path dir = host_test::scratch("xml");
    host_test::write(dir / "s.txt", "ch 0 0 1 0 \"<a&b>\"1\x01\r\n");
    ASSERT_EQ(host_test::run_host({"--svg", "s.svg", "s.txt"}, dir).status, 0);
    const std::string svg = host_test::read(dir / "s.svg");
    EXPECT_NE(
        svg.find("&lt;a&amp;b&gt;&quot;<tspan class=\"pen5\" fill=\"#c000c0\">1</tspan>\\x01"),
        std::string::npos)
        << svg;
}

} // namespace
