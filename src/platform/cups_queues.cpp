// libcups queries and job submission.
#include "platform/cups_queues.h"

#include <cups/cups.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "interfaces/units.h"
#include "platform/interruption.h"
#include "settings/runtime_failure.h"

namespace quireon2 {
namespace {

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

// The queue's paper of a media name (PWG, legacy or PPD), or nothing when it offers none.
std::optional<Paper> MediaPaper(const OpenQueue& q, const std::string& media) {
  cups_size_t size;
  if (media.empty() || !cupsGetDestMediaByName(q.http(), q.dest(), q.info(), media.c_str(),
                                               CUPS_MEDIA_FLAGS_DEFAULT, &size)) {
    return std::nullopt;
  }
  return ToPaper(size);
}

// The user's `media` for the queue wins over the queue's own default. The user's option
// may name a tray or type beside the size ("A4,Tray1").
std::optional<Paper> PaperInForce(const OpenQueue& q) {
  const cups_dest_t* dest = q.dest();
  if (const char* chosen = cupsGetOption(CUPS_MEDIA, dest->num_options, dest->options)) {
    std::string list = chosen;
    for (std::size_t start = 0; start <= list.size();) {
      const std::size_t comma = std::min(list.find(',', start), list.size());
      if (auto paper = MediaPaper(q, list.substr(start, comma - start))) return paper;
      start = comma + 1;
    }
  }
  ipp_attribute_t* fallback = cupsFindDestDefault(q.http(), q.dest(), q.info(), CUPS_MEDIA);
  const char* media = fallback != nullptr ? ippGetString(fallback, 0, nullptr) : nullptr;
  return MediaPaper(q, media != nullptr ? media : "");
}

bool Failed(ipp_status_t status) { return status > IPP_STATUS_OK_EVENTS_COMPLETE; }

// Whether an option of a destination is one for its jobs, such as the user's lpoptions,
// rather than one of the facts about the printer that come with the destination.
bool IsUserOption(const char* name) {
  static const char* const kFacts[] = {
      "auth-info-required",        "device-uri",          "printer-commands",
      "printer-info",              "printer-is-accepting-jobs", "printer-is-shared",
      "printer-is-temporary",      "printer-location",    "printer-make-and-model",
      "printer-state",             "printer-state-change-time", "printer-state-reasons",
      "printer-type",              "printer-uri-supported"};
  for (const char* fact : kFacts) {
    if (std::strcmp(name, fact) == 0) return false;
  }
  return std::strncmp(name, "marker-", 7) != 0;
}

// Whether a saved default would move, scale, reorder or drop the pages this program has
// laid out (a default of two pages a side would halve every booklet page again). Such
// defaults are left out; the same option given for the run itself still goes through.
bool RearrangesPages(const char* name) {
  static const char* const kLayout[] = {
      "fit-to-page",     "landscape",  "mirror",     "number-up", "number-up-layout",
      "orientation-requested",         "outputorder", "page-border", "page-delivery",
      "page-ranges",     "page-set",   "position",   "scaling"};
  for (const char* option : kLayout) {
    if (std::strcmp(name, option) == 0) return true;
  }
  return false;
}

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
  for (int code : PaperCodes()) {
    cups_size_t size;
    if (cupsGetDestMediaByName(q.http(), q.dest(), q.info(), PaperForCode(code)->media.c_str(),
                               CUPS_MEDIA_FLAGS_DEFAULT, &size)) {
      facts.papers.emplace_back(code, ToPaper(size));
    }
  }
  facts.default_paper = PaperInForce(q);
  ipp_attribute_t* resolution =
      cupsFindDestDefault(q.http(), q.dest(), q.info(), "printer-resolution");
  if (resolution != nullptr && ippGetValueTag(resolution) == IPP_TAG_RESOLUTION) {
    int y = 0;
    ipp_res_t units = IPP_RES_PER_INCH;
    int x = ippGetResolution(resolution, 0, &y, &units);
    if (units == IPP_RES_PER_CM) x = static_cast<int>(x * kCmPerInch + 0.5);
    if (x > 0) facts.resolution_dpi = x;
  }
  return facts;
}

bool PrintServiceRunning() {
  http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                              kConnectMilliseconds, nullptr);
  if (http == nullptr) return false;
  httpClose(http);
  return true;
}

bool QueuePaused(const std::string& queue) {
  cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.c_str(), nullptr);
  if (dest == nullptr) return false;
  const char* state = cupsGetOption("printer-state", dest->num_options, dest->options);
  const bool paused = state != nullptr && std::atoi(state) == IPP_PSTATE_STOPPED;
  cupsFreeDests(1, dest);
  return paused;
}

