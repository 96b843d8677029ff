// Names of the files "Print to PDF" writes: the one suggested for a job, and those of the
// further jobs of one run.
#pragma once

#include <optional>
#include <string>

namespace quireon2 {

// Where job n of a run goes when job 1 goes to `path`: "-n" before the extension
// ("out.pdf", 2 -> "out-2.pdf"); job 1 keeps `path`.
std::string NumberedPath(const std::string& path, int n);

// The file suggested for job `job_number` of a run printing `document` (empty: none
// named): the document's name with .pdf (a document named .pdf gets a second .pdf, so it
// is never overwritten by its own print), else Quireon2.pdf; in `last_folder` (the folder
// last written to), else beside the document, else in $HOME, else in the working folder;
// numbered as NumberedPath.
std::string SuggestedPdfPath(const std::string& document, const std::string& last_folder,
                             int job_number);

// Why "Print to PDF" must not write `path`, or nothing when it may: only a new file or an
// existing regular file the user may write is taken (a symlink is judged by its target).
// The reason reads after the path: "is a directory", "is a FIFO", "Permission denied".
std::optional<std::string> OutputRefusal(const std::string& path);

// The file a write to `path` lands in: through every symlink to its end, also when the last
// link points at a file not made yet, so replacing that file keeps the links.
std::string WriteTarget(const std::string& path);

// Writes the whole file at `path` to the open descriptor `fd`, named `fd_name` in a failure
// ("standard output"). Nothing when all of it was written, else what failed and why.
std::optional<std::string> CopyFileTo(const std::string& path, int fd, const std::string& fd_name);

}  // namespace quireon2
