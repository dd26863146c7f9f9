#include "game/players.h"

#include <new>

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
engine::Options ComputerSearch;

namespace {

engine::Engine* Computer = nullptr;

// Of the moves the search rates equally best, one chosen by the game's
// own random source, so that games still vary with the seed.
CellIndex SearchedMove()
{
    engine::Position position;
    SplitCells(position.own, position.opp);
    int moves[64], discs;
    int count = Computer->Analyse(position, ComputerLevel, moves, discs);
    return static_cast<CellIndex>(engine::CellOfSquare(moves[RandomBelow(count)]));
}

} // namespace

void PrepareComputerPlayer()
{
    if (ComputerLevel == 0 || Computer)
        return;
    try {
        Computer = new engine::Engine(ComputerSearch);
    } catch (const std::bad_alloc&) {
        RaiseOutOfMemory();
    }
    if (!Computer->Ready()) {
        delete Computer;
        Computer = nullptr;
        RaiseOutOfMemory();
    }
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
