// The printer surface: the current printer, its paper and font, and the job being drawn.
#include "platform/cups_surface.h"

#include <cups/cups.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "interfaces/units.h"
#include "platform/font_cache.h"
#include "platform/image_surface.h"
#include "platform/output_path.h"
#include "platform/pdf_job.h"
#include "platform/side_drawing.h"
#include "platform/surface_text.h"
#include "settings/runtime_failure.h"

namespace quireon2 {
namespace fs = std::filesystem;

namespace {

constexpr int kPdfResolutionDpi = 600;
constexpr double kLargestFontPoints = 1638;  // what the classic printer font sizes allow

}  // namespace

CupsSurface::CupsSurface() : fonts_(std::make_unique<FontCache>()) {
  system_paper_code_ = SystemPaperCode();
  pdf_paper_code_ = system_paper_code_;
  const std::vector<CupsDestination> destinations = ListCupsDestinations();
  SetPrinterList(destinations);
  std::size_t chosen = printers_.size() - 1;
  for (std::size_t i = 0; i < destinations.size(); ++i) {
    if (destinations[i].is_default) chosen = i;
  }
  MakeCurrent(printers_[chosen], chosen == printers_.size() - 1);
}

CupsSurface::~CupsSurface() = default;

void CupsSurface::SetPdfPathCallback(PdfPathCallback callback) {
  pdf_path_callback_ = std::move(callback);
  pdf_output_path_.clear();
}

void CupsSurface::SetPdfOutputPath(const std::string& path) {
  pdf_output_path_ = path;
  pdf_path_callback_ = nullptr;
}

std::string CupsSurface::DeviceName() const { return current_.device_name; }

std::string CupsSurface::Port() const { return current_is_pdf_ ? pdf_folder_ : current_.port; }

void CupsSurface::SetPrinterList(const std::vector<CupsDestination>& destinations) {
  printers_.clear();
  for (const CupsDestination& d : destinations) printers_.push_back({d.name, d.device_uri});
  printers_.push_back({kPrintToPdf, pdf_folder_});
}

std::vector<PrinterInfo> CupsSurface::Printers() {
  SetPrinterList(ListCupsDestinations());
  return printers_;
}

void CupsSurface::SelectPrinter(std::size_t index) {
  if (index >= printers_.size()) RaiseFailure(kInvalidPropertyValue);
  MakeCurrent(printers_[index], index + 1 == printers_.size());
}

void CupsSurface::MakeCurrent(const PrinterInfo& printer, bool is_pdf) {
  current_ = printer;
  current_is_pdf_ = is_pdf;
  facts_ = is_pdf ? QueueFacts{} : ReadQueueFacts(printer.device_name);
  // Settings this printer cannot take fall back to ones it can, so reading them back
  // tells the truth.
  if (!is_pdf) {
    if (!OffersSides(facts_, duplex_)) duplex_ = kDuplexSimplex;
    if (facts_.landscape == 0) orientation_ = kPortrait;
  }
}

int CupsSurface::DeviceCapabilities(const std::string& device_name, const std::string&,
                                    int query) {
  if (device_name == kPrintToPdf) {
    if (query == kCapabilityDuplex) return 1;
    if (query == kCapabilityOrientation) return 90;
    return -1;
  }
  return QueueCapability(ReadQueueFacts(device_name), query);
}

std::vector<FontFamily> CupsSurface::FontFamilies() { return FontCache::Families(); }

std::string CupsSurface::PrinterNotice() {
  if (current_is_pdf_ || !QueuePaused(current_.device_name)) return std::string();
  return "The printer " + current_.device_name +
         " is paused: the job waits in its queue until the printer is resumed.";
}

void CupsSurface::SetScaleMode(int mode) {
  // Every length of the program is in twips; no other scale is offered.
  if (mode != 1) RaiseFailure(kInvalidPropertyValue);
}

void CupsSurface::SetOrientation(int orientation) {
  if (orientation != kPortrait && orientation != kLandscape) RaiseFailure(kInvalidPropertyValue);
  if (orientation == kLandscape && !current_is_pdf_ && facts_.landscape == 0) {
    RaiseFailure(kInvalidPropertyValue);
  }
  orientation_ = orientation;
}

Paper CupsSurface::CurrentPaper() const {
  if (!current_is_pdf_) {
    for (const auto& [queue, paper] : paper_chosen_) {
      if (queue == current_.device_name) return paper;
    }
    if (facts_.default_paper) return *facts_.default_paper;
  }
  std::optional<Paper> paper =
      PaperForCode(current_is_pdf_ ? pdf_paper_code_ : system_paper_code_);
  return paper ? *paper : *PaperForCode(kPaperA4);
}

PageArea CupsSurface::CurrentGeometry() const {
  return PageAreaOf(CurrentPaper(), orientation_ == kLandscape);
}

double CupsSurface::ScaleWidth() const { return CurrentGeometry().width * kTwipsPerPoint; }

double CupsSurface::ScaleHeight() const { return CurrentGeometry().height * kTwipsPerPoint; }

FontFace& CupsSurface::CurrentFace() const {
  if (face_ == nullptr) face_ = &fonts_->Match(requested_font_);
  return *face_;
}

std::string CupsSurface::FontName() const { return CurrentFace().family(); }

void CupsSurface::SetFontName(const std::string& name) {
  FontFace& face = fonts_->Match(name);
  requested_font_ = name;
  face_ = &face;
}

void CupsSurface::SetFontSize(double size_points) {
  if (!std::isfinite(size_points) || size_points <= 0 || size_points > kLargestFontPoints) {
    RaiseFailure(kInvalidPropertyValue);
  }
  font_size_ = size_points;
}

int CupsSurface::PaperSize() const {
  return current_is_pdf_ ? pdf_paper_code_ : PaperCodeOf(CurrentPaper());
}

void CupsSurface::SetPaperSize(int code) {
  if (!PaperForCode(code)) RaiseFailure(kInvalidPropertyValue);
  if (current_is_pdf_) {
    pdf_paper_code_ = code;
    return;
  }
  const auto offered = std::find_if(facts_.papers.begin(), facts_.papers.end(),
                                    [code](const auto& paper) { return paper.first == code; });
  if (offered == facts_.papers.end()) RaiseFailure(kInvalidPropertyValue);
  for (auto& [queue, chosen] : paper_chosen_) {
    if (queue == current_.device_name) {
      chosen = offered->second;
      return;
    }
  }
  paper_chosen_.emplace_back(current_.device_name, offered->second);
}

PrinterPapers CupsSurface::Papers(const std::string& device_name) {
  if (device_name == kPrintToPdf) return {PaperCodes(), pdf_paper_code_};
  if (!current_is_pdf_ && device_name == current_.device_name) {
    PrinterPapers papers{{}, PaperSize()};
    for (const auto& paper : facts_.papers) papers.offered.push_back(paper.first);
    return papers;
  }
  const QueueFacts facts = ReadQueueFacts(device_name);
  PrinterPapers papers;
  for (const auto& paper : facts.papers) papers.offered.push_back(paper.first);
  papers.in_force = facts.default_paper ? PaperCodeOf(*facts.default_paper) : system_paper_code_;
  for (const auto& [queue, chosen] : paper_chosen_) {
    if (queue == device_name) papers.in_force = PaperCodeOf(chosen);
  }
  return papers;
}

void CupsSurface::KeepPaperSize() {
  if (current_is_pdf_) {
    pdf_kept_code_ = pdf_paper_code_;
    return;
  }
  const Paper paper = CurrentPaper();
  // Not kept, it still holds for this run: the dialog has no word for an unwritable file.
  if (KeepQueueMedia(current_.device_name, paper.media)) facts_.default_paper = paper;
}

void CupsSurface::SetPdfPaperSize(int code) {
  if (!PaperForCode(code)) RaiseFailure(kInvalidPropertyValue);
  pdf_paper_code_ = pdf_kept_code_ = code;
}

void CupsSurface::StartJob() {
  ++job_number_;
  JobTarget target;
  target.to_pdf_file = current_is_pdf_;
  target.queue = current_.device_name;
  target.duplex = duplex_;
  target.media = CurrentPaper().media;
  target.title =
      document_path_.empty() ? "Quireon2" : fs::path(document_path_).filename().string();
  bool drawn = true;
  if (current_is_pdf_) {
    if (!pdf_output_path_.empty()) {
      target.pdf_path = NumberedPath(pdf_output_path_, job_number_);
    } else if (pdf_path_callback_) {
      // The sides of one run belong together: beside the file the first one went to.
      std::optional<std::string> chosen = pdf_path_callback_(
          run_pdf_path_.empty() ? SuggestedPdfPath(document_path_, pdf_folder_, job_number_)
                                : NumberedPath(run_pdf_path_, job_number_));
      drawn = chosen.has_value() && !chosen->empty();
      if (drawn) target.pdf_path = *chosen;
    } else {
      target.pdf_path = SuggestedPdfPath(document_path_, pdf_folder_, job_number_);
    }
  }
  // A job without a file is still laid out, so it fails only when it ends, as a job whose
  // file cannot be written.
  const PageArea g = CurrentGeometry();
  job_ = std::make_unique<PdfJob>(drawn, target.pdf_path, target.title, g.page_width,
                                  g.page_height);
  target_ = std::move(target);
  pen_.StartJob();
}

void CupsSurface::EnsurePage() {
  if (!job_) StartJob();
  if (job_->page_open) return;
  // Orientation and paper may change between pages; each page takes them at its start.
  const PageArea g = CurrentGeometry();
  job_->SetPageSize(g.page_width, g.page_height);
  job_->origin_x = g.left;
  job_->origin_y = g.top;
  job_->page_open = true;
  pen_.EndTextObject();
}

void CupsSurface::Print(std::string_view text, bool line_end) {
  FontFace& face = CurrentFace();
  EnsurePage();
  DrawSideText({job_->cr(), job_->origin_x, job_->origin_y}, pen_, face, font_size_, x_, y_,
               text, line_end);
}

double CupsSurface::TextWidth(std::string_view text) {
  return SideTextWidth(pen_, CurrentFace(), font_size_, text);
}

double CupsSurface::TextHeight(std::string_view text) {
  return static_cast<double>(PrinterTextLines(text).size()) *
         SideLineHeight(CurrentFace(), font_size_);
}

void CupsSurface::SetDrawWidth(int pixels) {
  if (pixels < 1) RaiseFailure(kInvalidPropertyValue);
  draw_width_ = pixels;
}

void CupsSurface::Line(double x1, double y1, double x2, double y2, Rgb colour, bool box) {
  EnsurePage();
  DrawSideLine({job_->cr(), job_->origin_x, job_->origin_y}, pen_,
               draw_width_ * kPointsPerInch / ResolutionDpi(), x1, y1, x2, y2, colour, box);
}

int CupsSurface::ResolutionDpi() const {
  return current_is_pdf_ ? kPdfResolutionDpi : facts_.resolution_dpi;
}

std::unique_ptr<PictureSurface> CupsSurface::OpenPicture(double dots_per_inch) {
  PictureSetup setup;
  setup.paper = CurrentPaper();
  setup.orientation = orientation_;
  setup.font_name = requested_font_;
  setup.font_size = font_size_;
  setup.draw_width = draw_width_;
  setup.printer_dpi = ResolutionDpi();
  setup.dots_per_inch = dots_per_inch;
  return std::make_unique<ImageSurface>(*this, *fonts_, setup);
}

void CupsSurface::NewPage() {
  EnsurePage();
  job_->ShowPage();
  job_->page_open = false;
}

void CupsSurface::EndDoc() {
  // The side this ends is fed even when nothing was drawn on it, and even when it is the
  // job's only one: the passes of a booklet count on every side reaching the paper.
  EnsurePage();
  // The job's temp file goes with it, come what may.
  const std::unique_ptr<PdfJob> job = std::move(job_);
  const bool drawn = job->cr() != nullptr;
  const cairo_status_t status = job->Finish();
  if (!drawn && job->file().failure().empty()) return;  // its output was declined
  if (!job->file().Close()) {
    // Nothing was written, so the next job may take this file name.
    if (target_.to_pdf_file) --job_number_;
    RaiseFailure(kPathFileAccessError, job->file().failure());
  }
  if (status != CAIRO_STATUS_SUCCESS) {
    RaiseFailure(kPrinterError,
                 std::string("Printer error (") + cairo_status_to_string(status) + ")");
  }
  if (target_.to_pdf_file) {
    if (!job->file().MoveTo()) {
      --job_number_;
      RaiseFailure(kPathFileAccessError, job->file().failure());
    }
    last_pdf_path_ = target_.pdf_path;
    if (run_pdf_path_.empty()) run_pdf_path_ = target_.pdf_path;
    std::error_code error;
    pdf_folder_ = fs::absolute(fs::path(target_.pdf_path), error).parent_path().string();
    return;
  }
  std::vector<std::pair<std::string, std::string>> options = job_options_;
  options.emplace_back(CUPS_SIDES, SidesKeyword(target_.duplex));
  if (!target_.media.empty()) options.emplace_back(CUPS_MEDIA, target_.media);
  last_job_id_ = SendPdfFile(target_.queue, job->file().path(), target_.title, options);
}

void CupsSurface::AbortDoc() {
  // A dropped job wrote nothing, so the next job takes its number (and its file name).
  if (job_) --job_number_;
  job_.reset();
}

void CupsSurface::SetDuplex(int value) {
  if (value != kDuplexSimplex && value != kDuplexLongEdge && value != kDuplexShortEdge) {
    RaiseFailure(kInvalidPropertyValue);
  }
  if (!current_is_pdf_ && value != kDuplexSimplex &&
      (!OffersSides(facts_, value) || facts_.two_sided == 0)) {
    RaiseFailure(kInvalidPropertyValue);
  }
  duplex_ = value;
}

void CupsSurface::SetColorMode(int mode) {
  if (mode != 1 && mode != 2) RaiseFailure(kInvalidPropertyValue);
  color_mode_ = mode;
}

void CupsSurface::SetDocumentName(const std::string& source_path) {
  document_path_ = source_path;
  job_number_ = 0;
  run_pdf_path_.clear();
}

}  // namespace quireon2
