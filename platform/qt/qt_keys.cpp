#include "platform/qt/qt_keys.h"

#include <string>

#include "platform/gbk_text.h"

namespace vorenn::platform {
namespace {

struct KeyRow {
  int qtKey;
  int virtualKey;
};

// Keys whose Qt number is not already their virtual-key number. Punctuation shares its Qt number
// with its character code, which would collide with keys such as Delete ('.' is 0x2E), so every
// printable symbol is listed with the key it is typed on.
constexpr KeyRow kKeys[] = {
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09}, {Qt::Key_Backtab, 0x09}, {Qt::Key_Clear, 0x0C},
    {Qt::Key_Return, 0x0D}, {Qt::Key_Enter, 0x0D}, {Qt::Key_Shift, 0x10}, {Qt::Key_Control, 0x11},
    {Qt::Key_Alt, 0x12}, {Qt::Key_Pause, 0x13}, {Qt::Key_CapsLock, 0x14}, {Qt::Key_Escape, 0x1B},
    {Qt::Key_Space, 0x20}, {Qt::Key_PageUp, 0x21}, {Qt::Key_PageDown, 0x22}, {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24}, {Qt::Key_Left, 0x25}, {Qt::Key_Up, 0x26}, {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28}, {Qt::Key_Print, 0x2C}, {Qt::Key_Insert, 0x2D}, {Qt::Key_Delete, 0x2E},
    {Qt::Key_Help, 0x2F}, {Qt::Key_Meta, 0x5B}, {Qt::Key_Menu, 0x5D}, {Qt::Key_NumLock, 0x90},
    {Qt::Key_ScrollLock, 0x91},
    // Shifted digits.
    {Qt::Key_ParenRight, '0'}, {Qt::Key_Exclam, '1'}, {Qt::Key_At, '2'}, {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'}, {Qt::Key_Percent, '5'}, {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'}, {Qt::Key_ParenLeft, '9'},
    // The punctuation keys, plain and shifted.
    {Qt::Key_Semicolon, 0xBA}, {Qt::Key_Colon, 0xBA}, {Qt::Key_Equal, 0xBB}, {Qt::Key_Plus, 0xBB},
    {Qt::Key_Comma, 0xBC}, {Qt::Key_Less, 0xBC}, {Qt::Key_Minus, 0xBD}, {Qt::Key_Underscore, 0xBD},
    {Qt::Key_Period, 0xBE}, {Qt::Key_Greater, 0xBE}, {Qt::Key_Slash, 0xBF}, {Qt::Key_Question, 0xBF},
    {Qt::Key_QuoteLeft, 0xC0}, {Qt::Key_AsciiTilde, 0xC0}, {Qt::Key_BracketLeft, 0xDB},
    {Qt::Key_BraceLeft, 0xDB}, {Qt::Key_Backslash, 0xDC}, {Qt::Key_Bar, 0xDC},
    {Qt::Key_BracketRight, 0xDD}, {Qt::Key_BraceRight, 0xDD}, {Qt::Key_Apostrophe, 0xDE},
    {Qt::Key_QuoteDbl, 0xDE},
};

// The numeric keypad: digits 0x60-0x69, then * + (separator) - . /
int KeypadKeyOf(int qtKey) {
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return 0x60 + (qtKey - Qt::Key_0);
  switch (qtKey) {
    case Qt::Key_Asterisk: return 0x6A;
    case Qt::Key_Plus: return 0x6B;
    case Qt::Key_Minus: return 0x6D;
    case Qt::Key_Period: case Qt::Key_Comma: return 0x6E;
    case Qt::Key_Slash: return 0x6F;
    default: return -1;
  }
}

}  // namespace

int VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::KeypadModifier) {
    int k = KeypadKeyOf(qtKey);
    if (k >= 0) return k;
  }
  if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)) return qtKey;
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 0x70 + (qtKey - Qt::Key_F1);
  for (const KeyRow& row : kKeys) {
    if (row.qtKey == qtKey) return row.virtualKey;
  }
  return 0;
}

int KeyStateOf(Qt::KeyboardModifiers m) {
  return (m & Qt::ControlModifier ? 1 : 0) | (m & Qt::ShiftModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

int GbkCharOf(const QString& text) {
  if (text.isEmpty()) return -1;
  std::string gbk = Utf8ToGbk(text.toStdString());
  if (gbk.size() == 1) return uint8_t(gbk[0]);
  // A character GBK cannot hold comes back as something else than one double-byte character.
  if (gbk.size() == 2 && uint8_t(gbk[0]) >= 0x81) return (uint8_t(gbk[0]) << 8) | uint8_t(gbk[1]);
  return -1;
}

QString TextOfGbkChar(int code) {
  if (code <= 0 || code > 0xFFFF) return {};
  std::string gbk;
  if (code >= 0x100) gbk.push_back(char(code >> 8));
  gbk.push_back(char(code & 0xFF));
  return QString::fromStdString(GbkToUtf8(gbk));
}

}  // namespace vorenn::platform
