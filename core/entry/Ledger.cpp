#include "core/entry/Ledger.h"

#include <string_view>

#include "core/entry/LedgerReader.h"
#include "core/platform/Cp932.h"
#include "core/platform/FileIo.h"

namespace mametan {
namespace {

// Appends one text field. Quoting only the texts that need it keeps every
// ordinary line byte-identical to the plain date,kind,goods,price format.
void AppendField(std::string& line, std::string_view text) {
  text = text.substr(0, text.find('\0'));
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    line += text;
    return;
  }
  line += '"';
  for (const char c : text) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

// Creates the absent ledger with its header. Returns Written when the file
// is there to append to afterwards.
LedgerOutcome CreateLedger(const std::string& path) {
  ByteFile file;
  switch (file.CreateNew(path)) {
    case ByteFile::Create::Created:
      break;
    case ByteFile::Create::Exists:
      // Another instance created it between the test and here: it has its
      // header already. Anything else of that name cannot become a ledger.
      return IsRegularFile(path) ? LedgerOutcome::Written : LedgerOutcome::CannotCreate;
    case ByteFile::Create::Failed:
      return LedgerOutcome::CannotCreate;
  }
  if (!file.Append(kLedgerHeader)) {
    // Take back the empty file, so that the next attempt writes the header
    // instead of finding an existing file without one.
    const bool empty = file.Size() == 0u;
    file.Close();
    if (empty) RemoveFile(path);
    return LedgerOutcome::CannotWrite;
  }
  return file.Close() ? LedgerOutcome::Written : LedgerOutcome::CannotWrite;
}

}  // namespace

std::string FormatLedgerLine(const LedgerRecord& record) {
  std::string line;
  line.reserve(record.date.size() + record.kind.size() + record.goods.size() + 16);
  AppendField(line, record.date);
  line += ',';
  AppendField(line, record.kind);
  line += ',';
  AppendField(line, record.goods);
  line += ',';
  line += std::to_string(record.price);
  line += "\r\n";
  return line;
}

LedgerOutcome WriteLedgerRecord(const LedgerRecord& record, const std::string& path) {
  std::string line = FormatLedgerLine(record);
  if (!IsRegularFile(path)) {
    const LedgerOutcome created = CreateLedger(path);
    if (created != LedgerOutcome::Written) return created;
  }
  ByteFile file;
  if (!file.OpenAppend(path)) return LedgerOutcome::CannotOpen;
  // The writers' turn lasts to the close, so the encoding is read from the
  // file the line goes to, even when the viewer has just replaced it. A turn
  // another program keeps too long is as good as a file that will not open.
  if (file.TakeTurn() != ByteFile::Turn::Taken) return LedgerOutcome::CannotOpen;
  // A ledger that a spreadsheet saved as UTF-8 (it starts with the mark)
  // stays UTF-8: a code page 932 line would leave it valid in neither.
  if (file.Head(kUtf8Mark.size()) == kUtf8Mark) line = cp932::Decode(line);
  // A file whose last line has no break (edited by hand, or written by
  // another program) would get the record glued onto that line.
  const bool written = file.Append(line, true);
  const bool closed = file.Close();
  return written && closed ? LedgerOutcome::Written : LedgerOutcome::CannotWrite;
}

std::string LedgerFailureMessage(LedgerOutcome outcome) {
  switch (outcome) {
    case LedgerOutcome::Written:
      return {};
    case LedgerOutcome::CannotCreate:
      return "家計簿ファイルが作成できません。";
    case LedgerOutcome::CannotOpen:
      return "家計簿ファイルが開けません。";
    case LedgerOutcome::CannotWrite:
      return "家計簿ファイルに書き込めません。";
  }
  return {};
}

}  // namespace mametan
