// The cairo/fontconfig/FreeType/CUPS printer surface and the built-in "Print to PDF" printer.
#include "platform/cups_surface.h"

#include <cairo-pdf.h>
#include <cups/cups.h>
#include <cairo.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/font_cache.h"
#include "platform/output_path.h"
#include "platform/surface_text.h"
#include "platform/temp_file.h"
#include "settings/runtime_failure.h"

namespace quireon2 {
namespace fs = std::filesystem;

namespace {

constexpr double kTwipsPerPoint = 20;
constexpr int kPdfResolutionDpi = 600;
constexpr double kLargestFontPoints = 1638;  // what the classic printer font sizes allow

const char* SidesKeyword(int duplex) {
  switch (duplex) {
    case kDuplexLongEdge: return CUPS_SIDES_TWO_SIDED_PORTRAIT;
    case kDuplexShortEdge: return CUPS_SIDES_TWO_SIDED_LANDSCAPE;
    default: return CUPS_SIDES_ONE_SIDED;
  }
}

// A queue that names its sides must name this one; one that names none may try it.
bool OffersSides(const QueueFacts& facts, int duplex) {
  const char* wanted = SidesKeyword(duplex);
  return facts.sides.empty() ||
         std::find(facts.sides.begin(), facts.sides.end(), wanted) != facts.sides.end();
}

int PaperCodeOf(const Paper& paper) {
  constexpr double kHmmPerPoint = 2540.0 / 72.0;
  return PaperCodeForSize(static_cast<int>(std::lround(paper.width_points * kHmmPerPoint)),
                          static_cast<int>(std::lround(paper.height_points * kHmmPerPoint)));
}

std::string FileFailure(const std::string& path, int error) {
  return "Path/File access error (" + path + ": " + std::strerror(error) + ")";
}

}  // namespace

// One open job: the PDF being drawn and where it goes. cairo writes the PDF into a temp
// file as it goes, so memory does not grow with the job: for "Print to PDF" one beside the
// destination that takes its place when the job ends (so no half file is ever left there),
// for a queue one in the temp folder that is sent and then removed.
struct CupsSurface::Job {
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;  // null for a job whose output was declined or has no file
  std::FILE* file = nullptr;
  std::string file_path;     // the temp file; empty once it has taken the destination's place
  std::string file_shown;    // the file a failure names: the destination, else the temp file
  std::string file_failure;  // why the temp file could not be made or written, if it could not
  bool discarding = false;   // the job is dropped: cairo's remaining output goes nowhere
  bool to_pdf_file = false;
  std::string queue;
  std::string pdf_path;
  std::string title;
  std::string media;
  int duplex = kDuplexSimplex;
  double line_width_points = 0;
  bool page_open = false;
  double origin_x = 0, origin_y = 0;  // the printable area's corner on this page, points
  cairo_scaled_font_t* font = nullptr;
  bool source_black = false;
  // cairo's text pen after the last text drawn, and how far readers are behind it (points).
  bool pen_valid = false;
  double pen_baseline = 0, pen_size = 0, pen_cairo_x = 0, pen_drift = 0;

  ~Job() {
    discarding = true;
    if (cr != nullptr) cairo_destroy(cr);
    if (surface != nullptr) cairo_surface_destroy(surface);
    if (file != nullptr) std::fclose(file);
    if (!file_path.empty()) unlink(file_path.c_str());
  }

