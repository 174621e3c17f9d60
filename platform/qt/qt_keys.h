// Keys and characters as the game logic knows them: Windows virtual-key numbers for Qt's keys, and
// characters as GBK codes (one byte, or a double-byte character as (lead << 8) | trail).
#pragma once

#include <Qt>
#include <QString>

namespace vorenn::platform {

// The virtual-key number of a Qt key on a US layout; shifted symbols give the key they are on
// ('!' gives '1'), keypad keys give the numeric-keypad numbers. 0 for keys without one.
int VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers);

// Ctrl 1, Shift 2, Alt 4.
int KeyStateOf(Qt::KeyboardModifiers modifiers);

// The GBK code of one character, or -1 when the text is not exactly one character GBK can hold.
int GbkCharOf(const QString& text);

// The text of a GBK character code; empty when the code is not a character.
QString TextOfGbkChar(int code);

}  // namespace vorenn::platform
