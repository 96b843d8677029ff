// Names of the files "Print to PDF" writes when one run makes several jobs.
#pragma once

#include <string>

namespace quireon2 {

// Where job n of a run goes when job 1 goes to `path`: "-n" before the extension
// ("out.pdf", 2 -> "out-2.pdf"); job 1 keeps `path`.
std::string NumberedPath(const std::string& path, int n);

}  // namespace quireon2