  // Makes the temp file. "Print to PDF" gets one beside `destination`, readable as a file
  // the user saves would be; a queue gets a private one in the temp folder.
  void OpenFile(const std::string& destination) {
    int fd = -1;
    if (to_pdf_file) {
      std::string temp = destination + ".XXXXXX";
      fd = mkostemp(temp.data(), O_CLOEXEC);
      if (fd < 0) {
        file_failure = FileFailure(destination, errno);
        return;
      }
      file_path = temp;
      file_shown = destination;
      const mode_t mask = umask(0);
      umask(mask);
      fchmod(fd, 0666 & ~mask);
    } else {
      const std::string folder = TempFolder();
      if (folder.empty()) {
        file_failure = "Path/File access error (no writable temp folder)";
        return;
      }
      std::string error;
      file_path = MakeTempFile(folder, "quireon2-job-", &error);
      if (file_path.empty()) {
        file_failure = "Path/File access error (" + folder + ": " + error + ")";
        return;
      }
      file_shown = file_path;
      fd = open(file_path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
      if (fd < 0) {
        file_failure = FileFailure(file_shown, errno);
        return;
      }
    }
    file = fdopen(fd, "wb");
    if (file == nullptr) {
      file_failure = FileFailure(file_shown, errno);
      close(fd);
      return;
    }
    std::setvbuf(file, nullptr, _IOFBF, 64 * 1024);  // cairo writes in small pieces
  }

  // Closes the file with everything cairo wrote; false, with the reason kept, when some of
  // it did not reach the disk.
  bool CloseFile() {
    if (file != nullptr) {
      errno = 0;
      if (std::fclose(file) != 0 && file_failure.empty()) {
        file_failure = FileFailure(file_shown, errno != 0 ? errno : EIO);
      }
      file = nullptr;
    }
    return file_failure.empty();
  }

  // cairo's output: appended to the file; the first failure stops the job.
  static cairo_status_t Write(void* closure, const unsigned char* data, unsigned int length) {
    Job& job = *static_cast<Job*>(closure);
    if (job.discarding) return CAIRO_STATUS_SUCCESS;
    if (job.file == nullptr || !job.file_failure.empty()) return CAIRO_STATUS_WRITE_ERROR;
    errno = 0;
    if (std::fwrite(data, 1, length, job.file) != length) {
      job.file_failure = FileFailure(job.file_shown, errno != 0 ? errno : EIO);
      return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
  }
};

CupsSurface::CupsSurface() : fonts_(std::make_unique<FontCache>()) {
  // cairo takes its page compressor's few hundred KB at each page and frees them at the
  // page's end; with the PDF no longer held in memory above them, the allocator would
  // hand that back to the system and ask for it again on every page. Keeping a megabyte
  // at the heap's top spares those two system calls per page.
  static const bool kTopPadSet = mallopt(M_TOP_PAD, 1 << 20) != 0;
  static_cast<void>(kTopPadSet);
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
  QueueFacts facts = ReadQueueFacts(device_name);
  if (query == kCapabilityDuplex) return facts.two_sided;
  if (query == kCapabilityOrientation) return facts.landscape;
  return -1;
}

std::vector<FontFamily> CupsSurface::FontFamilies() { return FontCache::Families(); }

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

CupsSurface::Geometry CupsSurface::CurrentGeometry() const {
  Paper p = CurrentPaper();
  if (orientation_ == kLandscape) {
    // The landscape page lies on the sheet turned a quarter counter-clockwise: its top
    // edge along the sheet's left edge, its left edge along the sheet's bottom.
    p = {p.media, p.height_points, p.width_points,
         p.bottom_points, p.top_points,   // the page's left and right margins
         p.left_points, p.right_points};  // its top and bottom margins
  }
  const double width = p.width_points - p.left_points - p.right_points;
  const double height = p.height_points - p.top_points - p.bottom_points;
  return {p.width_points, p.height_points, p.left_points, p.top_points, width, height};
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

std::string CupsSurface::SuggestedPdfPath() const {
  fs::path suggested;
  if (!document_path_.empty()) {
    suggested = fs::path(document_path_).replace_extension(".pdf");
    // A source that is itself named .pdf must never be overwritten by its own print.
    if (suggested == fs::path(document_path_)) suggested += ".pdf";
  } else {
    const char* home = std::getenv("HOME");
    std::error_code error;
    fs::path folder = !pdf_folder_.empty() ? fs::path(pdf_folder_)
                      : home != nullptr    ? fs::path(home)
                                           : fs::current_path(error);
    suggested = folder / "Quireon2.pdf";
  }
  return NumberedPath(suggested.string(), job_number_);
}

void CupsSurface::StartJob() {
  auto job = std::make_unique<Job>();
  ++job_number_;
  job->to_pdf_file = current_is_pdf_;
  job->queue = current_.device_name;
  job->duplex = duplex_;
  job->media = CurrentPaper().media;
  job->title = document_path_.empty() ? "Quireon2" : fs::path(document_path_).filename().string();
  bool drawn = true;
  if (current_is_pdf_) {
    if (!pdf_output_path_.empty()) {
      job->pdf_path = NumberedPath(pdf_output_path_, job_number_);
    } else if (pdf_path_callback_) {
      std::optional<std::string> chosen = pdf_path_callback_(SuggestedPdfPath());
      drawn = chosen.has_value() && !chosen->empty();
      if (drawn) job->pdf_path = *chosen;
    } else {
      job->pdf_path = SuggestedPdfPath();
    }
  }
  // A job without a file is still laid out, so it fails only when it ends, as a job whose
  // file cannot be written.
  if (drawn) job->OpenFile(job->pdf_path);
  if (drawn && job->file != nullptr) {
    const Geometry g = CurrentGeometry();
    job->surface =
        cairo_pdf_surface_create_for_stream(Job::Write, job.get(), g.page_width, g.page_height);
    cairo_pdf_surface_set_metadata(job->surface, CAIRO_PDF_METADATA_TITLE, job->title.c_str());
    cairo_pdf_surface_set_metadata(job->surface, CAIRO_PDF_METADATA_CREATOR, "Quireon2");
    job->cr = cairo_create(job->surface);
    if (cairo_status(job->cr) != CAIRO_STATUS_SUCCESS) {
      RaiseFailure(kPrinterError, std::string("Printer error (") +
                                      cairo_status_to_string(cairo_status(job->cr)) + ")");
    }
    cairo_set_line_cap(job->cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(job->cr, CAIRO_LINE_JOIN_MITER);
  }
  job_ = std::move(job);
}

void CupsSurface::EnsurePage() {
  if (!job_) StartJob();
  if (job_->page_open) return;
  // Orientation and paper may change between pages; each page takes them at its start.
  const Geometry g = CurrentGeometry();
  if (job_->cr != nullptr) cairo_pdf_surface_set_size(job_->surface, g.page_width, g.page_height);
  job_->origin_x = g.left;
  job_->origin_y = g.top;
  job_->page_open = true;
  job_->pen_valid = false;
}

double CupsSurface::DrawTextLine(FontFace& face, std::string_view line) {
  decoded_.clear();
  DecodePrinterText(line, decoded_);
  if (job_->cr == nullptr || decoded_.empty()) return face.AdvanceMilli(decoded_);

  // Readers place each glyph by the whole-thousandth width the PDF font records, while
  // cairo keeps its own pen by the font's finer advances and adds a correction only where
  // a glyph strays from that pen. A text continuing on the same line in the same text
  // object is therefore handed to cairo at cairo's pen, shifted by the difference, so
  // readers put it exactly where it was measured to go. Anything that starts a new text
  // position in cairo (another line, another size, a stroke, a new page) clears it.
  const double size = font_size_;
  const double start = job_->origin_x + x_ / kTwipsPerPoint;
  const double baseline =
      job_->origin_y + y_ / kTwipsPerPoint + face.ascent_units() / face.units_per_em() * size;
  double cairo_start = start;
  if (job_->pen_valid && job_->pen_baseline == baseline && job_->pen_size == size &&
      std::fabs(start + job_->pen_drift - job_->pen_cairo_x) <= 10 * size) {
    cairo_start = start + job_->pen_drift;
  } else {
    job_->pen_drift = 0;
  }
  glyphs_.resize(decoded_.size());
  double em = 0;
  double milli = 0;
  for (std::size_t i = 0; i < decoded_.size(); ++i) {
    const FontFace::Glyph& glyph = face.Lookup(decoded_[i]);
    glyphs_[i].index = glyph.index;
    glyphs_[i].x = cairo_start + em * size;
    glyphs_[i].y = baseline;
    em += glyph.advance_em;
    milli += glyph.advance_milli;
  }
  cairo_scaled_font_t* font = face.ScaledFont(size);
  if (job_->font != font) {
    cairo_set_scaled_font(job_->cr, font);
    job_->font = font;
  }
  if (!job_->source_black) {
    cairo_set_source_rgb(job_->cr, 0, 0, 0);
    job_->source_black = true;
  }
  cairo_show_glyphs(job_->cr, glyphs_.data(), static_cast<int>(glyphs_.size()));
  job_->pen_valid = true;
  job_->pen_baseline = baseline;
  job_->pen_size = size;
  job_->pen_cairo_x = cairo_start + em * size;
  job_->pen_drift += (em - milli / 1000) * size;
  return milli;
}

void CupsSurface::Print(std::string_view text, bool line_end) {
  FontFace& face = CurrentFace();
  EnsurePage();
  const double twips_per_milli = font_size_ / 1000 * kTwipsPerPoint;
  const double line_height = LineHeight(face);
  const std::vector<std::string_view> lines = PrinterTextLines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) {
      x_ = 0;
      y_ += line_height;
    }
    x_ += DrawTextLine(face, lines[i]) * twips_per_milli;
  }
  if (line_end) {
    x_ = 0;
    y_ += line_height;
  }
}

double CupsSurface::TextWidth(std::string_view text) {
  FontFace& face = CurrentFace();
  double widest = 0;
  for (std::string_view line : PrinterTextLines(text)) {
    decoded_.clear();
    DecodePrinterText(line, decoded_);
    widest = std::max(widest, face.AdvanceMilli(decoded_));
  }
  return widest * font_size_ / 1000 * kTwipsPerPoint;
}

double CupsSurface::LineHeight(FontFace& face) const {
  return (face.ascent_units() + face.descent_units()) / face.units_per_em() * font_size_ *
         kTwipsPerPoint;
}

double CupsSurface::TextHeight(std::string_view text) {
  return static_cast<double>(PrinterTextLines(text).size()) * LineHeight(CurrentFace());
}

void CupsSurface::SetDrawWidth(int pixels) {
  if (pixels < 1) RaiseFailure(kInvalidPropertyValue);
  draw_width_ = pixels;
}

void CupsSurface::Line(double x1, double y1, double x2, double y2, Rgb colour, bool box) {
  EnsurePage();
  cairo_t* cr = job_->cr;
  if (cr == nullptr) return;
  const int dpi = current_is_pdf_ ? kPdfResolutionDpi : facts_.resolution_dpi;
  const double ox = job_->origin_x, oy = job_->origin_y;
  cairo_set_source_rgb(cr, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0);
  job_->source_black = colour == Rgb{};
  cairo_set_line_width(cr, draw_width_ * 72.0 / dpi);
  if (box) {
    cairo_rectangle(cr, ox + x1 / kTwipsPerPoint, oy + y1 / kTwipsPerPoint,
                    (x2 - x1) / kTwipsPerPoint, (y2 - y1) / kTwipsPerPoint);
  } else {
    cairo_move_to(cr, ox + x1 / kTwipsPerPoint, oy + y1 / kTwipsPerPoint);
    cairo_line_to(cr, ox + x2 / kTwipsPerPoint, oy + y2 / kTwipsPerPoint);
  }
  cairo_stroke(cr);
  job_->pen_valid = false;  // the stroke ended cairo's text object
}

void CupsSurface::NewPage() {
  EnsurePage();
  if (job_->cr != nullptr) cairo_show_page(job_->cr);
  job_->page_open = false;
}

void CupsSurface::EndDoc() {
  // The side this ends is fed even when nothing was drawn on it, and even when it is the
  // job's only one: the passes of a booklet count on every side reaching the paper.
  EnsurePage();
  std::unique_ptr<Job> job = std::move(job_);  // its temp file goes with it, come what may
  cairo_status_t status = CAIRO_STATUS_SUCCESS;
  if (job->cr != nullptr) {
    cairo_show_page(job->cr);
    cairo_destroy(job->cr);
    job->cr = nullptr;
    cairo_surface_finish(job->surface);
    status = cairo_surface_status(job->surface);
  } else if (job->file_failure.empty()) {
    return;  // its output was declined
  }
  if (!job->CloseFile()) {
    // Nothing was written, so the next job may take this file name.
    if (job->to_pdf_file) --job_number_;
    RaiseFailure(kPathFileAccessError, job->file_failure);
  }
  if (status != CAIRO_STATUS_SUCCESS) {
    RaiseFailure(kPrinterError,
                 std::string("Printer error (") + cairo_status_to_string(status) + ")");
  }
  if (job->to_pdf_file) {
    if (std::rename(job->file_path.c_str(), job->pdf_path.c_str()) != 0) {
      --job_number_;
      RaiseFailure(kPathFileAccessError, FileFailure(job->pdf_path, errno));
    }
    job->file_path.clear();  // it is the destination now
    last_pdf_path_ = job->pdf_path;
    std::error_code error;
    pdf_folder_ = fs::absolute(fs::path(job->pdf_path), error).parent_path().string();
    return;
  }
  std::vector<std::pair<std::string, std::string>> options = {
      {CUPS_SIDES, SidesKeyword(job->duplex)}};
  if (!job->media.empty()) options.emplace_back(CUPS_MEDIA, job->media);
  last_job_id_ = SendPdfFile(job->queue, job->file_path, job->title, options);
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
}

}  // namespace quireon2
