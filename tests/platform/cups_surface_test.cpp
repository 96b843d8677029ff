// The printer surface against real CUPS queues on the test scheduler that
// tests/cups/test-cupsd starts: the printer list, capability answers, two-sided jobs,
// the text in a queue's output, refused settings, and jobs a queue cannot take.
#include <cups/cups.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/cups_surface.h"
#include "platform/pdf_reading.h"
#include "settings/runtime_failure.h"

namespace quireon2 {
namespace {

using testing::RunCommand;
using testing::ShellQuote;

constexpr char kOneSided[] = "Q2TestOneSided";
constexpr char kDuplexPs[] = "Q2TestDuplexPS";
constexpr char kDuplexPdf[] = "Q2TestDuplexPDF";

struct JobFacts {
  int state = 0;  // ipp_jstate_t, 0 when the scheduler does not know the job
  std::string sides;
  std::string name;
};

JobFacts ReadJob(int job_id) {
  JobFacts facts;
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
  const std::string uri = "ipp://localhost/jobs/" + std::to_string(job_id);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
  // The job's owner sees its name; the scheduler keeps it from anyone else.
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
               cupsUser());
  ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
  if (response == nullptr) return facts;
  if (ipp_attribute_t* a = ippFindAttribute(response, "job-state", IPP_TAG_ENUM)) {
    facts.state = ippGetInteger(a, 0);
  }
  if (ipp_attribute_t* a = ippFindAttribute(response, "sides", IPP_TAG_KEYWORD)) {
    facts.sides = ippGetString(a, 0, nullptr);
  }
  if (ipp_attribute_t* a = ippFindAttribute(response, "job-name", IPP_TAG_NAME)) {
    facts.name = ippGetString(a, 0, nullptr);
  }
  ippDelete(response);
  return facts;
}

// Waits until the job has left the queue; returns its last state.
int WaitForJob(int job_id) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  int state = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    state = ReadJob(job_id).state;
    if (state >= IPP_JSTATE_CANCELED) return state;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return state;
}

int JobCount(const std::string& queue) {
  cups_job_t* jobs = nullptr;
  int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.c_str(), 0, CUPS_WHICHJOBS_ALL);
  cupsFreeJobs(count, jobs);
  return count;
}

class CupsQueues : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* state = std::getenv("Q2_TEST_CUPS_STATE");
    if (state == nullptr) {
      GTEST_SKIP() << "Q2_TEST_CUPS_STATE is not set; ctest starts the test scheduler";
    }
    state_ = state;
    std::ifstream file(state_ + "/status");
    std::string status;
    std::getline(file, status);
    if (status != "ready") {
      GTEST_SKIP() << "no test CUPS scheduler: " << (status.empty() ? "never started" : status);
    }
    surface_ = std::make_unique<CupsSurface>();
  }

  // Index of a queue in the surface's printer list; -1 when missing.
  int IndexOf(const std::string& name) {
    std::vector<PrinterInfo> printers = surface_->Printers();
    for (std::size_t i = 0; i < printers.size(); ++i) {
      if (printers[i].device_name == name) return static_cast<int>(i);
    }
    return -1;
  }

  void Select(const std::string& name) {
    int index = IndexOf(name);
    ASSERT_GE(index, 0) << name << " is not in the printer list";
    surface_->SelectPrinter(static_cast<std::size_t>(index));
    ASSERT_EQ(surface_->DeviceName(), name);
  }

  // Makes a queue of the test's own that prints to nowhere.
  void MakeQueue(const std::string& name) {
    ASSERT_TRUE(RunCommand("lpadmin -p " + name +
                           " -E -v file:///dev/null -P "
                           "/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd 2>&1")
                    .ok);
    made_.push_back(name);
  }

  void TearDown() override {
    for (const std::string& name : made_) RunCommand("lpadmin -x " + name + " 2>/dev/null");
  }

  std::string state_;
  std::unique_ptr<CupsSurface> surface_;
  std::vector<std::string> made_;
};