bool KeepQueueMedia(const std::string& queue, const std::string& media) {
  // The user's destinations with their options, as lpoptions reads and writes them.
  cups_dest_t* dests = nullptr;
  const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  cups_dest_t* dest = cupsGetDest(queue.c_str(), nullptr, count, dests);
  bool kept = false;
  if (dest != nullptr) {
    dest->num_options = cupsAddOption(CUPS_MEDIA, media.c_str(), dest->num_options, &dest->options);
    kept = cupsSetDests2(CUPS_HTTP_DEFAULT, count, dests) == 0;
  }
  cupsFreeDests(count, dests);
  return kept;
}

int SendPdfFile(const std::string& queue, const std::string& pdf_path, const std::string& title,
                const std::vector<std::pair<std::string, std::string>>& options) {
  // Opened before the job is created, so an unreadable file leaves nothing in the queue.
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(pdf_path.c_str(), "rb"),
                                                       &std::fclose);
  if (!file) {
    RaiseFailure(kPathFileAccessError,
                 "Path/File access error (" + pdf_path + ": " + std::strerror(errno) + ")");
  }
  OpenQueue q(queue);
  if (!q.ok()) RaisePrinterError(queue);  // gone, or no scheduler to take the job
  // The user's own defaults for the queue (lpoptions) first, the job's over them.
  cups_option_t* job_options = nullptr;
  int option_count = 0;
  const cups_dest_t* dest = q.dest();
  for (int i = 0; i < dest->num_options; ++i) {
    const cups_option_t& option = dest->options[i];
    if (IsUserOption(option.name) && !RearrangesPages(option.name)) {
      option_count = cupsAddOption(option.name, option.value, option_count, &job_options);
    }
  }
  for (const auto& [name, value] : options) {
    option_count = cupsAddOption(name.c_str(), value.c_str(), option_count, &job_options);
  }
  // A signal while the job is open cancels it before the process ends: a job created and
  // left would wait in the queue for documents that never come.
  HeldSignals held;
  int job_id = 0;
  ipp_status_t created = cupsCreateDestJob(q.http(), q.dest(), q.info(), &job_id, title.c_str(),
                                           option_count, job_options);
  cupsFreeOptions(option_count, job_options);
  if (Failed(created) || job_id <= 0) {
    EndIfSignalled();
    RaisePrinterError(queue);
  }
  const auto cancel_if_signalled = [&] {
    if (PendingSignal() == 0) return;
    cupsCancelDestJob(q.http(), q.dest(), job_id);
    EndIfSignalled();
  };
  cancel_if_signalled();

  bool sent = cupsStartDestDocument(q.http(), q.dest(), q.info(), job_id, title.c_str(),
                                    CUPS_FORMAT_PDF, 0, nullptr, 1) == HTTP_STATUS_CONTINUE;
  std::string read_failure;
  std::vector<char> chunk(64 * 1024);
  while (sent) {
    const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), file.get());
    if (n > 0) sent = cupsWriteRequestData(q.http(), chunk.data(), n) == HTTP_STATUS_CONTINUE;
    cancel_if_signalled();
    if (n < chunk.size()) {
      if (std::ferror(file.get())) {
        read_failure = pdf_path + ": " + std::strerror(errno);
        sent = false;
      }
      break;
    }
  }
  // The document must be finished even after a failed write, so the connection is in step.
  ipp_status_t finished = cupsFinishDestDocument(q.http(), q.dest(), q.info());
  cancel_if_signalled();
  if (!sent || Failed(finished)) {
    std::string message = cupsLastErrorString() ? cupsLastErrorString() : "";
    cupsCancelDestJob(q.http(), q.dest(), job_id);
    if (!read_failure.empty()) message = read_failure;
    if (message.empty()) message = "the job could not be sent";
    RaiseFailure(kPrinterError, "Printer error (" + queue + ": " + message + ")");
  }
  return job_id;
}

const char* SidesKeyword(int duplex) {
  switch (duplex) {
    case kDuplexLongEdge: return CUPS_SIDES_TWO_SIDED_PORTRAIT;
    case kDuplexShortEdge: return CUPS_SIDES_TWO_SIDED_LANDSCAPE;
    default: return CUPS_SIDES_ONE_SIDED;
  }
}

bool OffersSides(const QueueFacts& facts, int duplex) {
  const char* wanted = SidesKeyword(duplex);
  return facts.sides.empty() ||
         std::find(facts.sides.begin(), facts.sides.end(), wanted) != facts.sides.end();
}

int QueueCapability(const QueueFacts& facts, int query) {
  if (query == kCapabilityDuplex) return facts.two_sided;
  if (query == kCapabilityOrientation) return facts.landscape;
  return -1;
}

}  // namespace quireon2
