#include "game/game_loop.h"

#include "console/input.h"
#include "console/random.h"
#include "game/board.h"
#include "game/draw.h"
#include "game/players.h"
#include "game/statements.h"
#include "game/texts.h"

std::string ReplayAnswer;
std::int32_t StartSeed = -1;

namespace {

void WriteResult()
{
    if (DiscCount[Black] == DiscCount[White])
        WriteText(ConsoleOutput, DrawResult, 0);
    else if (DiscCount[White] < DiscCount[Black])
        WriteText(ConsoleOutput, BlackWins, 0);
    else
        WriteText(ConsoleOutput, WhiteWins, 0);
    EndLine();
}

bool GameOver(int passes)
{
    return passes >= 2 || DiscCount[Black] == 0 || DiscCount[White] == 0 ||
           DiscCount[Black] + DiscCount[White] == 64;
}

} // namespace

void RunProgram()
{
    PrepareComputerPlayer();
    if (StartSeed < 0)
        SeedFromClock();
    else
        RandomSeed = static_cast<std::uint32_t>(StartSeed);
    do {
        if (!ChoosePlayers())
            return;
        PlayGame();
        EndLine();
        WriteText(ConsoleOutput, PlayAgainPrompt, 0);
        EndStatement();
        ReadLineText(ConsoleInput, ReplayAnswer);
        SkipLine(ConsoleInput);
        CheckStreamResult();
    } while (!TextEquals(ReplayAnswer, "n"));
}

bool ChoosePlayers()
{
    WriteText(ConsoleOutput, PlayerQuestion, 0);
    EndLine();
    for (Colour colour : {Colour{Black}, Colour{White}}) {
        for (;;) {
            WriteText(ConsoleOutput, colour == Black ? BlackGlyph : WhiteGlyph, 0);
            EndStatement();
            WriteText(ConsoleOutput, KindPrompt, 0);
            EndStatement();
            std::uint8_t kind = ReadCharacter(ConsoleInput);
            SkipLine(ConsoleInput);
            CheckStreamResult();
            if (kind == EndMarker)
                return false;
            PlayerKind[colour] = UpperCaseLetter(kind);
            if (PlayerKind[colour] == 'M' || PlayerKind[colour] == 'C')
                break;
        }
    }
    return true;
}

void PlayGame()
{
    InitBoard();
    DrawBoard();
    int passes = 0;
    do {
        if (HasNoLegalMove()) {
            WriteText(ConsoleOutput, PassMessage, 0);
            EndLine();
            ++passes;
        } else {
            TakeTurn();
            if (QuitRequested)
                return;
            passes = 0;
        }
        SwapColour(SideToMove);
        SwapColour(Opponent);
        DrawBoard();
    } while (!GameOver(passes));
    WriteResult();
}
