#include "records/records_file.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "base/data_file.h"
#include "base/duration.h"
#include "base/file_exists.h"
#include "base/text_lines.h"

namespace tumbol {

namespace {

constexpr int kMaxDigits = 15;

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

// Runs text through iconv. Byte 0x98, which Windows-1251 leaves undefined,
// is carried over by hand as U+0098 in both directions.
bool Convert(const char* to, const char* from, const std::string& text, std::string& out,
             bool toUtf8) {
  if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    out = text;  // the same in both
    return true;
  }
  iconv_t cd = ::iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string result;
  result.reserve(text.size() * 2);
  char buffer[1 << 16];
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  bool ok = true;
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    const size_t rc = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    result.append(buffer, static_cast<size_t>(outPtr - buffer));
    if (rc != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    if (errno == EILSEQ && toUtf8 && static_cast<unsigned char>(*in) == 0x98) {
      result += "\xC2\x98";
      ++in;
      --inLeft;
      continue;
    }
    if (errno == EILSEQ && !toUtf8 && inLeft >= 2 && static_cast<unsigned char>(in[0]) == 0xC2 &&
        static_cast<unsigned char>(in[1]) == 0x98) {
      result += '\x98';
      in += 2;
      inLeft -= 2;
      continue;
    }
    if (errno == EILSEQ && toUtf8) {  // cannot happen for Windows-1251; keep going
      result += "\xEF\xBF\xBD";
      ++in;
      --inLeft;
      continue;
    }
    ok = false;
    break;
  }
  ::iconv_close(cd);
  if (ok) out = std::move(result);
  return ok;
}

bool ReadTimeOfDay(const std::string& text, double& days) {
  // h:mm:ss or hh:mm:ss
  const size_t first = text.find(':');
  if (first != 1 && first != 2) return false;
  if (text.size() != first + 6 || text[first + 3] != ':') return false;
  int parts[3] = {0, 0, 0};
  size_t pos = 0;
  for (int p = 0; p < 3; ++p) {
    const size_t len = p == 0 ? first : 2;
    for (size_t i = 0; i < len; ++i) {
      const char ch = text[pos + i];
      if (!IsDigit(ch)) return false;
      parts[p] = parts[p] * 10 + (ch - '0');
    }
    pos += len + 1;
  }
  if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return false;
  days = (parts[0] * 3600.0 + parts[1] * 60.0 + parts[2]) / kSecondsPerDay;
  return true;
}

bool ReadDays(const std::string& text, double& days) {
  // [sign] digits [sep digits] [E [sign] digits], at least one mantissa digit
  std::string plain;
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') plain += '-';
    ++i;
  }
  int mantissaDigits = 0;
  while (i < text.size() && IsDigit(text[i])) plain += text[i++], ++mantissaDigits;
  if (i < text.size() && (text[i] == ',' || text[i] == '.')) {
    plain += '.';
    ++i;
    while (i < text.size() && IsDigit(text[i])) plain += text[i++], ++mantissaDigits;
  }
  if (mantissaDigits == 0) return false;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
    plain += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    int exponentDigits = 0;
    while (i < text.size() && IsDigit(text[i])) plain += text[i++], ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  if (i != text.size()) return false;
  double value = 0;
  const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (ec != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value)) return false;
  days = value;
  return true;
}

}  // namespace

std::string DurationToTimeText(double days, char decimalSep) {
  if (!std::isfinite(days) || days == 0.0) return "0";
  std::string sign;
  if (days < 0) {
    sign = "-";
    days = -days;
  }
  // Fifteen digits round the largest doubles up past the double range, and
  // such a text would never read back; they are cut to the last one that does.
  constexpr double kLargestReadable = 1.79769313486231e308;
  if (days > kLargestReadable) days = kLargestReadable;
  // d.dddddddddddddde±xx, locale-independent
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, days, std::chars_format::scientific,
                                 kMaxDigits - 1);
  const std::string sci(buf, res.ptr);
  const size_t ePos = sci.find('e');
  std::string digits = sci.substr(0, 1) + sci.substr(2, ePos - 2);
  const int exponent = std::atoi(sci.c_str() + ePos + 1);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const int k = static_cast<int>(digits.size());
  const int decimals = std::max(0, k - 1 - exponent);

  if (decimals > kMaxDigits || exponent >= kMaxDigits) {
    std::string text = sign + digits.substr(0, 1);
    if (k > 1) text += decimalSep + digits.substr(1);
    const int power = std::abs(exponent);
    text += exponent < 0 ? "E-" : "E+";
    if (power < 10) text += '0';
    text += std::to_string(power);
    return text;
  }
  std::string text = sign;
  if (exponent >= 0) {
    const int intLen = exponent + 1;
    if (k <= intLen) {
      text += digits + std::string(static_cast<size_t>(intLen - k), '0');
    } else {
      text += digits.substr(0, static_cast<size_t>(intLen)) + decimalSep +
              digits.substr(static_cast<size_t>(intLen));
    }
  } else {
    text += std::string("0") + decimalSep + std::string(static_cast<size_t>(-exponent - 1), '0') +
            digits;
  }
  return text;
}

bool TimeTextToDuration(const std::string& text, double& days) {
  const std::string trimmed = TrimBlanks(text);
  if (trimmed.find(':') != std::string::npos) return ReadTimeOfDay(trimmed, days);
  return ReadDays(trimmed, days);
}

