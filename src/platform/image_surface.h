// The picture of one sheet side: the printer's paper, orientation and font drawn on a cairo image
// instead of a job, with the same glyphs, measures and lines as the printed page.
#pragma once

#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

#include "interfaces/printer_surface.h"
#include "platform/glyph_pen.h"
#include "platform/paper.h"

namespace quireon2 {

class FontCache;
class FontFace;

// What a picture takes over from its printer when it is opened.
struct PictureSetup {
  Paper paper;  // in portrait, with the printer's margins
  int orientation = kPortrait;
  std::string font_name;  // as requested of the printer
  double font_size = 10;
  int draw_width = 1;     // printer dots
  int printer_dpi = 600;  // the dots a line width counts in
  double dots_per_inch = 96;
};

class ImageSurface : public PictureSurface {
 public:
  // A blank side of `printer`'s paper; its fonts come from `fonts`, which must outlive it. Printer
  // questions are answered by `printer`; changing the printer, its paper or its sides is refused
  // with 380.
  ImageSurface(PrinterSurface& printer, FontCache& fonts, const PictureSetup& setup);
  ~ImageSurface() override;
  ImageSurface(const ImageSurface&) = delete;
  ImageSurface& operator=(const ImageSurface&) = delete;

  Picture TakePicture() override;

  std::string DeviceName() const override { return printer_.DeviceName(); }
  std::string Port() const override { return printer_.Port(); }
  std::vector<PrinterInfo> Printers() override { return printer_.Printers(); }
  void SelectPrinter(std::size_t index) override;
  int DeviceCapabilities(const std::string& device_name, const std::string& port,
                         int query) override;
  std::vector<FontFamily> FontFamilies() override { return printer_.FontFamilies(); }

  void SetScaleMode(int mode) override;
  int Orientation() const override { return setup_.orientation; }
  void SetOrientation(int orientation) override;
  double ScaleWidth() const override;
  double ScaleHeight() const override;

  std::string FontName() const override;
  void SetFontName(const std::string& name) override;
  double FontSize() const override { return setup_.font_size; }
  void SetFontSize(double size_points) override;

  int PaperSize() const override { return printer_.PaperSize(); }
  void SetPaperSize(int code) override;
  PrinterPapers Papers(const std::string& device_name) override;
  void KeepPaperSize() override;
  int PdfPaperSize() const override { return printer_.PdfPaperSize(); }
  void SetPdfPaperSize(int code) override;

  double CurrentX() const override { return x_; }
  double CurrentY() const override { return y_; }
  void SetCurrentX(double x_twips) override { x_ = x_twips; }
  void SetCurrentY(double y_twips) override { y_ = y_twips; }

  void Print(std::string_view text, bool line_end) override;
  double TextWidth(std::string_view text) override;
  double TextHeight(std::string_view text) override;

  void SetDrawWidth(int pixels) override;
  void Line(double x1, double y1, double x2, double y2, Rgb colour, bool box) override;

  void NewPage() override {}
  void EndDoc() override {}
  void AbortDoc() override;

  int Duplex() const override { return printer_.Duplex(); }
  void SetDuplex(int value) override;
  void SetColorMode(int mode) override;
  void SetDocumentName(const std::string&) override {}

 private:
  PageArea Geometry() const;
  FontFace& Face() const;  // matched lazily for the requested name
  // The image, made white at the first drawing in the orientation then in force.
  void EnsureImage();

  struct SurfaceDestroyer {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
  };
  struct ContextDestroyer {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
  };

  PrinterSurface& printer_;
  FontCache& fonts_;
  PictureSetup setup_;
  mutable FontFace* face_ = nullptr;
  double x_ = 0, y_ = 0;
  PageArea area_;  // of the image once it is made
  GlyphPen pen_;
  std::unique_ptr<cairo_surface_t, SurfaceDestroyer> image_;
  std::unique_ptr<cairo_t, ContextDestroyer> cr_;
};

// Writes `picture` to `path` as a PNG file; false, with the reason in `failure`, when it cannot be
// written.
bool WritePicturePng(const Picture& picture, const std::string& path, std::string& failure);

}  // namespace quireon2
