#include "support/recording_surface.h"

#include <strings.h>

#include <algorithm>

namespace quireon2::testing {
namespace {

// Length of the UTF-8 sequence starting at s[i] when it is valid, else 1.
std::size_t SequenceLength(std::string_view s, std::size_t i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  std::size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 1;
  if (n == 1 || i + n > s.size()) return 1;
  for (std::size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
  }
  return n;
}

// The text split into lines at CR LF and at a lone LF.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n') continue;
    lines.push_back(text.substr(start, (i > start && text[i - 1] == '\r' ? i - 1 : i) - start));
    start = i + 1;
  }
  if (start < text.size() || lines.empty()) lines.push_back(text.substr(start));
  return lines;
}

}  // namespace

RecordingSurface::RecordingSurface() : RecordingSurface({RecordedPrinter{}}, 0) {}

RecordingSurface::RecordingSurface(std::vector<RecordedPrinter> printers, std::size_t current)
    : printers_(std::move(printers)), current_(current) {}

RecordingSurface::~RecordingSurface() {
  if (picture_of_ != nullptr) picture_of_->pictures_.push_back(calls_);
}

std::unique_ptr<PictureSurface> RecordingSurface::OpenPicture(double) {
  auto picture = std::make_unique<RecordingSurface>(*this);
  picture->calls_.clear();
  picture->pictures_.clear();
  picture->fail_on_call_.clear();
  picture->job_open_ = false;
  picture->picture_of_ = this;
  return picture;
}

Picture RecordingSurface::TakePicture() {
  Picture picture;
  picture.width = static_cast<int>(ScaleWidth() / 1440);
  picture.height = static_cast<int>(ScaleHeight() / 1440);
  picture.pixels.assign(static_cast<std::size_t>(picture.width) * picture.height, 0xFFFFFFu);
  return picture;
}

std::vector<PrinterInfo> RecordingSurface::Printers() {
  std::vector<PrinterInfo> list;
  for (const auto& p : printers_) list.push_back({p.name, Port()});
  return list;
}

void RecordingSurface::SelectPrinter(std::size_t index) {
  if (index < printers_.size()) current_ = index;
  Log("select printer", DeviceName());
}

int RecordingSurface::DeviceCapabilities(const std::string& device_name, const std::string&,
                                         int query) {
  MaybeFail("DeviceCapabilities");
  for (const auto& p : printers_) {
    if (p.name != device_name) continue;
    return query == kCapabilityDuplex ? p.two_sided : query == kCapabilityOrientation ? p.landscape : -1;
  }
  return -1;
}

void RecordingSurface::SetOrientation(int orientation) {
  CheckRefused("Orientation", orientation);
  if ((orientation == kLandscape && printer().landscape == 0) ||
      (orientation != kPortrait && orientation != kLandscape)) {
    RaiseFailure(kInvalidPropertyValue);
  }
  orientation_ = orientation;
  Log("set Orientation", {}, orientation);
}

double RecordingSurface::ScaleWidth() const {
  const auto& p = printers_[current_];
  return orientation_ == kLandscape ? p.height_twips : p.width_twips;
}

double RecordingSurface::ScaleHeight() const {
  const auto& p = printers_[current_];
  return orientation_ == kLandscape ? p.width_twips : p.height_twips;
}

void RecordingSurface::SetFontName(const std::string& name) {
  CheckRefused("FontName", 0);
  font_name_ = name;
  for (const auto& f : FontFamilies()) {
    if (strcasecmp(f.name.c_str(), name.c_str()) == 0) font_name_ = f.name;
  }
  Log("set FontName", font_name_);
}

void RecordingSurface::SetFontSize(double size_points) {
  CheckRefused("FontSize", size_points);
  if (size_points <= 0) RaiseFailure(kInvalidPropertyValue);
  font_size_ = size_points;
  Log("set FontSize", {}, size_points);
}

int RecordingSurface::PaperSize() const {
  return paper_override_ != 0 ? paper_override_ : printers_[current_].paper_size;
}

void RecordingSurface::SetPaperSize(int code) {
  CheckRefused("PaperSize", code);
  const std::vector<int>& offered = printer().papers;
  if (std::find(offered.begin(), offered.end(), code) == offered.end()) {
    RaiseFailure(kInvalidPropertyValue);
  }
  paper_override_ = code;
  Log("set PaperSize", {}, code);
}

