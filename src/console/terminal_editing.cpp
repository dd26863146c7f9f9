#include "console/terminal_editing.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

namespace {

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// What the word-erase key takes: letters, digits and "_", Latin-1 letters
// among the bytes from 0xC0 (and so every lead byte of UTF-8) as well.
bool InWord(unsigned char c)
{
    return c == '_' || (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') ||
           (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

} // namespace

void TerminalEditing::Start(const termios& settings)
{
    settings_ = settings;
    show_ = nullptr;
    echoed_ = first_ = last_ = lineStart_ = 0;
    end_ = NoEnd;
    quoted_ = lineEnded_ = false;
}

bool TerminalEditing::Is(char c, int key) const
{
    return settings_.c_cc[key] != _POSIX_VDISABLE && static_cast<cc_t>(c) == settings_.c_cc[key];
}

void TerminalEditing::FlushEcho()
{
    if (show_ != nullptr && echoed_ > 0)
        show_(echo_, echoed_);
    echoed_ = 0;
}

void TerminalEditing::Echo(char c)
{
    if (show_ == nullptr)
        return;
    if (echoed_ == sizeof echo_)
        FlushEcho();
    echo_[echoed_++] = c;
}

// A control character (a tab aside) shows as ^ and a letter where asked.
void TerminalEditing::EchoShown(char c)
{
    if ((settings_.c_lflag & ECHOCTL) && IsControl(static_cast<unsigned char>(c)) && c != '\t') {
        Echo('^');
        c ^= 0x40;
    }
    Echo(c);
}

std::size_t TerminalEditing::Limit(bool unfinished) const
{
    std::size_t limit = unfinished ? last_ : lineStart_;
    return end_ == NoEnd ? limit : std::min(limit, end_);
}

// Room is kept for a line's end; without room the byte is dropped.
void TerminalEditing::Append(char c, bool endsLine)
{
    std::size_t needed = endsLine ? 1 : 2;
    if (Room - last_ < needed && first_ > 0) {
        std::memmove(text_, text_ + first_, last_ - first_);
        last_ -= first_;
        lineStart_ = lineStart_ > first_ ? lineStart_ - first_ : 0;
        if (end_ != NoEnd)
            end_ -= std::min(end_, first_);
        first_ = 0;
    }
    if (Room - last_ >= needed)
        text_[last_++] = c;
    if (endsLine) {
        lineStart_ = last_;
        lineEnded_ = true;
    }
}

void TerminalEditing::Keep(char c) { Append(c, false); }

// Takes back the last character, word or the whole line.
void TerminalEditing::Erase(int key)
{
    if (last_ == lineStart_)
        return;
    bool echo = On(ECHO);
    if (key == VKILL && !(On(ECHOK) && On(ECHOKE) && On(ECHOE))) {
        last_ = lineStart_;
        if (echo) {
            EchoShown(static_cast<char>(settings_.c_cc[VKILL]));
            if (On(ECHOK))
                Echo('\n');
        }
        return;
    }
    bool utf8 = (settings_.c_iflag & IUTF8) != 0;
    auto continuation = [utf8](char c) { return utf8 && (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    bool seenWord = false;
    while (last_ > lineStart_) {
        std::size_t start = last_ - 1;
        while (start > lineStart_ && continuation(text_[start]))
            --start;
        if (continuation(text_[start]))
            break;  // never half a character
        auto c = static_cast<unsigned char>(text_[start]);
        if (key == VWERASE && InWord(c))
            seenWord = true;
        else if (key == VWERASE && seenWord)
            break;
        last_ = start;
        if (echo && key == VERASE && !On(ECHOE)) {
            EchoShown(static_cast<char>(settings_.c_cc[VERASE]));
        } else if (echo) {
            // Back over what the character showed as: one column, two for ^ and a letter.
            int columns = !IsControl(c) || c == '\t' ? 1 : On(ECHOCTL) ? 2 : 0;
            for (int i = 0; i < columns; ++i)
                for (char b : {'\b', ' ', '\b'})
                    Echo(b);
        }
        if (key == VERASE)
            break;
    }
}

void TerminalEditing::Type(char c)
{
    bool echo = On(ECHO);
    if (!On(ICANON) || quoted_) {
        quoted_ = false;
        Append(c, !On(ICANON));
        if (echo && c == '\n' && !On(ICANON))
            Echo(c);
        else if (echo)
            EchoShown(c);
        return;
    }
    bool extended = On(IEXTEN);
    if (Is(c, VERASE) || Is(c, VKILL) || (extended && Is(c, VWERASE))) {
        Erase(Is(c, VERASE) ? VERASE : Is(c, VKILL) ? VKILL : VWERASE);
    } else if (extended && Is(c, VLNEXT)) {
        quoted_ = true;
        if (echo && On(ECHOCTL)) {
            Echo('^');
            Echo('\b');
        }
    } else if (extended && echo && Is(c, VREPRINT)) {
        EchoShown(c);
        Echo('\n');
        for (std::size_t i = lineStart_; i < last_; ++i)
            EchoShown(text_[i]);
    } else if (c == '\n') {
        Append(c, true);
        if (echo || On(ECHONL))
            Echo(c);
    } else if (Is(c, VEOF)) {
        // At the start of a line it ends the input; elsewhere it ends the line without a line end.
        if (last_ == lineStart_ && end_ == NoEnd)
            end_ = last_;
        lineStart_ = last_;
        lineEnded_ = true;
    } else {
        bool endsLine = Is(c, VEOL) || (extended && Is(c, VEOL2));
        Append(c, endsLine);
        if (echo)
            EchoShown(c);
    }
}

void TerminalEditing::EchoHeld()
{
    for (std::size_t i = first_; i < last_; ++i) {
        if (text_[i] == '\n' && (On(ECHO) || On(ECHONL)))
            Echo('\n');
        else if (text_[i] != '\n' && On(ECHO))
            EchoShown(text_[i]);
    }
}

std::size_t TerminalEditing::Take(char* raw, std::size_t size, bool unfinished)
{
    if (first_ == end_) {
        // Nothing reads on after the end of the input.
        Start(settings_);
        return 0;
    }
    std::size_t limit = Limit(unfinished);
    std::size_t take = first_ < limit ? std::min(size, limit - first_) : 0;
    std::memcpy(raw, text_ + first_, take);
    first_ += take;
    if (first_ == last_ && end_ == NoEnd)
        first_ = last_ = lineStart_ = 0;
    return take;
}