TEST_F(CupsQueues, PrinterListHoldsTheQueuesInCupsOrderThenPrintToPdf) {
  std::vector<PrinterInfo> printers = surface_->Printers();
  ASSERT_FALSE(printers.empty());
  EXPECT_EQ(printers.back().device_name, kPrintToPdf);
  // The order lpstat lists the destinations in, less any instances.
  std::istringstream listed(RunCommand("lpstat -e").output);
  std::vector<std::string> expected;
  for (std::string name; std::getline(listed, name);) {
    if (name.find('/') == std::string::npos) expected.push_back(name);
  }
  expected.push_back(kPrintToPdf);
  std::vector<std::string> names;
  for (const PrinterInfo& p : printers) names.push_back(p.device_name);
  EXPECT_EQ(names, expected);
  const int one = IndexOf(kOneSided), ps = IndexOf(kDuplexPs), pdf = IndexOf(kDuplexPdf);
  EXPECT_GE(pdf, 0);
  EXPECT_LT(pdf, ps);  // CUPS sorts its destinations by name
  EXPECT_LT(ps, one);
  EXPECT_EQ(printers[static_cast<std::size_t>(pdf)].port, "file://" + state_ + "/duplex-pdf.out");
  EXPECT_EQ(printers[static_cast<std::size_t>(one)].port, "cups-pdf:/");
}

TEST_F(CupsQueues, CurrentPrinterIsTheCupsDefault) {
  // The user's default destination as libcups reads it for this process only.
  setenv("LPDEST", kDuplexPs, 1);
  CupsSurface with_default;
  unsetenv("LPDEST");
  EXPECT_EQ(with_default.DeviceName(), kDuplexPs);
  EXPECT_EQ(with_default.Port(), "file://" + state_ + "/duplex-ps.out");
}

TEST_F(CupsQueues, CapabilityAnswersComeFromTheQueues) {
  struct Case {
    const char* queue;
    int two_sided;
    int landscape;
  };
  const std::vector<Case> cases = {
      {kOneSided, 0, 90},
      {kDuplexPs, 1, 90},
      {kDuplexPdf, 1, 90},
      {"Q2TestNoSuchQueue", -1, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(surface_->DeviceCapabilities(c.queue, "", kCapabilityDuplex), c.two_sided) << c.queue;
    EXPECT_EQ(surface_->DeviceCapabilities(c.queue, "", kCapabilityOrientation), c.landscape)
        << c.queue;
  }
}

TEST_F(CupsQueues, TwoSidedBookletOfLandscapeSidesIsOneShortEdgeJob) {
  Select(kDuplexPs);
  surface_->SetDocumentName("/home/someone/story.txt");
  surface_->SetOrientation(kLandscape);
  const int before = JobCount(kDuplexPs);
  const int saved = surface_->Duplex();
  EXPECT_EQ(saved, kDuplexSimplex);
  surface_->SetDuplex(kDuplexShortEdge);
  for (int sheet = 1; sheet <= 2; ++sheet) {
    surface_->SetCurrentX(720);
    surface_->SetCurrentY(720);
    surface_->Print("Sheet " + std::to_string(sheet) + " front", true);
    surface_->NewPage();
    surface_->Print("Sheet " + std::to_string(sheet) + " back", true);
    if (sheet == 2) {
      surface_->EndDoc();
    } else {
      surface_->NewPage();
    }
  }
  surface_->SetDuplex(saved);
  const int job = surface_->last_job_id();
  ASSERT_GT(job, 0);
  EXPECT_EQ(JobCount(kDuplexPs), before + 1);
  JobFacts facts = ReadJob(job);
  EXPECT_EQ(facts.sides, "two-sided-short-edge");
  EXPECT_EQ(facts.name, "story.txt");
  EXPECT_EQ(WaitForJob(job), IPP_JSTATE_COMPLETED);

  // The duplex value put back applies to the next job.
  surface_->Print("Single", true);
  surface_->EndDoc();
  ASSERT_NE(surface_->last_job_id(), job);
  EXPECT_EQ(ReadJob(surface_->last_job_id()).sides, "one-sided");
  EXPECT_EQ(WaitForJob(surface_->last_job_id()), IPP_JSTATE_COMPLETED);
}

TEST_F(CupsQueues, PdfQueueOutputHoldsTheTextAtItsPlaces) {
  Select(kDuplexPdf);
  surface_->SetPaperSize(kPaperLetter);
  surface_->SetOrientation(kLandscape);
  // Letter less the queue's margins: 18 pt left and right, 36 pt top and bottom; in
  // landscape the long side across.
  EXPECT_NEAR(surface_->ScaleWidth(), (792 - 72) * 20, 0.05);
  EXPECT_NEAR(surface_->ScaleHeight(), (612 - 36) * 20, 0.05);
  surface_->SetOrientation(kPortrait);
  EXPECT_EQ(surface_->PaperSize(), kPaperLetter);
  EXPECT_NEAR(surface_->ScaleWidth(), (612 - 36) * 20, 0.05);
  EXPECT_NEAR(surface_->ScaleHeight(), (792 - 72) * 20, 0.05);
  surface_->SetFontName("Times New Roman");
  surface_->SetFontSize(12);
  surface_->SetCurrentX(0);
  surface_->SetCurrentY(0);
  surface_->Print("Corner", true);
  surface_->SetCurrentX(1440);
  surface_->SetCurrentY(2880);
  surface_->Print("Placed", true);
  surface_->EndDoc();
  const int job = surface_->last_job_id();
  ASSERT_GT(job, 0);
  ASSERT_EQ(WaitForJob(job), IPP_JSTATE_COMPLETED);

  const std::string out = state_ + "/duplex-pdf.out";
  std::vector<testing::PdfWord> words = testing::PdfWords(out);
  testing::PdfWord corner = testing::FindWord(words, "Corner");
  testing::PdfWord placed = testing::FindWord(words, "Placed");
  ASSERT_EQ(corner.text, "Corner") << RunCommand("pdftotext " + ShellQuote(out) + " -").output;
  EXPECT_NEAR(corner.x_min, 18, 0.25);  // the printable area's corner on the sheet
  EXPECT_NEAR(corner.y_min, 36, 0.25);
  EXPECT_NEAR(placed.x_min, 18 + 72, 0.25);  // one inch across, two down
  EXPECT_NEAR(placed.y_min, 36 + 144, 0.25);
}

TEST_F(CupsQueues, OneSidedQueueRefusesTwoSidedPrinting) {
  Select(kDuplexPs);
  surface_->SetFontName("Courier New");
  surface_->SetFontSize(9);
  surface_->SetDuplex(kDuplexLongEdge);
  Select(kOneSided);
  // Another printer keeps the font settings; a sides value it lacks falls back.
  EXPECT_EQ(surface_->FontName(), "Liberation Mono");
  EXPECT_EQ(surface_->FontSize(), 9);
  EXPECT_EQ(surface_->Duplex(), kDuplexSimplex);
  for (int value : {kDuplexShortEdge, kDuplexLongEdge}) {
    try {
      surface_->SetDuplex(value);
      ADD_FAILURE() << "duplex " << value << " was accepted";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), kInvalidPropertyValue);
    }
  }
  EXPECT_EQ(surface_->Duplex(), kDuplexSimplex);
  surface_->SetDuplex(kDuplexSimplex);
}

