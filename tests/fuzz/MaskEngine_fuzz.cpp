// Random masks and random editing (typing, pastes, deletes, cursor moves,
// focus changes, whole-text sets) through the masked field's engine on an
// in-memory edit field. After every step the display text holds exactly the
// edit-position count of bytes and every literal position its literal.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/controls/EDBEditError.h"
#include "core/controls/MaskEditEngine.h"
#include "core/controls/MaskEngine.h"
#include "tests/support/MemoryEditField.h"

namespace {

using namespace mametan;

struct Input {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos = 0;
  bool empty() const { return pos >= size; }
  std::uint8_t next() { return pos < size ? data[pos++] : 0; }
  std::string bytes(std::size_t n) {
    std::string s;
    while (n-- > 0 && pos < size) s.push_back(static_cast<char>(data[pos++]));
    return s;
  }
};

void Check(const MaskEditEngine& engine, const std::string& mask, const std::vector<int>& literal) {
  if (!engine.IsMasked()) return;
  const std::string display = engine.Display();
  if (static_cast<int>(display.size()) != engine.EditCount()) std::abort();
  for (int e = 0; e < static_cast<int>(literal.size()); ++e) {
    if (literal[e] >= 0 && static_cast<unsigned char>(display[e]) != literal[e]) {
      for (unsigned char c : display) fprintf(stderr, "%02x ", c);
      fprintf(stderr, " at %d\n", e);
      std::abort();
    }
  }
  (void)mask;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in{data, size};
  const int sep = in.next();
  SetLocaleSeparators(sep & 1 ? '.' : '/', sep & 2 ? '-' : ':');
  const std::string mask = in.bytes(in.next() % 48);

  MemoryEditField field;
  field.focused = true;
  MaskEditEngine engine(field);
  engine.SetEditMask(mask);

  // The literal each edit position must keep, -1 for input positions.
  std::vector<int> literal;
  for (int e = 0; e < engine.EditCount(); ++e) {
    literal.push_back(IsLiteralPosition(mask, e) ? static_cast<unsigned char>(ShownLiteralChar(
                                                       mask, EditToMaskPosition(mask, e)))
                                                 : -1);
  }
  Check(engine, mask, literal);

  for (int step = 0; step < 256 && !in.empty(); ++step) {
    const std::uint8_t op = in.next();
    const MaskShift none{}, shift{true, false, false}, ctrl{false, true, false};
    try {
      switch (op % 20) {
        case 0:
        case 1: {  // typed character, double-byte when it starts with a lead byte
          std::string ch(1, static_cast<char>(in.next()));
          if (cp932::IsLeadByte(static_cast<unsigned char>(ch[0])))
            ch.push_back(static_cast<char>(in.next()));
          engine.KeyPress(ch);
          break;
        }
        case 2:
          engine.Paste(in.bytes(in.next() % 24));
          break;
        case 3:
          engine.KeyDown(MaskKey::Delete, none);
          break;
        case 4:
          engine.KeyDown(MaskKey::Backspace, none);
          break;
        case 5:
          engine.KeyDown(op & 0x80 ? MaskKey::Left : MaskKey::Right, none);
          break;
        case 6: {  // Shift+arrow: the engine adjusts, then the edit field extends
          const bool left = op & 0x80;
          if (engine.KeyDown(left ? MaskKey::Left : MaskKey::Right, shift))
            field.MoveCaret(left ? -1 : 1, true, false);
          break;
        }
        case 7: {
          const bool left = op & 0x80;
          const MaskKey key = left ? MaskKey::Left : MaskKey::Right;
          if (engine.KeyDown(key, ctrl)) field.MoveCaret(left ? -1 : 1, false, true);
          engine.KeyUp(key, ctrl);
          break;
        }
        case 8:
          engine.KeyDown(op & 0x80 ? MaskKey::Home : MaskKey::End, op & 0x40 ? shift : none);
          break;
        case 9:
          engine.KeyDown(op & 0x80 ? MaskKey::Up : MaskKey::Down, none);
          break;
        case 10: {  // the mouse drags a selection
          const int a = in.next() % 64, c = in.next() % 64;
          field.FieldSetSelection(a, c);
          engine.MouseRelease(op & 0x80);
          break;
        }
        case 11:
          engine.Cut();
          break;
        case 12:  // focus goes elsewhere
          field.focused = false;
          engine.FocusExit();
          break;
        case 13:  // focus comes in, maybe selecting all
          field.focused = true;
          if (engine.BeginFocusEntry() && (op & 0x80)) field.FieldSetSelection(0, 1 << 20);
          engine.EndFocusEntry();
          break;
        case 14:
          engine.KeyPress("\x1b");
          break;
        case 15:
          engine.SetText(in.bytes(in.next() % 32));
          break;
        case 16:
          engine.KeyPress("\r");
          break;
        case 17:
          engine.CheckComplete();
          break;
        case 18:
          engine.PlaceCursor(static_cast<int>(in.next() % 64) - 8);
          break;
        default:
          field.readOnly = !field.readOnly;
          break;
      }
    } catch (const EDBEditError&) {
      field.focused = true;
    }
    if (std::getenv("MASK_FUZZ_TRACE")) fprintf(stderr, "op %d\n", op % 20);
    Check(engine, mask, literal);
    (void)engine.Text();
  }
  return 0;
}
