// The picture of one sheet side.
#include "platform/image_surface.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "interfaces/units.h"
#include "platform/font_cache.h"
#include "platform/side_drawing.h"
#include "platform/surface_text.h"
#include "settings/runtime_failure.h"

namespace quireon2 {
namespace {

constexpr double kLargestFontPoints = 1638;  // as the printer takes

}  // namespace

ImageSurface::ImageSurface(PrinterSurface& printer, FontCache& fonts, const PictureSetup& setup)
    : printer_(printer), fonts_(fonts), setup_(setup) {
  if (!(setup_.dots_per_inch > 0) || setup_.dots_per_inch > 1200) {
    RaiseFailure(kInvalidPropertyValue);
  }
}

ImageSurface::~ImageSurface() = default;

void ImageSurface::SelectPrinter(std::size_t) { RaiseFailure(kInvalidPropertyValue); }

int ImageSurface::DeviceCapabilities(const std::string& device_name, const std::string& port,
                                     int query) {
  return printer_.DeviceCapabilities(device_name, port, query);
}

void ImageSurface::SetScaleMode(int mode) {
  if (mode != 1) RaiseFailure(kInvalidPropertyValue);
}

void ImageSurface::SetOrientation(int orientation) {
  if (orientation != kPortrait && orientation != kLandscape) RaiseFailure(kInvalidPropertyValue);
  setup_.orientation = orientation;
}

PageArea ImageSurface::Geometry() const {
  return PageAreaOf(setup_.paper, setup_.orientation == kLandscape);
}

double ImageSurface::ScaleWidth() const { return Geometry().width * kTwipsPerPoint; }

double ImageSurface::ScaleHeight() const { return Geometry().height * kTwipsPerPoint; }

FontFace& ImageSurface::Face() const {
  if (face_ == nullptr) face_ = &fonts_.Match(setup_.font_name);
  return *face_;
}

std::string ImageSurface::FontName() const { return Face().family(); }

void ImageSurface::SetFontName(const std::string& name) {
  face_ = &fonts_.Match(name);
  setup_.font_name = name;
}

void ImageSurface::SetFontSize(double size_points) {
  if (!std::isfinite(size_points) || size_points <= 0 || size_points > kLargestFontPoints) {
    RaiseFailure(kInvalidPropertyValue);
  }
  setup_.font_size = size_points;
}

void ImageSurface::SetPaperSize(int) { RaiseFailure(kInvalidPropertyValue); }

PrinterPapers ImageSurface::Papers(const std::string& device_name) {
  return printer_.Papers(device_name);
}

void ImageSurface::KeepPaperSize() { RaiseFailure(kInvalidPropertyValue); }

void ImageSurface::SetPdfPaperSize(int) { RaiseFailure(kInvalidPropertyValue); }

void ImageSurface::SetDuplex(int) { RaiseFailure(kInvalidPropertyValue); }

void ImageSurface::SetColorMode(int mode) {
  if (mode != 1 && mode != 2) RaiseFailure(kInvalidPropertyValue);
}

void ImageSurface::EnsureImage() {
  if (cr_) return;
  area_ = Geometry();
  const double scale = setup_.dots_per_inch / kPointsPerInch;
  const int width = std::max(1, static_cast<int>(std::lround(area_.page_width * scale)));
  const int height = std::max(1, static_cast<int>(std::lround(area_.page_height * scale)));
  image_.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
  cr_.reset(cairo_create(image_.get()));
  if (cairo_status(cr_.get()) != CAIRO_STATUS_SUCCESS) {
    const std::string reason = cairo_status_to_string(cairo_status(cr_.get()));
    cr_.reset();
    image_.reset();
    RaiseFailure(kPrinterError, "Printer error (" + reason + ")");
  }
  cairo_set_source_rgb(cr_.get(), 1, 1, 1);
  cairo_paint(cr_.get());
  cairo_scale(cr_.get(), scale, scale);
  pen_.StartJob();
}

void ImageSurface::Print(std::string_view text, bool line_end) {
  FontFace& face = Face();
  EnsureImage();
  DrawSideText({cr_.get(), area_.left, area_.top}, pen_, face, setup_.font_size, x_, y_, text,
               line_end);
}

double ImageSurface::TextWidth(std::string_view text) {
  return SideTextWidth(pen_, Face(), setup_.font_size, text);
}

double ImageSurface::TextHeight(std::string_view text) {
  return static_cast<double>(PrinterTextLines(text).size()) *
         SideLineHeight(Face(), setup_.font_size);
}

void ImageSurface::SetDrawWidth(int pixels) {
  if (pixels < 1) RaiseFailure(kInvalidPropertyValue);
  setup_.draw_width = pixels;
}

void ImageSurface::Line(double x1, double y1, double x2, double y2, Rgb colour, bool box) {
  EnsureImage();
  // As wide as on paper, and at least one dot of the picture, as a printer's hairline is one dot of
  // the printer.
  const double dot = kPointsPerInch / setup_.dots_per_inch;
  const double on_paper = setup_.draw_width * kPointsPerInch / setup_.printer_dpi;
  const double width = std::max(on_paper, dot);
  if (on_paper < dot) {
    // A line thinner than a dot covers the one row or column of dots its edge starts in, as a
    // printer's hairline does, rather than smeared grey over two.
    const auto snap = [&](double& twips, double origin) {
      const double edge = (origin + twips / kTwipsPerPoint - on_paper / 2) / dot;
      twips = ((std::floor(edge + 0.5) + 0.5) * dot - origin) * kTwipsPerPoint;
    };
    snap(x1, area_.left);
    snap(x2, area_.left);
    snap(y1, area_.top);
    snap(y2, area_.top);
  }
  DrawSideLine({cr_.get(), area_.left, area_.top}, pen_, width, x1, y1, x2, y2, colour, box);
}

void ImageSurface::AbortDoc() {
  cr_.reset();
  image_.reset();
}

Picture ImageSurface::TakePicture() {
  EnsureImage();
  cairo_surface_flush(image_.get());
  Picture picture;
  picture.width = cairo_image_surface_get_width(image_.get());
  picture.height = cairo_image_surface_get_height(image_.get());
  const int stride = cairo_image_surface_get_stride(image_.get());
  const unsigned char* data = cairo_image_surface_get_data(image_.get());
  picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
  for (int row = 0; row < picture.height; ++row) {
    const auto* line = reinterpret_cast<const std::uint32_t*>(data + row * stride);
    std::transform(line, line + picture.width,
                   picture.pixels.begin() + static_cast<std::ptrdiff_t>(row) * picture.width,
                   [](std::uint32_t pixel) { return pixel & 0xFFFFFFu; });
  }
  return picture;
}

bool WritePicturePng(const Picture& picture, const std::string& path, std::string& failure) {
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, picture.width);
  if (picture.width <= 0 || picture.height <= 0 || stride <= 0 ||
      picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height) {
    failure = "there is no picture";
    return false;
  }
  std::vector<unsigned char> data(static_cast<std::size_t>(stride) * picture.height);
  for (int row = 0; row < picture.height; ++row) {
    std::memcpy(data.data() + static_cast<std::size_t>(row) * stride,
                picture.pixels.data() + static_cast<std::size_t>(row) * picture.width,
                static_cast<std::size_t>(picture.width) * 4);
  }
  cairo_surface_t* image = cairo_image_surface_create_for_data(
      data.data(), CAIRO_FORMAT_RGB24, picture.width, picture.height, stride);
  const cairo_status_t status = cairo_surface_write_to_png(image, path.c_str());
  cairo_surface_destroy(image);
  if (status == CAIRO_STATUS_SUCCESS) return true;
  failure = status == CAIRO_STATUS_WRITE_ERROR ? std::string("cannot be written")
                                               : cairo_status_to_string(status);
  return false;
}

}  // namespace quireon2
