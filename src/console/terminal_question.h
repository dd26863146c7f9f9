// At start the game asks the terminal how wide it draws a glyph whose width
// depends on the terminal. The question needs echo and line editing off,
// which must not show: whatever ends or stops the process then gives the
// terminal its settings back and wipes the glyph first, and what the player
// types meanwhile keeps the meaning and the echo the terminal's line
// editing would have given it. An answer that comes after the wait (over a
// slow link) must neither show nor be read as typed, so the terminal's own
// editing stays off until it has come, or until the player's first line is
// complete. The answer, and what was typed, come back through the calls
// below.
#pragma once

#include <cstddef>

// Draws glyph (in the terminal's character set) at the start of the line,
// asks the terminal where the cursor went and wipes the line again; true
// when the glyph took two columns. No answer in half a second, no terminal
// on both standard input and output, and lines or an end of input typed
// before the question all count as one column. Writes go through show.
bool AskDrawnWide(const char* glyph, std::size_t size, void (*show)(const char* bytes, std::size_t size));

// Whether keys typed around the question wait to be read; while the
// terminal's own editing is still off, waits for a line to be typed.
bool AwaitTyped();
// Up to size typed bytes, after the terminal's line editing; 0 once where
// the terminal's end-of-input character ended the input.
std::size_t TakeTyped(char* raw, std::size_t size);
// Gives the terminal its settings back if the question still has them (at exit).
void GiveTerminalBack();
