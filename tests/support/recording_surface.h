// A printer surface for tests: fixed, documented metrics, a configurable list of installed
// printers, settings that can be made to refuse, failures on the N-th call, and a log of
// every drawing call, page end, job end and property write.
//
// Metrics (changeable per test through metrics()), whatever the font size:
//   - every character (a UTF-8 sequence counts as one) is char_width_twips wide; widths
//     of single characters can be overridden;
//   - one line is text_height_twips high;
//   - a text with CR LF or LF measures as several lines: widest width, lines x height.
// Defaults: 100 twips per character, 200 twips per line.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "interfaces/printer_surface.h"
#include "settings/runtime_failure.h"

namespace quireon2::testing {

struct RecordedPrinter {
  std::string name = "Test Printer";
  int two_sided = 1;   // answer to capability 7
  int landscape = 90;  // answer to capability 17
  int paper_size = kPaperLetter;
  std::vector<int> papers = {kPaperLetter, kPaperA4};  // offered; SetPaperSize refuses others
  double width_twips = 12240;   // printable width in portrait
  double height_twips = 15840;  // printable height in portrait
  // Property names whose writes raise 380: "Orientation", "FontSize", "FontName",
  // "Duplex", "PaperSize", "ScaleMode", "DrawWidth", "ColorMode"; "Duplex=3" refuses
  // only that value.
  std::set<std::string> refuses;
  std::vector<FontFamily> fonts = {{"Courier New", true},  {"Liberation Sans", true},
                                   {"Printer Roman", false}, {"Times New Roman", true}};
};

struct SurfaceMetrics {
  double char_width_twips = 100;
  double text_height_twips = 200;
  std::map<std::string, double> char_widths;  // one character (UTF-8 text) -> twips
};

// One logged call. `job` and `page` count from 1 and say where a drawing landed.
struct SurfaceCall {
  std::string op;  // "Print", "Line", "Box", "NewPage", "EndDoc", "AbortDoc", "set X", ...
  std::string text;
  double x = 0, y = 0, x2 = 0, y2 = 0;
  double value = 0;
  Rgb colour;
  int job = 0;
  int page = 0;
};

// It is a picture surface too: OpenPicture gives a surface like it (printer, metrics, font,
// orientation) whose log, when it goes, is kept as one entry of pictures(); its picture is
// one white dot per 1440 twips of the page.
class RecordingSurface : public PictureSurface {
 public:
  RecordingSurface();
  explicit RecordingSurface(std::vector<RecordedPrinter> printers, std::size_t current = 0);
  ~RecordingSurface() override;
  RecordingSurface(const RecordingSurface&) = default;

  std::string DeviceName() const override { return printers_[current_].name; }
  std::string Port() const override { return "file:///dev/null"; }
  std::vector<PrinterInfo> Printers() override;
  void SelectPrinter(std::size_t index) override;
  int DeviceCapabilities(const std::string& device_name, const std::string& port,
                         int query) override;
  std::vector<FontFamily> FontFamilies() override { return printer().fonts; }

  void SetScaleMode(int mode) override { CheckRefused("ScaleMode", mode); }
  int Orientation() const override { return orientation_; }
  void SetOrientation(int orientation) override;
  double ScaleWidth() const override;
  double ScaleHeight() const override;
  std::string FontName() const override { return font_name_; }
  void SetFontName(const std::string& name) override;
  double FontSize() const override { return font_size_; }
  void SetFontSize(double size_points) override;
  int PaperSize() const override;
  void SetPaperSize(int code) override;
  PrinterPapers Papers(const std::string& device_name) override;
  void KeepPaperSize() override { Log("keep PaperSize", {}, PaperSize()); }
  int PdfPaperSize() const override { return pdf_paper_; }
  void SetPdfPaperSize(int code) override;
  double CurrentX() const override { return x_; }
  double CurrentY() const override { return y_; }
  void SetCurrentX(double x) override { x_ = x; }
  void SetCurrentY(double y) override { y_ = y; }
  void Print(std::string_view text, bool line_end) override;
  double TextWidth(std::string_view text) override;
  double TextHeight(std::string_view text) override;
  void SetDrawWidth(int pixels) override;
  void Line(double x1, double y1, double x2, double y2, Rgb colour, bool box) override;
  void NewPage() override;
  void EndDoc() override;
  void AbortDoc() override;
  int Duplex() const override { return duplex_; }
  void SetDuplex(int value) override;
  void SetColorMode(int mode) override { CheckRefused("ColorMode", mode); }
  void SetDocumentName(const std::string& source_path) override { document_name_ = source_path; }
  std::unique_ptr<PictureSurface> OpenPicture(double dots_per_inch) override;
  Picture TakePicture() override;

  // Test controls.
  SurfaceMetrics& metrics() { return metrics_; }
  RecordedPrinter& printer() { return printers_[current_]; }
  std::vector<RecordedPrinter>& printers() { return printers_; }
  // The n-th (from 1) call of `op` from now raises `failure` instead of doing its work;
  // with n = 0 every call does. Besides the drawing and "set X" calls, `op` may be
  // "TextWidth", "TextHeight" or "DeviceCapabilities".
  void FailOnCall(const std::string& op, int n, RuntimeFailure failure) {
    fail_on_call_[op] = {n, std::move(failure)};
  }

  // The log.
  const std::vector<SurfaceCall>& calls() const { return calls_; }
  void ClearLog() { calls_.clear(); }
  // The jobs EndDoc sent, in order: each one's number (as SurfaceCall::job) and pages.
  struct SentJob { int number = 0; int pages = 0; };
  const std::vector<SentJob>& sent_jobs() const { return sent_jobs_; }
  int jobs_started() const { return jobs_started_; }
  bool job_open() const { return job_open_; }
  std::string document_name() const { return document_name_; }
  // The logs of the pictures opened on this surface and gone since, in order.
  const std::vector<std::vector<SurfaceCall>>& pictures() const { return pictures_; }

 private:
  void MaybeFail(const std::string& op);
  void CheckRefused(const std::string& property, double value);
  SurfaceCall& Log(std::string op, std::string text = {}, double value = 0);
  void EnsureJob();

  std::vector<RecordedPrinter> printers_;
  std::size_t current_ = 0;
  SurfaceMetrics metrics_;
  std::map<std::string, std::pair<int, RuntimeFailure>> fail_on_call_;
  std::vector<SurfaceCall> calls_;
  int orientation_ = kPortrait;
  std::string font_name_ = "Times New Roman";
  double font_size_ = 10;
  double x_ = 0, y_ = 0;
  int duplex_ = kDuplexSimplex;
  int draw_width_ = 1;
  int paper_override_ = 0;
  int pdf_paper_ = 0;
  bool job_open_ = false;
  int jobs_started_ = 0;
  int page_ = 0;
  std::vector<SentJob> sent_jobs_;
  std::string document_name_;
  RecordingSurface* picture_of_ = nullptr;
  std::vector<std::vector<SurfaceCall>> pictures_;
};

}  // namespace quireon2::testing
