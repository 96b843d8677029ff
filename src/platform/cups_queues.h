// The CUPS side of the printer surface: the destinations, what a queue can do (two-sided,
// landscape, its paper, its resolution), and sending a finished PDF file to a queue as one
// job.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "interfaces/printer_surface.h"
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
  // The paper in force: the `media` the user chose for the queue (lpoptions), else the
  // queue's media-default, with the queue's margins.
  std::optional<Paper> default_paper;
  std::vector<std::pair<int, Paper>> papers;  // the table's papers the queue offers, by code
  int resolution_dpi = 600;  // printer-resolution-default, else 600
};

QueueFacts ReadQueueFacts(const std::string& queue);

// Whether the scheduler answers at all: false when nothing listens where CUPS is reached
// (the print service is not running).
bool PrintServiceRunning();
// Whether the queue is paused (stopped): it still takes jobs, which wait in it until it is
// resumed.
bool QueuePaused(const std::string& queue);

// The CUPS `sides` keyword of a duplex value (kDuplexSimplex, kDuplexLongEdge, ...).
const char* SidesKeyword(int duplex);
// Whether a job may ask the queue for these sides: a queue that names its sides must name
// this one; one that names none may try it.
bool OffersSides(const QueueFacts& facts, int duplex);
// The queue's answer to a capability query (kCapabilityDuplex, kCapabilityOrientation);
// -1 for any other query.
int QueueCapability(const QueueFacts& facts, int query);

// Makes `media` the user's choice for `queue` for later runs and other programs alike:
// written into the user's lpoptions as `lpoptions -p QUEUE -o media=...` would. False when
// the queue is unknown or the file cannot be written.
bool KeepQueueMedia(const std::string& queue, const std::string& media);

// Sends the PDF file `pdf_path` to `queue` as one application/pdf document with the user's
// options for the queue (lpoptions) and these job options over them, read and sent a piece
// at a time. Returns the CUPS job id. Raises RuntimeError 482
// with the scheduler's message when the queue refuses or the transfer fails (a job already
// created is then cancelled), 75 when the file cannot be opened.
int SendPdfFile(const std::string& queue, const std::string& pdf_path, const std::string& title,
                const std::vector<std::pair<std::string, std::string>>& options);

}  // namespace quireon2
