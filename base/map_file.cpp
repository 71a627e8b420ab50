#include "base/map_file.h"

#include "base/data_file.h"
#include "base/file_exists.h"
#include "base/text_lines.h"
#include "base/toolkit.h"

namespace tumbol {

void ParseLevelMap(const std::string& contents, Board& board, bool& warning) {
  const std::vector<std::string_view> kept = KeptLines(contents, kBoardRows);
  board = Board(kBoardRows, kBoardCols);
  for (int row = 1; row <= kBoardRows; ++row) {
    const std::string_view* line = row <= static_cast<int>(kept.size()) ? &kept[row - 1] : nullptr;
    for (int col = 1; col <= kBoardCols; ++col) {
      if (line == nullptr || col > static_cast<int>(line->size())) {
        warning = true;
        continue;
      }
      board.At(row, col) = CodeFromChar((*line)[col - 1], warning);
    }
  }
}

std::string MapWarningText() {
  return std::string("Внимание! Карта имеет неправельную структуру или несуществующие элементы.") + kCR +
         "Эти элементы будут учитываться как пространство карты.";
}

bool ReadLevelFile(const std::string& path, Board& board, bool& warning) {
  std::string contents;
  if (!FileExists(path) || !ReadDataFile(path, contents)) return false;
  warning = false;
  ParseLevelMap(contents, board, warning);
  return true;
}

std::string MapFileName(const std::string& number) {
  return IsPlainFileNamePart(number) ? "pole" + number + ".txt" : std::string();
}

void RefuseMapNumber(Toolkit& toolkit, const std::string& number, const std::string& title) {
  toolkit.MsgBox("Номер карты '" + number + "' не годится для имени файла." + kCR +
                     "Уберите из него знаки / и \\ и управляющие символы.",
                 kStyleExclamation, title);
}

std::string BoardRowText(const Board& board, int row) {
  std::string text;
  for (int col = 1; col <= board.Cols(); ++col) {
    const int code = board.At(row, col);
    text += code >= 0 && code <= kLastCode ? CharFromCode(code) : '?';
  }
  return text;
}

}  // namespace tumbol
