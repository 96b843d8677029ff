// The printer surface against real CUPS queues on the test scheduler that
// tests/cups/test-cupsd starts: a signal mid-job, and each job's paper, margins and sides as
// the A4 and the Letter queue get them. (The spool file's removal after a job sent or
// refused, and the job's name, are checked on the real program.)
#include <cups/cups.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/cups_surface.h"
#include "platform/interruption.h"
#include "platform/surface_test_tools.h"
#include "support/gtest_support.h"

namespace quireon2::testing {
namespace {

constexpr char kA4[] = "Q2TestA4";
constexpr char kLetter[] = "Q2TestDuplexPDF";

// What the scheduler says of a job's attribute `name` (a state as "completed"); "" for
// nothing.
std::string JobAttribute(int job_id, const char* name) {
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
  const std::string uri = "ipp://localhost/jobs/" + std::to_string(job_id);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
  ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");  // may be null
  char value[256];
  ippAttributeString(ippFindAttribute(response, name, IPP_TAG_ZERO), value, sizeof value);
  ippDelete(response);
  return value;
}

class CupsQueues : public ::testing::Test {
 protected:
  void SetUp() override {
    // ctest starts the scheduler and names its state folder.
    state_ = std::getenv("Q2_TEST_CUPS_STATE") ? std::getenv("Q2_TEST_CUPS_STATE") : "(unset)";
    const std::string status = ReadFile(state_ + "/status");
    if (status != "ready\n") GTEST_SKIP() << "no test scheduler in " << state_ << ": " << status;
    // The user's printer options (lpoptions) are the tests' own: libcups finds them under
    // HOME, which it reads at its first call.
    std::filesystem::create_directories(state_ + "/home");
    setenv("HOME", (state_ + "/home").c_str(), 1);
  }

  // A new surface with the queue `name` chosen.
  void Select(const std::string& name) {
    surface_ = std::make_unique<CupsSurface>();
    const std::vector<PrinterInfo> printers = surface_->Printers();
    for (std::size_t i = 0; i < printers.size(); ++i) {
      if (printers[i].device_name == name) surface_->SelectPrinter(i);
    }
    ASSERT_EQ(surface_->DeviceName(), name) << name << " is not in the printer list";
  }

  std::string state_;
  ScratchDir temp_;
  ScopedEnv temp_env_{"TMPDIR", temp_.path().string()};  // jobs are spooled through temp_
  std::unique_ptr<CupsSurface> surface_;
};

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
  EXPECT_TRUE(std::filesystem::is_empty(temp_.path()));
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

// Each job carries its paper and sides to the scheduler, and the queue's output has the
// job's paper with the text placed inside the queue's margins.
TEST_F(CupsQueues, AQueuePrintsOnItsOwnPaperUntilTheUserKeepsAnother) {
  RunCommand(std::string("lpoptions -p ") + kA4 + " -r media");  // what a failed run kept
  // The queue, the paper in force and the job's media, the page in points (1/72 in: A4
  // 210 x 297 mm, Letter 8.5 x 11 in, A5 148 x 210 mm), the queue's output, the job's sides.
  struct Case { const char* queue; int paper; const char* media; double width, height;
                const char* out; int duplex; };
  const Case cases[] = {
      {kA4, kPaperA4, "iso_a4_210x297mm", 595.28, 841.89, "a4-pdf", kDuplexSimplex},
      {kLetter, kPaperLetter, "na_letter_8.5x11in", 612, 792, "duplex-pdf", kDuplexShortEdge},
      {kA4, 11, "iso_a5_148x210mm", 419.53, 595.28, "a4-pdf", kDuplexSimplex},
      {kLetter, kPaperLetter, "na_letter_8.5x11in", 612, 792, "duplex-pdf", kDuplexSimplex}};
  for (const Case& c : cases) {
    if (&c == &cases[2]) {
      // The dialog's OK on the A4 queue keeps A5 for it; a paper set on the Letter queue
      // without keeping it holds for this run only.
      Select(kA4);
      surface_->SetPaperSize(11);
      surface_->KeepPaperSize();
      Select(kLetter);
      surface_->SetPaperSize(kPaperA4);
    }
    Select(c.queue);
    SCOPED_TRACE(std::string(c.out) + ", " + std::to_string(c.width) + " pt wide");
    EXPECT_EQ(surface_->PaperSize(), c.paper);
    // The printable area is the paper less the queue's margins, 18 pt left and right, 36 pt
    // top and bottom; in landscape the long side across.
    surface_->SetOrientation(kLandscape);
    EXPECT_NEAR(surface_->ScaleWidth(), (c.height - 72) * 20, 20);
    EXPECT_NEAR(surface_->ScaleHeight(), (c.width - 36) * 20, 20);
    surface_->SetOrientation(kPortrait);
    EXPECT_NEAR(surface_->ScaleWidth(), (c.width - 36) * 20, 20);
    surface_->SetDuplex(c.duplex);
    surface_->SetCurrentX(1440);
    surface_->SetCurrentY(2880);
    surface_->Print("Placed", true);
    surface_->EndDoc();
    const int job = surface_->last_job_id();
    EXPECT_EQ(JobAttribute(job, "media"), c.media);
    EXPECT_EQ(JobAttribute(job, "sides"),
              c.duplex == kDuplexSimplex ? "one-sided" : "two-sided-short-edge");
    std::string state;  // the job's, until it is printed (90 s at most)
    for (int i = 0; i < 450 && (state = JobAttribute(job, "job-state")) != "completed"; ++i) {
      usleep(200000);
    }
    ASSERT_EQ(state, "completed");
    const std::vector<PdfPageText> pages = ReadPdfPages(state_ + "/" + c.out + ".out");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NEAR(pages[0].width, c.width, 1);
    // 1 in across and 2 down from the printable area's corner.
    EXPECT_TRUE(WordAt(pages[0], "Placed", 18 + 72, 36 + 144));
  }
  RunCommand(std::string("lpoptions -p ") + kA4 + " -r media");
  // Whether a queue prints on both sides comes from its driver.
  EXPECT_EQ(surface_->DeviceCapabilities("Q2TestOneSided", "", kCapabilityDuplex), 0);
  EXPECT_EQ(surface_->DeviceCapabilities(kLetter, "", kCapabilityDuplex), 1);
}

}  // namespace
}  // namespace quireon2::testing