bool SplitRecord(const std::string& entry, std::string& name, std::string& timeText) {
  const size_t sep = entry.find(kRecordSeparator);
  if (sep == std::string::npos) {
    name = entry;
    timeText.clear();
    return false;
  }
  name = entry.substr(0, sep);
  timeText = entry.substr(sep + 3);
  return true;
}

std::string ShownRecordTime(const std::string& entry) {
  std::string name, timeText;
  double days = 0;
  if (!SplitRecord(entry, name, timeText) || !TimeTextToDuration(timeText, days)) return {};
  return FormatHms(days);
}

std::string Cp1251ToUtf8(const std::string& bytes) {
  std::string out;
  if (!Convert("UTF-8", "CP1251", bytes, out, true)) return bytes;
  return out;
}

bool Utf8ToCp1251(const std::string& text, std::string& out) {
  return Convert("CP1251", "UTF-8", text, out, false);
}

void RecordTable::Add(std::string_view entry) {
  starts_.push_back(static_cast<uint32_t>(text_.size()));
  text_.append(entry);
  text_ += kCRLF;
}

void RecordTable::Replace(size_t i, const std::string& entry) {
  const size_t start = starts_[i], oldEnd = End(i);
  text_.replace(start, oldEnd - start, entry);
  const uint32_t shift = static_cast<uint32_t>(entry.size() - (oldEnd - start));  // wraps when shorter
  for (size_t j = i + 1; j < starts_.size(); ++j) starts_[j] += shift;
}

void LoadRecords(Toolkit& toolkit, const GameFolders& folders,
                 RecordTable& RecordLines, size_t maxEntries) {
  const std::string path = FoundFile(folders, kRecordsFileName);
  std::string contents;
  if (!FileExists(path) || !ReadDataFile(path, contents)) {
    ShowMissingFile(toolkit, path);
    return;
  }
  // Line ends and blanks are the same bytes in both code pages, so the text
  // up to the last entry wanted is converted at once.
  size_t count = 0, end = 0;
  ForEachKeptLine(contents, [&](std::string_view line) {
    end = static_cast<size_t>(line.data() + line.size() - contents.data());
    return ++count < maxEntries;
  });
  if (count == 0) return;
  contents.resize(end);
  const std::string text = Cp1251ToUtf8(contents);
  contents = std::string();
  RecordTable table;
  table.Reserve(text.size() + count + 2, count);
  ForEachKeptLine(text, [&](std::string_view line) {
    table.Add(line);
    return true;
  });
  RecordLines = std::move(table);
}

bool SaveRecords(Toolkit& toolkit, const GameFolders& folders,
                 const RecordTable& RecordLines) {
  const std::string path = WrittenFile(folders, kRecordsFileName);
  std::string contents;
  std::string error = "в таблице есть знаки, которых нет в кодировке Windows-1251";
  bool ok = Utf8ToCp1251(RecordLines.Text(), contents);
  if (ok) ok = MakeDataFolder(folders, error) && WriteDataFile(path, contents, error);
  if (!ok) {
    toolkit.MsgBox("Не удалось записать файл '" + path + "': " + error + "." + kCR +
                       "Таблица рекордов осталась прежней.",
                   kStyleExclamation, kRecordsTitle);
  }
  return ok;
}

namespace {

// Asks until the player gives a name the table can hold.
std::string AskRecordName(Toolkit& toolkit) {
  for (;;) {
    const std::string name = toolkit.InputBox(
        std::string("Установлен новый рекорд!") + kCRLF + "Введите свое имя:", kRecordsTitle, "");
    std::string bytes;
    if (name.empty()) {
      toolkit.MsgBox("Введите имя!", kStyleInformation, kRecordsTitle);
    } else if (name.find(kRecordSeparator) != std::string::npos) {
      // The separator would split the name when the table is read again.
      toolkit.MsgBox("Имя не может содержать знаки \"[:]\"." + std::string(kCR) +
                         "Введите другое имя.",
                     kStyleInformation, kRecordsTitle);
    } else if (name.find_first_of("\r\n") != std::string::npos || !Utf8ToCp1251(name, bytes)) {
      toolkit.MsgBox("В имени есть знаки, которые нельзя записать в таблицу рекордов." +
                         std::string(kCR) + "Введите другое имя.",
                     kStyleInformation, kRecordsTitle);
    } else {
      return name;
    }
  }
}

}  // namespace

bool CheckNewRecord(Toolkit& toolkit, const GameFolders& folders,
                    RecordTable& RecordLines, double totalTime, char decimalSep) {
  LoadRecords(toolkit, folders, RecordLines);
  if (RecordLines.empty()) return false;
  size_t place = RecordLines.size();
  for (size_t i = 0; i < RecordLines.size(); ++i) {
    std::string name, timeText;
    if (!SplitRecord(RecordLines[i], name, timeText)) continue;
    double days = 0;
    // A time nobody can read is no record worth keeping: it goes first.
    if (!TimeTextToDuration(timeText, days) || days > totalTime) {
      place = i;
      break;
    }
  }
  if (place == RecordLines.size()) return false;
  const std::string name = AskRecordName(toolkit);
  const std::string replaced = RecordLines[place];
  RecordLines.Replace(place, name + kRecordSeparator + DurationToTimeText(totalTime, decimalSep));
  if (SaveRecords(toolkit, folders, RecordLines)) return true;
  // The file kept the old table; so does the game.
  RecordLines.Replace(place, replaced);
  return false;
}

}  // namespace tumbol