TEST_F(CupsQueues, JobToARejectingQueueFailsWithTheSchedulersMessage) {
  MakeQueue("Q2TestRejecting");
  Select("Q2TestRejecting");
  ASSERT_TRUE(RunCommand("cupsdisable Q2TestRejecting && cupsreject Q2TestRejecting").ok);
  surface_->Print("Refused", true);
  try {
    surface_->EndDoc();
    ADD_FAILURE() << "the job was reported as sent";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kPrinterError);
    EXPECT_NE(e.failure().description.find("Q2TestRejecting"), std::string::npos)
        << e.failure().description;
    EXPECT_NE(e.failure().description.find("not accepting jobs"), std::string::npos)
        << e.failure().description;
  }
  EXPECT_EQ(JobCount("Q2TestRejecting"), 0);
}

TEST_F(CupsQueues, JobToADeletedQueueFailsAndTheNextJobStartsClean) {
  MakeQueue("Q2TestDeleted");
  Select("Q2TestDeleted");
  ASSERT_TRUE(RunCommand("lpadmin -x Q2TestDeleted").ok);
  surface_->Print("Lost", true);
  try {
    surface_->EndDoc();
    ADD_FAILURE() << "the job was reported as sent";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kPrinterError);
    EXPECT_NE(e.failure().description.find("Q2TestDeleted"), std::string::npos)
        << e.failure().description;
    EXPECT_NE(e.failure().description.find("does not exist"), std::string::npos)
        << e.failure().description;
  }
  EXPECT_EQ(surface_->last_job_id(), 0);
  surface_->EndDoc();  // the failed job is gone: nothing more is sent
  EXPECT_EQ(surface_->last_job_id(), 0);
}

}  // namespace
}  // namespace quireon2
