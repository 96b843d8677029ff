// What every printer surface must do alike, run against the recording surface of the other
// tests and the real one on "Print to PDF" (read back from its files): the pages each job
// sends for any sequence of drawing, page ends, job ends and dropped jobs, and how printing
// moves the current position by what the text measures.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/cups_surface.h"
#include "platform/surface_test_tools.h"
#include "support/gtest_support.h"
#include "support/recording_surface.h"

namespace quireon2 {
namespace {

// The jobs a surface sent: per job, per page, the words drawn there joined by blanks.
using SentJobs = std::vector<std::vector<std::string>>;

void AddWord(std::string& page, const std::string& word) {
  page += (page.empty() ? "" : " ") + word;
}

class RecordingHarness {
 public:
  static bool Ready() { return true; }
  PrinterSurface& surface() { return surface_; }
  SentJobs Sent() const {
    SentJobs jobs;
    for (const auto& job : surface_.sent_jobs()) {
      std::vector<std::string> pages(static_cast<std::size_t>(job.pages));
      for (const testing::SurfaceCall& c : surface_.calls()) {
        if (c.op == "Print" && c.job == job.number) AddWord(pages.at(c.page - 1), c.text);
      }
      jobs.push_back(pages);
    }
    return jobs;
  }

 private:
  testing::RecordingSurface surface_;
};

// Job n goes to job.pdf, job-2.pdf, ...: every file in the folder must be one of them.
class PdfHarness {
 public:
  static bool Ready() { return testing::RunCommand("command -v pdftotext").has_value(); }
  PdfHarness() {
    surface_.SelectPrinter(surface_.Printers().size() - 1);
    surface_.SetPdfOutputPath(dir_.File("job.pdf"));
  }
  PrinterSurface& surface() { return surface_; }
  SentJobs Sent() const {
    const auto files = std::filesystem::directory_iterator(dir_.path());
    const long count = std::distance(begin(files), end(files));
    SentJobs jobs;
    for (long n = 1; n <= count; ++n) {
      const std::string name = n == 1 ? "job.pdf" : "job-" + std::to_string(n) + ".pdf";
      jobs.emplace_back();
      for (const testing::PdfPageText& page : testing::ReadPdfPages(dir_.File(name))) {
        jobs.back().emplace_back();
        for (const auto& word : page.words) AddWord(jobs.back().back(), word.first);
      }
    }
    return jobs;
  }

 private:
  testing::ScratchDir dir_;
  CupsSurface surface_;
};

template <typename Harness>
class SurfaceContract : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Harness::Ready()) GTEST_SKIP() << "the poppler tools (poppler-utils) are not installed";
  }
};

using Harnesses = ::testing::Types<RecordingHarness, PdfHarness>;
TYPED_TEST_SUITE(SurfaceContract, Harnesses);

// Jobs as "PAGE/PAGE | PAGE", a blank page as "_".
std::string Show(const SentJobs& jobs) {
  std::string out;
  for (const auto& job : jobs) {
    out += out.empty() ? "" : " | ";
    for (std::size_t i = 0; i < job.size(); ++i) {
      out += (i ? "/" : "") + (job[i].empty() ? "_" : job[i]);
    }
  }
  return out;
}

// Every NewPage and EndDoc ends one page, blank or not; EndDoc with nothing open still
// sends one blank page; AbortDoc sends nothing and leaves no trace in the next job.
TYPED_TEST(SurfaceContract, EverySideEndedIsOnePageOfTheJob) {
  // The script ("/" NewPage, "." EndDoc, "x" AbortDoc, any other word printed on a line
  // of its own) and the jobs sent.
  const std::pair<const char*, const char*> cases[] = {
      {"A .", "A"},
      {"A B / C .", "A B/C"},
      {"A / .", "A/_"},            // a blank last side
      {"A / / B .", "A/_/B"},      // a blank side inside the job
      {"/ A .", "_/A"},            // a page end opens the job
      {".", "_"},                  // nothing drawn at all
      {"A . .", "A | _"},          // the second pass of a one-page booklet
      {"A / . / .", "A/_ | _/_"},
      {"A / x", ""},
      {"x .", "_"},
      {"A / B x C / .", "C/_"},    // the dropped job takes no number and leaves nothing
  };
  for (const auto& [script, sent] : cases) {
    TypeParam harness;
    PrinterSurface& surface = harness.surface();
    std::istringstream steps(script);
    for (std::string step; steps >> step;) {
      if (step == "/") {
        surface.NewPage();
      } else if (step == ".") {
        surface.EndDoc();
      } else if (step == "x") {
        surface.AbortDoc();
      } else {
        surface.Print(step, true);
      }
    }
    EXPECT_EQ(Show(harness.Sent()), sent) << script;
  }
}

TYPED_TEST(SurfaceContract, PrintMovesTheCurrentPositionByTheMeasuredText) {
  TypeParam harness;
  PrinterSurface& surface = harness.surface();
  const double width = surface.TextWidth("Hello"), height = surface.TextHeight("Hello");
  ASSERT_GT(width, 0);
  ASSERT_GT(height, 0);
  // A text measures as lines at LF, with or without CR: its widest line, all their heights.
  // A lone CR is a character, and a final line end starts no further line.
  EXPECT_EQ(surface.TextWidth("l\r\nHello\nel"), width);
  const std::pair<const char*, int> lines[] = {
      {"", 1}, {"l\r\nHello\nel", 3}, {"a\n\nb", 3}, {"a\r\n", 1}, {"\n", 1}, {"a\rb", 1}};
  for (const auto& [text, count] : lines) {
    EXPECT_DOUBLE_EQ(surface.TextHeight(text), count * height) << text;
  }
  surface.SetCurrentX(300);
  surface.SetCurrentY(500);
  surface.Print("Hello", false);
  EXPECT_DOUBLE_EQ(surface.CurrentX(), 300 + width);
  EXPECT_EQ(surface.CurrentY(), 500);
  surface.Print("Hello", true);
  EXPECT_EQ(surface.CurrentX(), 0);
  EXPECT_DOUBLE_EQ(surface.CurrentY(), 500 + height);
}

}  // namespace
}  // namespace quireon2
