#include "game/players.h"

#include "console/input.h"
#include "console/random.h"
#include "game/statements.h"
#include "game/texts.h"

std::uint8_t PlayerKind[4];
bool QuitRequested;

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
    CollectLegalMoves();
    CellIndex move = MoveList[RandomBelow(MoveListCount) + 1];
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
