// quireon2-print --preview: the picture of a sheet is what the printer gets. Both sides of a
// booklet sheet with outlines, header and footer, written as a PNG file, match the pages of the
// same sheet in the "Print to PDF" job as pdftoppm renders them at the same resolution.
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/surface_test_tools.h"
#include "support/gtest_support.h"

namespace quireon2::testing {
namespace {

constexpr int kDotsPerInch = 96;  // the resolution of the command's pictures

// A PNG file's dots, each as the sum of its red, green and blue (0 to 765).
struct Dots {
  int width = 0, height = 0;
  std::vector<int> grey;
  int At(int x, int y) const { return grey[static_cast<std::size_t>(y) * width + x]; }
};

Dots PngFile(const std::string& path) {
  Dots dots;
  cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(png) == CAIRO_STATUS_SUCCESS) {
    dots.width = cairo_image_surface_get_width(png);
    dots.height = cairo_image_surface_get_height(png);
    const int stride = cairo_image_surface_get_stride(png);
    const unsigned char* data = cairo_image_surface_get_data(png);
    for (int y = 0; y < dots.height; ++y) {
      for (int x = 0; x < dots.width; ++x) {
        const auto pixel = *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4);
        dots.grey.push_back((pixel >> 16 & 0xFF) + (pixel >> 8 & 0xFF) + (pixel & 0xFF));
      }
    }
  }
  cairo_surface_destroy(png);
  return dots;
}

// The blocks of 4 x 4 dots of `page` whose mean grey differs by more than 48 levels a colour
// from the picture's at the same place, `x0` dots from the picture's left edge. Single dots of a
// glyph's edge may be shaded differently by two rasterizers; a block shows any real shift.
long Differing(const Dots& picture, int x0, const Dots& page) {
  constexpr int kBlock = 4;
  long differing = 0;
  for (int by = 0; by + kBlock <= page.height; by += kBlock) {
    for (int bx = 0; bx + kBlock <= page.width; bx += kBlock) {
      long sum = 0;
      for (int y = by; y < by + kBlock; ++y) {
        for (int x = bx; x < bx + kBlock; ++x) sum += picture.At(x0 + x, y) - page.At(x, y);
      }
      differing += std::abs(sum) > 48 * 3 * kBlock * kBlock;
    }
  }
  return differing;
}

TEST(PreviewPicture, MatchesTheSheetThePrinterGets) {
  if (!RunCommand("command -v pdftoppm")) GTEST_SKIP() << "pdftoppm is not installed";
  ScratchDir dir;
  std::string text;
  for (int page = 1; page <= 8; ++page) {
    if (page > 1) text += "\f";
    for (int line = 0; line < 10 + 2 * page; ++line) {  // each page its own length
      text += "Page " + std::to_string(page) + " line " + std::to_string(line) +
              ": the quick brown fox jumps over the lazy dog.\r\n";
    }
  }
  const std::string pdf = dir.File("out.pdf"), png = dir.File("sheet.png");
  const std::string common =
      std::string(QUIREON2_PRINT_BINARY) + " --settings " +
      ShellQuote(dir.Write("settings.ini", "[Quireon2]\nLayout= 3\n")) +
      " -P 'Print to PDF' -m duplex --outlines --header page,file --footer date -q " +
      ShellQuote(dir.Write("eight.txt", text));
  ASSERT_TRUE(RunCommand(common + " -o " + ShellQuote(pdf)));
  ASSERT_TRUE(RunCommand(common + " --preview 2 -o " + ShellQuote(png)));

  // Sheet 2 is the job's third and fourth page; its picture holds them side by side.
  for (const char* page : {"3", "4"}) {
    ASSERT_TRUE(RunCommand("pdftoppm -png -singlefile -r " + std::to_string(kDotsPerInch) +
                           " -f " + page + " -l " + page + " " + ShellQuote(pdf) + " " +
                           ShellQuote(dir.File(std::string("page") + page))));
  }
  const Dots front = PngFile(dir.File("page3.png")), back = PngFile(dir.File("page4.png"));
  const Dots picture = PngFile(png);
  ASSERT_GT(front.width, 0);
  const int gap = kDotsPerInch / 4;
  ASSERT_EQ(picture.height, front.height);
  ASSERT_EQ(picture.width, front.width + gap + back.width);
  const long tolerance = front.width * front.height / 16 / 1000;  // a thousandth of the blocks
  // Text, outlines and rules to compare.
  EXPECT_GT(std::count_if(front.grey.begin(), front.grey.end(), [](int g) { return g < 384; }),
            10000);
  EXPECT_LE(Differing(picture, 0, front), tolerance);
  EXPECT_LE(Differing(picture, front.width + gap, back), tolerance);
  // The other side of the sheet does not pass for this one.
  EXPECT_GT(Differing(picture, 0, back), 5 * tolerance);
}

}  // namespace
}  // namespace quireon2::testing
