#pragma once

#include <QString>
#include <Qt>
#include <cstdint>

// Key strokes typed by the program itself, for the on-screen keyboard. Keys
// are named by virtual-key code (the Windows numbering); they reach the
// control that has the keyboard focus in the program's active window, as if
// typed, while the window that sends them never takes the focus.
namespace vk {
inline constexpr int32_t BACK = 0x08;
inline constexpr int32_t RETURN = 0x0D;
inline constexpr int32_t SPACE = 0x20;
inline constexpr int32_t NUMPAD0 = 0x60;  // NUMPAD1 .. NUMPAD9 follow
inline constexpr int32_t SUBTRACT = 0x6D;
inline constexpr int32_t DECIMAL = 0x6E;
inline constexpr int32_t OEM_MINUS = 0xBD;
}  // namespace vk

// One key as the focused control sees it.
struct KeyStroke {
    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifiers modifiers;
    QString text;
};

// The stroke a virtual key gives: letters "A".."Z" (their own codes) type
// lower case, or upper case with shift; the numeric block types digits, "."
// and "-"; the minus key with shift types "_". Unknown codes give Key_unknown.
KeyStroke StrokeOfVirtualKey(int32_t virtual_key, bool with_shift);

// Types one key into the focused control: Shift down (when asked), the key
// down and up, Shift up. Queued behind the input already waiting. Nothing
// happens when no control of the program has the focus.
void SendKey(int32_t virtual_key, bool with_shift);
