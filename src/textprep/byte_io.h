// Streaming the source text in chunks and writing the line file, with failures carried as
// one message that names the file and the system's reason.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quireon2 {

// A file that could not be opened, read or written; what() is the message for the user.
class FileFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a source file in chunks. With `lf_as_line_end` every LF not preceded by CR comes
// out as CR LF, so LF-only text is formatted exactly like the same text with CR LF.
class SourceReader {
 public:
  // Throws FileFailure: "the file <path> doesn't exist" when there is no such file, else a
  // message with the system's reason (a folder, no access, ...).
  SourceReader(const std::string& path, bool lf_as_line_end);
  ~SourceReader();
  SourceReader(const SourceReader&) = delete;
  SourceReader& operator=(const SourceReader&) = delete;

  long long size() const { return size_; }       // the file's length in bytes
  long long added() const { return added_; }     // CRs put before lone LFs so far
  // True when `path` names the file being read (by device and inode, not by spelling).
  bool SameFile(const std::string& path) const;

  // The next `target` bytes into `chunk`, or all that remain; false when none remain. A
  // chunk that would end between CR and LF, or inside a UTF-8 sequence, takes the rest of
  // the pair or the sequence too. Throws FileFailure on a read error.
  bool NextChunk(std::size_t target, std::string& chunk);
  // True when nothing remains to be read.
  bool AtEnd();

 private:
  void Fill(std::size_t want);

  std::string path_;
  std::FILE* file_ = nullptr;
  bool lf_as_line_end_;
  long long size_ = 0;
  long long added_ = 0;
  unsigned long long dev_ = 0;
  unsigned long long ino_ = 0;
  std::string buffer_;
  std::size_t pos_ = 0;
  bool eof_ = false;
  char previous_ = '\0';
};

// Where formatted bytes go. Write and Close throw FileFailure.
class ByteWriter {
 public:
  virtual ~ByteWriter() = default;
  virtual void Write(std::string_view bytes) = 0;
  virtual void Close() = 0;
};

// Writes a file from its start (an existing file is emptied first).
class FileWriter : public ByteWriter {
 public:
  // Refuses (FileFailure) to open the file the reader `source` reads, so the source can
  // never be emptied; throws FileFailure when the file cannot be opened.
  FileWriter(const std::string& path, const SourceReader* source);
  ~FileWriter() override;
  void Write(std::string_view bytes) override;
  void Close() override;

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
};

}  // namespace quireon2
