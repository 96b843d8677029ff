// quireon2-print --preview: the picture of a sheet is what the printer gets. Both sides of a
// booklet sheet with outlines, header and footer, written as a PNG file, match the pages of the
// same sheet in the "Print to PDF" job as pdftoppm renders them at the same resolution.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/surface_test_tools.h"
#include "support/gtest_support.h"

namespace quireon2::testing {
namespace {

constexpr int kDotsPerInch = 96;  // the resolution of the command's pictures

// An RGB picture, three bytes a pixel.
struct Rgb24 {
  int width = 0, height = 0;
  std::string bytes;
  int Channel(int x, int y, int c) const {
    return static_cast<unsigned char>(bytes[(static_cast<std::size_t>(y) * width + x) * 3 + c]);
  }
};

// Page `page` of a PDF as pdftoppm draws it (a binary PPM on its standard output).
Rgb24 RenderedPage(const std::string& pdf, int page) {
  const std::string n = std::to_string(page);
  const std::string ppm = RunCommand("pdftoppm -r " + std::to_string(kDotsPerInch) + " -f " + n +
                                     " -l " + n + " " + ShellQuote(pdf))
                              .value_or("");
  Rgb24 image;
  std::size_t at = 0;
  std::vector<int> header;
  while (header.size() < 4 && at < ppm.size()) {  // the 6 of P6, width, height, 255
    while (at < ppm.size() && !std::isdigit(static_cast<unsigned char>(ppm[at]))) ++at;
    header.push_back(std::atoi(ppm.c_str() + at));
    while (at < ppm.size() && std::isdigit(static_cast<unsigned char>(ppm[at]))) ++at;
  }
  if (ppm.compare(0, 2, "P6") != 0 || header.size() < 4) return image;
  image.width = header[1];
  image.height = header[2];
  image.bytes = ppm.substr(at + 1);
  return image;
}

Rgb24 PngFile(const std::string& path) {
  Rgb24 image;
  cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(png) == CAIRO_STATUS_SUCCESS) {
    image.width = cairo_image_surface_get_width(png);
    image.height = cairo_image_surface_get_height(png);
    const int stride = cairo_image_surface_get_stride(png);
    const unsigned char* data = cairo_image_surface_get_data(png);
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const auto pixel = *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4);
        image.bytes += static_cast<char>(pixel >> 16 & 0xFF);
        image.bytes += static_cast<char>(pixel >> 8 & 0xFF);
        image.bytes += static_cast<char>(pixel & 0xFF);
      }
    }
  }
  cairo_surface_destroy(png);
  return image;
}

// The blocks of 4 x 4 dots of `page` whose mean grey differs by more than 48 levels from the
// picture's at the same place, `x0` dots from the picture's left edge. Single dots of a glyph's
// edge may be shaded differently by two rasterizers; a block shows any real shift.
long Differing(const Rgb24& picture, int x0, const Rgb24& page) {
  constexpr int kBlock = 4;
  long differing = 0;
  for (int by = 0; by + kBlock <= page.height; by += kBlock) {
    for (int bx = 0; bx + kBlock <= page.width; bx += kBlock) {
      long sum = 0;
      for (int y = by; y < by + kBlock; ++y) {
        for (int x = bx; x < bx + kBlock; ++x) {
          for (int c = 0; c < 3; ++c) sum += picture.Channel(x0 + x, y, c) - page.Channel(x, y, c);
        }
      }
      differing += std::abs(sum) > 48 * kBlock * kBlock * 3;
    }
  }
  return differing;
}

long Inked(const Rgb24& page) {
  long inked = 0;
  for (int y = 0; y < page.height; ++y) {
    for (int x = 0; x < page.width; ++x) inked += page.Channel(x, y, 1) < 128;
  }
  return inked;
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
  const std::string source = dir.Write("eight.txt", text);
  const std::string settings = dir.Write("settings.ini", "[Quireon2]\nLayout= 3\n");
  const std::string pdf = dir.File("out.pdf"), png = dir.File("sheet.png");
  const std::string common = std::string(QUIREON2_PRINT_BINARY) + " --settings " +
                             ShellQuote(settings) + " -P 'Print to PDF' -m duplex --outlines" +
                             " --header page,file --footer date -q ";
  ASSERT_TRUE(RunCommand(common + "-o " + ShellQuote(pdf) + " " + ShellQuote(source)));
  ASSERT_TRUE(RunCommand(common + "--preview 2 -o " + ShellQuote(png) + " " + ShellQuote(source)));

  // Sheet 2 is the job's third and fourth page; its picture holds them side by side.
  const Rgb24 front = RenderedPage(pdf, 3), back = RenderedPage(pdf, 4);
  const Rgb24 picture = PngFile(png);
  ASSERT_GT(front.width, 0);
  const int gap = kDotsPerInch / 4;
  ASSERT_EQ(picture.height, front.height);
  ASSERT_EQ(picture.width, front.width + gap + back.width);
  const long tolerance = front.width * front.height / 16 / 1000;  // a thousandth of the blocks
  EXPECT_GT(Inked(front), 10000);  // text, outlines and rules to compare
  EXPECT_LE(Differing(picture, 0, front), tolerance);
  EXPECT_LE(Differing(picture, front.width + gap, back), tolerance);
  // The other side of the sheet does not pass for this one.
  EXPECT_GT(Differing(picture, 0, back), 5 * tolerance);
}

}  // namespace
}  // namespace quireon2::testing
