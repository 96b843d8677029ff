// The CUPS side of the printer surface: the destinations, what a queue can do (two-sided,
// landscape, its paper, its resolution), and sending a finished PDF file to a queue as one
// job.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/paper.h"

namespace quireon2 {

struct CupsDestination {
  std::string name;
  std::string device_uri;
  bool is_default = false;
};

// The CUPS destinations in the order CUPS lists them (no instances); empty when no
// scheduler answers.
std::vector<CupsDestination> ListCupsDestinations();

// What one queue offers, read once from the scheduler.
struct QueueFacts {
  bool found = false;        // the scheduler knows the queue and answered
  int two_sided = -1;        // 1 sides-supported holds a two-sided value, 0 not, -1 unknown
  int landscape = -1;        // 90 orientation-requested-supported holds 4, 0 not, -1 unknown
  std::vector<std::string> sides;  // sides-supported
  std::optional<Paper> default_paper;
  int resolution_dpi = 600;  // printer-resolution-default, else 600
};

QueueFacts ReadQueueFacts(const std::string& queue);

// The queue's paper of this media name with its margins, or nothing when the queue does
// not offer it.
std::optional<Paper> QueuePaper(const std::string& queue, const std::string& media);

// Sends the PDF file `pdf_path` to `queue` as one application/pdf document with these job
// options, read and sent a piece at a time. Returns the CUPS job id. Raises RuntimeError 482
// with the scheduler's message when the queue refuses or the transfer fails (a job already
// created is then cancelled), 75 when the file cannot be opened.
int SendPdfFile(const std::string& queue, const std::string& pdf_path, const std::string& title,
                const std::vector<std::pair<std::string, std::string>>& options);

}  // namespace quireon2
