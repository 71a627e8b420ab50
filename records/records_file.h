#pragma once
// The table of records in record.txt: one entry a line, a name, "[:]" and a
// time text; Windows-1251 bytes on disk, UTF-8 in memory.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "base/game_folders.h"
#include "base/toolkit.h"

namespace tumbol {

constexpr char kRecordsFileName[] = "record.txt";
constexpr char kRecordSeparator[] = "[:]";
constexpr char kRecordsTitle[] = "Таблица рекордов";

// The entries of the table, best first, in UTF-8. They are kept as the text
// the file is written from, each entry followed by CR LF, and where each
// starts: a file of millions of short entries takes little more memory than
// its bytes.
class RecordTable {
 public:
  RecordTable() = default;
  RecordTable(std::initializer_list<std::string_view> entries) {
    for (const auto entry : entries) Add(entry);
  }
  size_t size() const { return starts_.size(); }
  bool empty() const { return starts_.empty(); }
  std::string operator[](size_t i) const { return text_.substr(starts_[i], End(i) - starts_[i]); }
  void Reserve(size_t bytes, size_t entries) { text_.reserve(bytes), starts_.reserve(entries); }
  void Add(std::string_view entry);
  void Replace(size_t i, const std::string& entry);
  const std::string& Text() const { return text_; }
  bool operator==(const RecordTable& other) const { return text_ == other.text_; }

 private:
  size_t End(size_t i) const { return (i + 1 < starts_.size() ? starts_[i + 1] : text_.size()) - 2; }
  std::string text_;
  std::vector<uint32_t> starts_;  // the text stays far below 4 GiB: the file is at most 64 MiB
};

// A duration in days as the default text of a double: at most 15 significant
// digits, decimalSep as the separator, no grouping, and the exponent form
// (mantissa, 'E', sign, at least two digits) where the plain form would need
// more than 15 digits after the separator (or more than 15 before it).
std::string DurationToTimeText(double days, char decimalSep);

// Reads a time text: a number of days with ',' or '.' as the separator and an
// optional exponent, or a time of day h:mm:ss / hh:mm:ss. Surrounding blanks
// are ignored. False for anything else; days is then left alone.
bool TimeTextToDuration(const std::string& text, double& days);

// Splits an entry at its first "[:]". False (name = whole entry, time text
// empty) when it has none.
bool SplitRecord(const std::string& entry, std::string& name, std::string& timeText);

// The time column of the records window: "hh:mm:ss", or "" when the entry has
// no time or its time text cannot be read.
std::string ShownRecordTime(const std::string& entry);

// Windows-1251 <-> UTF-8. The one byte Windows-1251 leaves undefined (0x98)
// travels as U+0098, so any file line survives a read and a rewrite.
std::string Cp1251ToUtf8(const std::string& bytes);
// False when text is not UTF-8 or holds a character Windows-1251 cannot hold;
// out is then left alone.
bool Utf8ToCp1251(const std::string& text, std::string& out);

// Reads record.txt (the player's copy when there is one, else the shipped
// one) into RecordLines (UTF-8, stripped, blank lines skipped). A missing file
// brings the "does not exist" message; a missing or all-blank file leaves
// RecordLines as it was. Only the first maxEntries entries are kept.
void LoadRecords(Toolkit& toolkit, const GameFolders& folders,
                 RecordTable& RecordLines, size_t maxEntries = SIZE_MAX);

// Rewrites the file from RecordLines, each line in Windows-1251 ending in CR
// LF, in the folder the game writes to. The old file is replaced in one step;
// on failure it stays as it was, a message names the file and the reason, and
// false is returned.
bool SaveRecords(Toolkit& toolkit, const GameFolders& folders,
                 const RecordTable& RecordLines);

// After a won game: reads the table, and when totalTime beats an entry asks
// for the player's name, puts it in the place of the first slower entry and
// rewrites the file. An entry whose time cannot be read counts as slower than
// any game. Returns true when a record was set and written; when the write
// fails the table stays as it was, in the file and in RecordLines.
bool CheckNewRecord(Toolkit& toolkit, const GameFolders& folders,
                    RecordTable& RecordLines, double totalTime, char decimalSep);

}  // namespace tumbol