PrinterPapers RecordingSurface::Papers(const std::string& device_name) {
  for (std::size_t i = 0; i < printers_.size(); ++i) {
    if (printers_[i].name == device_name) {
      return {printers_[i].papers, i == current_ ? PaperSize() : printers_[i].paper_size};
    }
  }
  return {};
}

void RecordingSurface::SetPdfPaperSize(int code) {
  CheckRefused("PaperSize", code);
  pdf_paper_ = code;
}

void RecordingSurface::Print(std::string_view text, bool line_end) {
  MaybeFail("Print");
  EnsureJob();
  SurfaceCall& call = Log("Print", std::string(text), line_end ? 1.0 : 0.0);
  call.x = x_;
  call.y = y_;
  if (line_end) {
    x_ = 0;
    y_ += TextHeight(text);
  } else {
    x_ += TextWidth(text);
  }
}

double RecordingSurface::TextWidth(std::string_view text) {
  MaybeFail("TextWidth");
  double widest = 0;
  for (std::string_view line : Lines(text)) {
    double width = 0;
    for (std::size_t i = 0, n; i < line.size(); i += n) {
      n = SequenceLength(line, i);
      auto it = metrics_.char_widths.find(std::string(line.substr(i, n)));
      width += it != metrics_.char_widths.end() ? it->second : metrics_.char_width_twips;
    }
    widest = std::max(widest, width);
  }
  return widest;
}

double RecordingSurface::TextHeight(std::string_view text) {
  MaybeFail("TextHeight");
  return static_cast<double>(Lines(text).size()) * metrics_.text_height_twips;
}

void RecordingSurface::SetDrawWidth(int pixels) {
  CheckRefused("DrawWidth", pixels);
  draw_width_ = pixels;
}

void RecordingSurface::Line(double x1, double y1, double x2, double y2, Rgb colour, bool box) {
  MaybeFail("Line");
  EnsureJob();
  SurfaceCall& call = Log(box ? "Box" : "Line", {}, draw_width_);
  call.x = x1, call.y = y1, call.x2 = x2, call.y2 = y2;
  call.colour = colour;
}

void RecordingSurface::NewPage() {
  MaybeFail("NewPage");
  EnsureJob();
  Log("NewPage");
  ++page_;
}

void RecordingSurface::EndDoc() {
  MaybeFail("EndDoc");
  EnsureJob();  // an ended job with no drawing still feeds one blank page
  Log("EndDoc");
  sent_jobs_.push_back({jobs_started_, page_});
  job_open_ = false;
}

void RecordingSurface::AbortDoc() {
  if (!job_open_) return;
  Log("AbortDoc");
  job_open_ = false;
}

void RecordingSurface::SetDuplex(int value) {
  CheckRefused("Duplex", value);
  if (value != kDuplexSimplex && printer().two_sided == 0) RaiseFailure(kInvalidPropertyValue);
  duplex_ = value;
  Log("set Duplex", {}, value);
}

void RecordingSurface::MaybeFail(const std::string& op) {
  auto it = fail_on_call_.find(op);
  if (it == fail_on_call_.end()) return;
  if (it->second.first == 0) throw RuntimeError(it->second.second);
  if (--it->second.first == 0) {
    RuntimeFailure failure = it->second.second;
    fail_on_call_.erase(it);
    throw RuntimeError(failure);
  }
}

void RecordingSurface::CheckRefused(const std::string& property, double value) {
  MaybeFail("set " + property);
  const auto& refuses = printer().refuses;
  if (refuses.count(property) ||
      refuses.count(property + "=" + std::to_string(static_cast<long long>(value)))) {
    RaiseFailure(kInvalidPropertyValue);
  }
}

SurfaceCall& RecordingSurface::Log(std::string op, std::string text, double value) {
  SurfaceCall call;
  call.op = std::move(op);
  call.text = std::move(text);
  call.value = value;
  call.job = job_open_ ? jobs_started_ : 0;
  call.page = job_open_ ? page_ : 0;
  calls_.push_back(std::move(call));
  return calls_.back();
}

void RecordingSurface::EnsureJob() {
  if (job_open_) return;
  job_open_ = true;
  ++jobs_started_;
  page_ = 1;
}

}  // namespace quireon2::testing
