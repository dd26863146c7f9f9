// While the terminal's own line editing and echo are off, TerminalEditing
// does them in their place, as the terminal would have with its settings:
// the erase, word-erase, kill, literal-next and reprint keys, the line
// ends and the end-of-input key, and what the echo shows for each. Only an
// erased tab is backed over by one column, where the terminal knows where
// the line began on the screen.
//
// Typed lines are held until read; what is read is what a read of the
// terminal would have given. Nothing here allocates.
#pragma once

#include <cstddef>
#include <termios.h>

class TerminalEditing {
public:
    using Show = void (*)(const char* bytes, std::size_t size);
    // Bytes held at most, the line's end included; more of a line is dropped.
    static constexpr std::size_t Room = 4096;

    // Starts afresh for a terminal with these settings, showing nothing yet.
    void Start(const termios& settings);
    // From now on the echo goes to show, at the latest by FlushEcho.
    void EchoTo(Show show) { show_ = show; }
    void FlushEcho();

    // A byte the terminal's own editing had taken already.
    void Keep(char c);
    // A typed byte, edited and echoed.
    void Type(char c);
    // Echoes everything held, as typing it would have shown it.
    void EchoHeld();

    // Whether a line, or the input, has ended since Start.
    bool LineEnded() const { return lineEnded_; }
    // Whether part of a line is held that more keys are still to finish.
    bool Unfinished() const { return last_ > lineStart_ || quoted_; }
    // Whether a read would get something: whole lines only, or all held
    // bytes when unfinished lines count too.
    bool Holds(bool unfinished) const { return end_ != NoEnd || first_ < Limit(unfinished); }
    // Up to size bytes as Holds says; 0 once where the end-of-input key
    // ended the input, after which nothing is held.
    std::size_t Take(char* raw, std::size_t size, bool unfinished);

private:
    static constexpr std::size_t NoEnd = Room + 1;

    bool Is(char c, int key) const;
    bool On(tcflag_t flag) const { return (settings_.c_lflag & flag) != 0; }
    std::size_t Limit(bool unfinished) const;
    void Append(char c, bool endsLine);
    void Erase(int key);
    void Echo(char c);
    void EchoShown(char c);

    termios settings_{};
    Show show_ = nullptr;
    char echo_[256];
    std::size_t echoed_ = 0;

    // text_ holds from first_ (the next byte read) to last_; the line being
    // typed starts at lineStart_; an end-of-input key ended it at end_.
    char text_[Room];
    std::size_t first_ = 0, last_ = 0, lineStart_ = 0, end_ = NoEnd;
    bool quoted_ = false, lineEnded_ = false;
};
