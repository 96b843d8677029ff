// The printer surface against real CUPS queues on the test scheduler that
// tests/cups/test-cupsd starts: the printer list, capability answers, a signal mid-job, and
// each job's paper, margins, sides and name as the queue gets them. (The spool file's
// removal after a job sent or refused is checked on the real program, in tests/cli.)
#include <cups/cups.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/cups_surface.h"
#include "platform/interruption.h"
#include "platform/surface_test_tools.h"
#include "settings/runtime_failure.h"
#include "support/gtest_support.h"

namespace quireon2 {
namespace {

using testing::Raises;
using testing::RunCommand;

constexpr char kOneSided[] = "Q2TestOneSided";
constexpr char kDuplexPs[] = "Q2TestDuplexPS";
constexpr char kDuplexPdf[] = "Q2TestDuplexPDF";
constexpr char kA4[] = "Q2TestA4";

// The job's ipp_jstate_t (0 when the scheduler does not know it), sides, name and media.
struct JobFacts { int state = 0; std::string sides, name, media; };

JobFacts ReadJob(int job_id) {
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
  const std::string uri = "ipp://localhost/jobs/" + std::to_string(job_id);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
  // The job's owner sees its name; the scheduler keeps it from anyone else.
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
               cupsUser());
  ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");  // may be null
  auto text = [&](const char* name, ipp_tag_t tag) {
    const char* value = ippGetString(ippFindAttribute(response, name, tag), 0, nullptr);
    return std::string(value != nullptr ? value : "");
  };
  JobFacts facts{ippGetInteger(ippFindAttribute(response, "job-state", IPP_TAG_ENUM), 0),
                 text("sides", IPP_TAG_KEYWORD), text("job-name", IPP_TAG_NAME),
                 text("media", IPP_TAG_ZERO)};
  ippDelete(response);
  return facts;
}

// Waits until the job has left the queue; returns its last state.
int WaitForJob(int job_id) {
  int state = 0;
  for (int i = 0; i < 450 && (state = ReadJob(job_id).state) < IPP_JSTATE_CANCELED; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // 90 s at most
  }
  return state;
}

class CupsQueues : public ::testing::Test {
 protected:
  void SetUp() override {
    // ctest starts the scheduler and names its state folder.
    const char* state = std::getenv("Q2_TEST_CUPS_STATE");
    state_ = state != nullptr ? state : "(Q2_TEST_CUPS_STATE not set)";
    std::ifstream file(state_ + "/status");
    std::string status;
    std::getline(file, status);
    if (status != "ready") GTEST_SKIP() << "no test CUPS scheduler in " << state_ << ": " << status;
    // The user's printer options (lpoptions) are the tests' own: libcups finds them under
    // HOME, which it reads at its first call. Jobs are spooled through a temp folder of
    // the test's own.
    std::filesystem::create_directories(state_ + "/home");
    setenv("HOME", (state_ + "/home").c_str(), 1);
    temp_env_.emplace("TMPDIR", temp_.path().c_str());
    surface_ = std::make_unique<CupsSurface>();
  }

  // The names in the surface's printer list, in order.
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const PrinterInfo& p : surface_->Printers()) names.push_back(p.device_name);
    return names;
  }
  void Select(const std::string& name) {
    const std::vector<std::string> names = Names();
    const std::size_t index = std::find(names.begin(), names.end(), name) - names.begin();
    ASSERT_LT(index, names.size()) << name << " is not in the printer list";
    surface_->SelectPrinter(index);
    ASSERT_EQ(surface_->DeviceName(), name);
  }
  std::size_t TempFileCount() const {
    const std::filesystem::directory_iterator files(temp_.path());
    return static_cast<std::size_t>(std::distance(begin(files), end(files)));
  }

  std::string state_;
  testing::ScratchDir temp_;
  std::optional<testing::ScopedEnv> temp_env_;  // TMPDIR as it was, back after the test
  std::unique_ptr<CupsSurface> surface_;
};

TEST_F(CupsQueues, PrinterListAndCapabilitiesComeFromTheQueues) {
  // The order lpstat lists the destinations in, less any instances.
  std::istringstream listed(RunCommand("lpstat -e").value_or(""));
  std::vector<std::string> expected;
  for (std::string name; std::getline(listed, name);) {
    if (name.find('/') == std::string::npos) expected.push_back(name);
  }
  expected.push_back(kPrintToPdf);
  EXPECT_EQ(Names(), expected);
  // The user's default destination, as libcups reads it for this process only, is current.
  setenv("LPDEST", kOneSided, 1);
  CupsSurface with_default;
  unsetenv("LPDEST");
  EXPECT_EQ(with_default.DeviceName(), kOneSided);
  // Queue, two-sided answer, landscape answer.
  const std::tuple<const char*, int, int> cases[] = {
      {kOneSided, 0, 90}, {kDuplexPs, 1, 90}, {kDuplexPdf, 1, 90}, {"Q2TestNoSuchQueue", -1, -1}};
  for (const auto& [queue, two_sided, landscape] : cases) {
    EXPECT_EQ(surface_->DeviceCapabilities(queue, "", kCapabilityDuplex), two_sided) << queue;
    EXPECT_EQ(surface_->DeviceCapabilities(queue, "", kCapabilityOrientation), landscape) << queue;
  }
  // A two-sided setting does not follow the choice of a one-sided queue.
  Select(kDuplexPs);
  surface_->SetDuplex(kDuplexLongEdge);
  Select(kOneSided);
  EXPECT_EQ(surface_->Duplex(), kDuplexSimplex);
}

