// The printer surface over CUPS and the built-in "Print to PDF" printer: each job is drawn
// on a cairo PDF surface with fontconfig/FreeType fonts, then sent to the CUPS queue as one
// PDF document or written to a file.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "interfaces/printer_surface.h"
#include "platform/cups_queues.h"
#include "platform/glyph_pen.h"
#include "platform/paper.h"

namespace quireon2 {

inline constexpr char kPrintToPdf[] = "Print to PDF";

class FontCache;
class FontFace;
class PdfJob;

class CupsSurface : public PrinterSurface {
 public:
  // Reads the printer list; the current printer is the CUPS default, else "Print to PDF".
  CupsSurface();
  ~CupsSurface() override;
  CupsSurface(const CupsSurface&) = delete;
  CupsSurface& operator=(const CupsSurface&) = delete;

  // Where "Print to PDF" writes a job: called at the job's start with the suggested path
  // (the source file's name with .pdf in the folder last written to; a later job of the
  // same run goes beside the run's first file, with -2 before the extension for the
  // second); returning nothing drops the job. Without a callback the suggested path is
  // used.
  using PdfPathCallback = std::function<std::optional<std::string>(const std::string& suggested)>;
  void SetPdfPathCallback(PdfPathCallback callback);
  // For callers without windows: job 1 of a run goes to `path`, job 2 to path with -2
  // before the extension, and so on.
  void SetPdfOutputPath(const std::string& path);
  // CUPS job options every job to a queue takes from now on (copies=2, ...), on top of the
  // user's own for the queue; the sides and paper of the layout stay the program's.
  void SetJobOptions(std::vector<std::pair<std::string, std::string>> options) {
    job_options_ = std::move(options);
  }

  // The CUPS job id of the last job sent to a queue (0 before any), and the file the last
  // "Print to PDF" job was written to.
  int last_job_id() const { return last_job_id_; }
  const std::string& last_pdf_path() const { return last_pdf_path_; }
  // The job being started or drawn, from 1 for each document.
  int job_number() const { return job_number_; }

  std::string DeviceName() const override;
  std::string Port() const override;
  std::vector<PrinterInfo> Printers() override;
  void SelectPrinter(std::size_t index) override;
  int DeviceCapabilities(const std::string& device_name, const std::string& port,
                         int query) override;
  std::vector<FontFamily> FontFamilies() override;
  std::string PrinterNotice() override;

  void SetScaleMode(int mode) override;
  int Orientation() const override { return orientation_; }
  void SetOrientation(int orientation) override;
  double ScaleWidth() const override;
  double ScaleHeight() const override;

  std::string FontName() const override;
  void SetFontName(const std::string& name) override;
  double FontSize() const override { return font_size_; }
  void SetFontSize(double size_points) override;

  int PaperSize() const override;
  void SetPaperSize(int code) override;
  PrinterPapers Papers(const std::string& device_name) override;
  void KeepPaperSize() override;
  int PdfPaperSize() const override { return pdf_kept_code_; }
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

  void NewPage() override;
  void EndDoc() override;
  void AbortDoc() override;

  int Duplex() const override { return duplex_; }
  void SetDuplex(int value) override;
  void SetColorMode(int mode) override;
  void SetDocumentName(const std::string& source_path) override;
  std::unique_ptr<PictureSurface> OpenPicture(double dots_per_inch) override;

 private:
  // Where the open job goes.
  struct JobTarget {
    bool to_pdf_file = false;
    std::string queue;
    std::string pdf_path;
    std::string title;
    std::string media;
    int duplex = kDuplexSimplex;
  };

  void SetPrinterList(const std::vector<CupsDestination>& destinations);
  void MakeCurrent(const PrinterInfo& printer, bool is_pdf);
  Paper CurrentPaper() const;
  // The printable area of the current paper in the current orientation.
  PageArea CurrentGeometry() const;
  FontFace& CurrentFace() const;
  void StartJob();
  void EnsurePage();
  int ResolutionDpi() const;  // of the current printer's output

  mutable std::unique_ptr<FontCache> fonts_;
  mutable FontFace* face_ = nullptr;  // matched lazily for the requested name
  std::string requested_font_ = "Times New Roman";
  double font_size_ = 10;

  std::vector<PrinterInfo> printers_;  // the last list handed out, "Print to PDF" last
  PrinterInfo current_;
  bool current_is_pdf_ = true;
  QueueFacts facts_;                               // of the current CUPS queue
  std::vector<std::pair<std::string, Paper>> paper_chosen_;  // queue -> paper set for this run
  int system_paper_code_ = kPaperA4;  // the system's default paper
  int pdf_paper_code_ = kPaperA4;     // in force for "Print to PDF"
  int pdf_kept_code_ = 0;             // kept for it, 0 when none was
  std::string pdf_folder_;  // the folder "Print to PDF" last wrote to

  int orientation_ = kPortrait;
  int duplex_ = kDuplexSimplex;
  int draw_width_ = 1;
  int color_mode_ = 1;
  double x_ = 0, y_ = 0;

  std::string document_path_;
  int job_number_ = 0;  // jobs started since SetDocumentName
  PdfPathCallback pdf_path_callback_;
  std::string pdf_output_path_;
  std::vector<std::pair<std::string, std::string>> job_options_;
  std::unique_ptr<PdfJob> job_;
  JobTarget target_;
  GlyphPen pen_;
  int last_job_id_ = 0;
  std::string last_pdf_path_;
  std::string run_pdf_path_;  // the file the document's first written job went to
};

}  // namespace quireon2
