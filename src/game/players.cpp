#include "game/players.h"

#include "console/exceptions.h"
#include "console/input.h"
#include "console/random.h"
#include "engine/engine.h"
#include "game/legal_moves.h"
#include "game/statements.h"
#include "game/texts.h"

std::uint8_t PlayerKind[4];
bool QuitRequested;
int ComputerLevel = 0;

namespace {

// Of the moves the search rates equally best, one chosen by the game's
// own random source, so that games still vary with the seed.
CellIndex SearchedMove()
{
    Position position;
    SplitCells(position.own, position.opp);
    int moves[64];
    int count = BestMoves(position, ComputerLevel, moves);
    return static_cast<CellIndex>(CellOfSquare(moves[RandomBelow(count)]));
}

} // namespace

void PrepareComputerPlayer()
{
    if (ComputerLevel > 0 && !InitSearch())
        RaiseOutOfMemory();
}

CellIndex AskHumanMove()
{
    for (;;) {
        WriteText(ConsoleOutput, MovePrompt, 0);
        EndStatement();
        std::int32_t move = ReadNumber(ConsoleInput);
        SkipLine(ConsoleInput);
        CheckStreamResult();
        if (move >= 0 && move <= 99)
            return static_cast<CellIndex>(move);
    }
}

CellIndex ChooseComputerMove()
{
    CellIndex move;
    if (ComputerLevel == 0) {
        CollectLegalMoves();
        move = MoveList[RandomBelow(MoveListCount) + 1];
    } else {
        move = SearchedMove();
    }
    WriteNumber(ConsoleOutput, move, 0);
    WriteText(ConsoleOutput, ComputerPlaces, 0);
    EndLine();
    return move;
}

void TakeTurn()
{
    CellIndex move;
    do
        move = PlayerKind[SideToMove] == 'M' ? AskHumanMove() : ChooseComputerMove();
    while (move != 0 && !IsLegalMove(move));
    QuitRequested = move == 0;
    if (move != 0)
        PlaceDisc(move);
}