// A signal while a job is being sent cancels the job in the queue before the process ends
// by it, and the job's PDF goes too.
TEST_F(CupsQueues, ASignalWhileAJobIsSentCancelsIt) {
  Select(kA4);
  surface_->SetDocumentName("/nowhere/interrupted.txt");
  surface_->Print("Interrupted", true);
  EXPECT_EXIT(
      {
        EndOnSignals();
        HeldSignals held;  // the signal waits until the job exists
        ::raise(SIGTERM);
        surface_->EndDoc();
        std::exit(0);
      },
      ::testing::KilledBySignal(SIGTERM), "");
  EXPECT_EQ(TempFileCount(), 0u);
  cups_job_t* jobs = nullptr;
  const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, kA4, 0, CUPS_WHICHJOBS_ALL);
  const cups_job_t* newest =
      std::max_element(jobs, jobs + std::max(count, 0),
                       [](const cups_job_t& a, const cups_job_t& b) { return a.id < b.id; });
  ASSERT_GT(count, 0);
  EXPECT_EQ(newest->title, std::string("interrupted.txt")) << "the newest job is not the test's";
  EXPECT_EQ(newest->state, IPP_JSTATE_CANCELED);
  cupsFreeJobs(count, jobs);
}

// Each job carries its paper, sides and name to the scheduler, and the queue's output has
// the job's paper with the text placed inside the queue's margins.
TEST_F(CupsQueues, AQueuePrintsOnItsOwnPaperUntilTheUserKeepsAnother) {
  RunCommand(std::string("lpoptions -p ") + kA4 + " -r media");  // what a failed run kept
  // The queue, the paper in force, the job's media, the page in points (1/72 in: Letter
  // 8.5 x 11 in, A4 210 x 297 mm, A5 148 x 210 mm), the queue's output, the job's sides.
  struct Case { const char* queue; int paper; const char* media; double width, height;
                const char* out; int duplex; };
  const Case cases[] = {
      {kA4, kPaperA4, "iso_a4_210x297mm", 595.28, 841.89, "a4-pdf", kDuplexSimplex},
      {kDuplexPdf, kPaperLetter, "na_letter_8.5x11in", 612, 792, "duplex-pdf", kDuplexShortEdge},
      {kA4, 11, "iso_a5_148x210mm", 419.53, 595.28, "a4-pdf", kDuplexSimplex},
      {kDuplexPdf, kPaperLetter, "na_letter_8.5x11in", 612, 792, "duplex-pdf", kDuplexSimplex}};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    if (i == 2) {
      // The dialog's OK on the A4 queue keeps A5 for it; a paper set on the Letter queue
      // without keeping it holds for this run only.
      Select(kA4);
      const std::vector<int> offered = surface_->Papers(kA4).offered;
      EXPECT_EQ(std::count(offered.begin(), offered.end(), 11), 1);
      EXPECT_TRUE(Raises([&] { surface_->SetPaperSize(3); }, kInvalidPropertyValue));  // Tabloid
      surface_->SetPaperSize(11);
      surface_->KeepPaperSize();
      Select(kDuplexPdf);
      surface_->SetPaperSize(kPaperA4);
      EXPECT_EQ(surface_->Papers(kA4).in_force, 11);
      EXPECT_NE(RunCommand(std::string("lpoptions -p ") + kA4).value_or("").find(
                    "media=iso_a5_148x210mm"),
                std::string::npos);
    }
    surface_ = std::make_unique<CupsSurface>();
    Select(c.queue);
    EXPECT_EQ(surface_->PaperSize(), c.paper) << i;
    // The printable area is the paper less the queue's margins, 18 pt left and right, 36 pt
    // top and bottom; in landscape the long side across.
    surface_->SetOrientation(kLandscape);
    EXPECT_NEAR(surface_->ScaleWidth(), (c.height - 72) * 20, 20) << i;
    EXPECT_NEAR(surface_->ScaleHeight(), (c.width - 36) * 20, 20) << i;
    surface_->SetOrientation(kPortrait);
    EXPECT_NEAR(surface_->ScaleWidth(), (c.width - 36) * 20, 20) << i;
    EXPECT_NEAR(surface_->ScaleHeight(), (c.height - 72) * 20, 20) << i;
    surface_->SetDuplex(c.duplex);
    surface_->SetDocumentName("/home/someone/story.txt");
    surface_->SetCurrentX(1440);
    surface_->SetCurrentY(2880);
    surface_->Print("Placed", true);
    surface_->EndDoc();
    const int job = surface_->last_job_id();
    EXPECT_EQ(TempFileCount(), 0u) << i;
    const JobFacts facts = ReadJob(job);
    EXPECT_EQ(facts.media, c.media) << i;
    EXPECT_EQ(facts.sides, c.duplex == kDuplexSimplex ? "one-sided" : "two-sided-short-edge") << i;
    EXPECT_EQ(facts.name, "story.txt") << i;
    ASSERT_EQ(WaitForJob(job), IPP_JSTATE_COMPLETED) << i;
    const auto pages = testing::ReadPdfPages(state_ + "/" + c.out + ".out");
    ASSERT_EQ(pages.size(), 1u) << i;
    EXPECT_NEAR(pages[0].width, c.width, 1) << i;
    EXPECT_NEAR(pages[0].height, c.height, 1) << i;
    // 1 in across and 2 down from the printable area's corner.
    EXPECT_TRUE(testing::WordAt(pages[0], "Placed", 18 + 72, 36 + 144)) << i;
  }
  RunCommand(std::string("lpoptions -p ") + kA4 + " -r media");
}

}  // namespace
}  // namespace quireon2
