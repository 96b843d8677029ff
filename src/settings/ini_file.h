// The settings file's text form: sections in square brackets and key=value lines. The
// whole file is read once, edited in memory and written back once, replacing the old file
// in one step; lines that are not edited keep their bytes and line ends.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quireon2 {

// Lookups and edits take the same time however long the file is: the sections and keys are
// indexed once when the file is read.
class IniFile {
 public:
  IniFile() = default;
  // Splits `bytes` into lines; LF and CR LF both end a line.
  explicit IniFile(const std::string& bytes);
  // The index points into the lines, so a file is moved, never copied.
  IniFile(IniFile&&) = default;
  IniFile& operator=(IniFile&&) = default;
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;

  // Reads the file at `path`. A missing or unreadable file gives an empty IniFile (false
  // with the reason in `error` when the file exists but cannot be read).
  static IniFile Load(const std::string& path, std::string* error = nullptr);

  // The value of `key` in `section` without the blanks around it; nothing when the key or
  // the section is missing. Section and key names match without regard to letter case;
  // the first of several equal keys counts.
  std::optional<std::string> Get(const std::string& section, const std::string& key) const;

  // Replaces the value where the key stands, else adds the key after the section's last
  // entry; creates the section at the end of the file when it is missing.
  void Set(const std::string& section, const std::string& key, const std::string& value);

  // The file's bytes; untouched lines come out exactly as they were read, new lines end
  // with LF.
  std::string Text() const;

 private:
  struct Line {
    std::string body;  // without its line end
    std::string end;   // "\n", "\r\n", or "" for a last line without one
  };
  using LineRef = std::list<Line>::iterator;
  // Names compared and hashed without regard to the case of ASCII letters; the views point
  // into the lines' bodies.
  struct NameHash {
    std::size_t operator()(std::string_view name) const;
  };
  struct SameName {
    bool operator()(std::string_view a, std::string_view b) const;
  };
  // The first section of a name: its header, the next header of any name (nothing when it
  // runs to the end of the file), and the first entry of each key in it.
  struct Section {
    LineRef header;
    std::optional<LineRef> next_header;
    std::unordered_map<std::string_view, LineRef, NameHash, SameName> keys;
  };

  // Appends a line and indexes it.
  void Append(Line line);
  // Indexes the entry at `line` in `section` unless the key is there already.
  static void IndexEntry(Section& section, LineRef line);

  std::list<Line> lines_;
  std::unordered_map<std::string_view, Section, NameHash, SameName> sections_;
  Section* last_section_ = nullptr;  // the section running to the end of the file, if any
};

// Called after the temporary file holds all the bytes and is synced, just before it takes
// the place of the target. Returning false abandons the write, as a failure at the last
// moment would.
using BeforeReplaceHook = std::function<bool(const std::string& temp_path)>;

// Writes `bytes` to `path` through a temporary file in the same folder (synced, then
// renamed over the target), so the target holds either its old or its new bytes, never a
// part. An existing read-only target is not replaced. False on any failure, with the
// reason in `error`; no temporary file is left behind, and those an earlier write left
// when its process was killed are removed.
bool WriteFileAtomically(const std::string& path, const std::string& bytes,
                         std::string* error = nullptr,
                         const BeforeReplaceHook& before_replace = nullptr);

// The permissions a file the user saves gets: read and write as the process's umask allows.
mode_t NewFileMode();

}  // namespace quireon2
