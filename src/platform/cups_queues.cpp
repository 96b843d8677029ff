// libcups queries and job submission.
#include "platform/cups_queues.h"

#include <cups/cups.h>

#include <algorithm>

#include "settings/runtime_failure.h"

namespace quireon2 {
namespace {

constexpr double kPointsPerHmm = 72.0 / 2540.0;
constexpr int kConnectMilliseconds = 10000;

// A named destination with its connection and its information, freed together.
class OpenQueue {
 public:
  explicit OpenQueue(const std::string& queue) {
    dest_ = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.c_str(), nullptr);
    if (dest_ == nullptr) return;
    char resource[1024];
    http_ = cupsConnectDest(dest_, CUPS_DEST_FLAGS_NONE, kConnectMilliseconds, nullptr, resource,
                            sizeof resource, nullptr, nullptr);
    if (http_ != nullptr) info_ = cupsCopyDestInfo(http_, dest_);
  }
  ~OpenQueue() {
    if (info_ != nullptr) cupsFreeDestInfo(info_);
    if (http_ != nullptr) httpClose(http_);
    if (dest_ != nullptr) cupsFreeDests(1, dest_);
  }
  OpenQueue(const OpenQueue&) = delete;
  OpenQueue& operator=(const OpenQueue&) = delete;

  bool ok() const { return info_ != nullptr; }
  cups_dest_t* dest() const { return dest_; }
  http_t* http() const { return http_; }
  cups_dinfo_t* info() const { return info_; }

 private:
  cups_dest_t* dest_ = nullptr;
  http_t* http_ = nullptr;
  cups_dinfo_t* info_ = nullptr;
};

Paper ToPaper(const cups_size_t& size) {
  Paper paper;
  paper.media = size.media;
  paper.width_points = size.width * kPointsPerHmm;
  paper.height_points = size.length * kPointsPerHmm;
  paper.left_points = size.left * kPointsPerHmm;
  paper.right_points = size.right * kPointsPerHmm;
  paper.top_points = size.top * kPointsPerHmm;
  paper.bottom_points = size.bottom * kPointsPerHmm;
  return paper;
}

[[noreturn]] void RaisePrinterError(const std::string& queue) {
  const char* message = cupsLastErrorString();
  std::string text = message != nullptr && *message != '\0' ? message : "no answer from CUPS";
  RaiseFailure(kPrinterError, "Printer error (" + queue + ": " + text + ")");
}

bool Failed(ipp_status_t status) { return status > IPP_STATUS_OK_EVENTS_COMPLETE; }

}  // namespace

std::vector<CupsDestination> ListCupsDestinations() {
  cups_dest_t* dests = nullptr;
  const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  std::vector<CupsDestination> list;
  for (int i = 0; i < count; ++i) {
    if (dests[i].instance != nullptr) continue;
    CupsDestination d;
    d.name = dests[i].name;
    const char* uri = cupsGetOption("device-uri", dests[i].num_options, dests[i].options);
    d.device_uri = uri != nullptr ? uri : "";
    d.is_default = dests[i].is_default != 0;
    list.push_back(std::move(d));
  }
  cupsFreeDests(count, dests);
  return list;
}

QueueFacts ReadQueueFacts(const std::string& queue) {
  QueueFacts facts;
  OpenQueue q(queue);
  if (!q.ok()) return facts;
  facts.found = true;
  if (ipp_attribute_t* sides = cupsFindDestSupported(q.http(), q.dest(), q.info(), CUPS_SIDES)) {
    facts.two_sided = 0;
    for (int i = 0; i < ippGetCount(sides); ++i) {
      const char* value = ippGetString(sides, i, nullptr);
      if (value == nullptr) continue;
      facts.sides.emplace_back(value);
      if (facts.sides.back().rfind("two-sided", 0) == 0) facts.two_sided = 1;
    }
  }
  if (ipp_attribute_t* orientations =
          cupsFindDestSupported(q.http(), q.dest(), q.info(), CUPS_ORIENTATION)) {
    facts.landscape = 0;
    for (int i = 0; i < ippGetCount(orientations); ++i) {
      if (ippGetInteger(orientations, i) == IPP_ORIENT_LANDSCAPE) facts.landscape = 90;
    }
  }
  cups_size_t size;
  if (cupsGetDestMediaDefault(q.http(), q.dest(), q.info(), CUPS_MEDIA_FLAGS_DEFAULT, &size)) {
    facts.default_paper = ToPaper(size);
  }
  ipp_attribute_t* resolution =
      cupsFindDestDefault(q.http(), q.dest(), q.info(), "printer-resolution");
  if (resolution != nullptr && ippGetValueTag(resolution) == IPP_TAG_RESOLUTION) {
    int y = 0;
    ipp_res_t units = IPP_RES_PER_INCH;
    int x = ippGetResolution(resolution, 0, &y, &units);
    if (units == IPP_RES_PER_CM) x = static_cast<int>(x * 2.54 + 0.5);
    if (x > 0) facts.resolution_dpi = x;
  }
  return facts;
}

std::optional<Paper> QueuePaper(const std::string& queue, const std::string& media) {
  OpenQueue q(queue);
  cups_size_t size;
  if (!q.ok() || !cupsGetDestMediaByName(q.http(), q.dest(), q.info(), media.c_str(),
                                         CUPS_MEDIA_FLAGS_DEFAULT, &size)) {
    return std::nullopt;
  }
  return ToPaper(size);
}

int SendPdfJob(const std::string& queue, const std::string& pdf, const std::string& title,
               const std::vector<std::pair<std::string, std::string>>& options) {
  OpenQueue q(queue);
  if (!q.ok()) RaisePrinterError(queue);  // gone, or no scheduler to take the job
  cups_option_t* job_options = nullptr;
  int option_count = 0;
  for (const auto& [name, value] : options) {
    option_count = cupsAddOption(name.c_str(), value.c_str(), option_count, &job_options);
  }
  int job_id = 0;
  ipp_status_t created = cupsCreateDestJob(q.http(), q.dest(), q.info(), &job_id, title.c_str(),
                                           option_count, job_options);
  cupsFreeOptions(option_count, job_options);
  if (Failed(created) || job_id <= 0) RaisePrinterError(queue);

  bool sent = cupsStartDestDocument(q.http(), q.dest(), q.info(), job_id, title.c_str(),
                                    CUPS_FORMAT_PDF, 0, nullptr, 1) == HTTP_STATUS_CONTINUE;
  constexpr std::size_t kChunk = 64 * 1024;
  for (std::size_t at = 0; sent && at < pdf.size(); at += kChunk) {
    const std::size_t n = std::min(kChunk, pdf.size() - at);
    sent = cupsWriteRequestData(q.http(), pdf.data() + at, n) == HTTP_STATUS_CONTINUE;
  }
  // The document must be finished even after a failed write, so the connection is in step.
  ipp_status_t finished = cupsFinishDestDocument(q.http(), q.dest(), q.info());
  if (!sent || Failed(finished)) {
    std::string message = cupsLastErrorString() ? cupsLastErrorString() : "";
    cupsCancelDestJob(q.http(), q.dest(), job_id);
    RaiseFailure(kPrinterError, "Printer error (" + queue + ": " +
                                    (message.empty() ? "the job could not be sent" : message) + ")");
  }
  return job_id;
}

}  // namespace quireon2
