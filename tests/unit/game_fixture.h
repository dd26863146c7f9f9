// Shared helpers for the game's tests: a clean process per test, the
// program's texts spelt out as CP932 bytes, positions from pictures, and
// a whole run of the program in-process.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

#include "console/process.h"
#include "fake_platform.h"
#include "game/board.h"
#include "game/game_loop.h"
#include "game/players.h"

// "82 C7 41" -> the bytes 0x82 0xC7 0x41.
inline std::string Hex(std::string_view pairs)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 3)
        bytes += static_cast<char>(std::stoi(std::string(pairs.substr(i, 2)), nullptr, 16));
    return bytes;
}

// What the program must write, byte for byte.
namespace cp932 {
inline const std::string BlackMark = Hex("81 9C");
inline const std::string WhiteMark = Hex("81 9B");
inline const std::string MovePrompt = Hex("82 C7 82 B1 82 C9 92 75 82 AB 82 DC 82 B7 82 A9") + " [nn] ? ";
inline const std::string Places = Hex("20 82 C9 92 75 82 AB 82 DC 82 B7");
inline const std::string Question =
    Hex("83 76 83 8C 83 43 82 B7 82 E9 82 CC 82 CD 90 6C 28 4D 29 82 C5 82 B7 82 A9 83 52 83 93 83 73 "
        "83 85 81 5B 83 5E 28 43 29 82 C5 82 B7 82 A9");
inline const std::string KindPrompt = Hex("82 CD 82 C7 82 C1 82 BF 20 5B 4D 2F 43 5D 20 3F 20");
inline const std::string Pass = Hex("82 C7 82 B1 82 C9 82 E0 92 75 82 AF 82 DC 82 B9 82 F1");
inline const std::string Draw = Hex("88 F8 82 AB 95 AA 82 AF");
inline const std::string BlackWins = Hex("81 9C 82 CC 8F 9F 82 BF");
inline const std::string WhiteWins = Hex("81 9B 82 CC 8F 9F 82 BF");
inline const std::string PlayAgain = Hex("82 E0 82 A4 82 50 93 78 82 B5 82 DC 82 B7 82 A9 20 5B 79 2F 6E 5D 20 3F 20");
} // namespace cp932

class GameTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetAll();
        std::memset(Board, 0, sizeof Board);
        std::memset(DiscCount, 0, sizeof DiscCount);
        std::memset(PlayerKind, 0, sizeof PlayerKind);
        SideToMove = Opponent = 0;
        MoveListCount = 0;
        QuitRequested = false;
        ReplayAnswer.clear();
    }
};

inline int CountCells(std::uint8_t code)
{
    int n = 0;
    for (std::uint8_t cell : Board)
        n += cell == code;
    return n;
}

inline bool BorderIntact()
{
    for (int i = 0; i < BoardSize; ++i) {
        bool ring = i < 10 || i >= 90 || i % 10 == 0 || i % 10 == 9;
        if (ring != (Board[i] == Border))
            return false;
    }
    return true;
}

// Eight rows of the field, '.' empty, 'X' Black, 'O' White; the counts
// follow the picture.
inline void SetField(std::initializer_list<std::string_view> rows, Colour toMove = Black)
{
    InitBoard();
    int row = 1;
    for (std::string_view r : rows) {
        for (int column = 1; column <= 8; ++column)
            Board[10 * row + column] = r[column - 1] == 'X' ? Black : r[column - 1] == 'O' ? White : Empty;
        ++row;
    }
    DiscCount[Black] = CountCells(Black);
    DiscCount[White] = CountCells(White);
    SideToMove = toMove;
    Opponent = toMove == Black ? White : Black;
}

inline std::size_t Occurrences(const std::string& haystack, const std::string& needle)
{
    std::size_t n = 0;
    for (std::size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1))
        ++n;
    return n;
}

// The whole program on the scripted input; its exit status.
inline UINT RunMain(const std::string& input)
{
    ScriptInput({input});
    try {
        RunProcess(RunProgram);
    } catch (const FakeExit& exit) {
        return exit.status;
    }
    ADD_FAILURE() << "the process did not end";
    return 99;
}
