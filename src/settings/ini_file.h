// The settings file's text form: sections in square brackets and key=value lines. The
// whole file is read once, edited in memory and written back once, replacing the old file
// in one step; lines that are not edited keep their bytes and line ends.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quireon2 {

// Lookups and edits take about the same time however long the file is: its sections are
// found once when it is read, and the keys of a section when it is first looked into.
class IniFile {
 public:
  IniFile() = default;
  // Splits `bytes` into lines; LF and CR LF both end a line.
  explicit IniFile(const std::string& bytes);

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
  static constexpr std::size_t kToTheEnd = static_cast<std::size_t>(-1);
  // The first section of a name (a later one of the same name is never read).
  struct Section {
    std::size_t header = 0;
    std::size_t end = kToTheEnd;  // the next header's line
    // (hash of the key's name in lower case, line), sorted; made at the first lookup.
    std::vector<std::pair<std::uint64_t, std::size_t>> keys;
    bool indexed = false;
    // Keys added by Set, written just before line `added_at` (the number of lines: last).
    std::vector<Line> added;
    std::size_t added_at = 0;
  };

  // Appends a line, noting a section it starts.
  void Append(Line line);
  Section* FindSection(const std::string& section) const;
  std::size_t End(const Section& section) const;  // the line after the section
  // The line where the key first stands: of the file, or of `added` when `in_added`.
  bool FindKey(Section& section, const std::string& key, std::size_t* at, bool* in_added) const;

  std::vector<Line> lines_;
  // By name in lower case; the index of keys is filled by const lookups.
  mutable std::unordered_map<std::string, Section> sections_;
  // The name (lower case) of the section running to the end of the file, if any.
  std::optional<std::string> last_section_;
};

// Called after the temporary file holds all the bytes and is synced, just before it takes
// the place of the target. Returning false abandons the write, as a failure at the last
// moment would.
using BeforeReplaceHook = std::function<bool(const std::string& temp_path)>;

// Writes `bytes` to `path` through a temporary file in the same folder (synced, then
// renamed over the target), so the target holds either its old or its new bytes, never a
// part. An existing read-only target is not replaced. False on any failure, with the
// reason in `error`; no temporary file is left behind.
bool WriteFileAtomically(const std::string& path, const std::string& bytes,
                         std::string* error = nullptr,
                         const BeforeReplaceHook& before_replace = nullptr);

// The permissions a file the user saves gets: read and write as the process's umask allows.
mode_t NewFileMode();

}  // namespace quireon2
