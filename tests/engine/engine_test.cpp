// The engine held to the game's own rules and to plain exhaustive search.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <random>
#include <string_view>
#include <vector>

#include "engine/engine.h"
#include "engine/movegen.h"
#include "engine/score.h"
#include "engine/stability.h"
#include "engine/symmetry.h"
#include "game/board.h"

namespace {

using engine::Bitboard;
using engine::CellOfSquare;
using engine::LegalMoves;
using engine::MaxLevel;
using engine::Pass;
using engine::Play;
using engine::Position;
using engine::SquareOfCell;

// Every level's moves, as a set of squares, and its estimate.
struct Choice {
    std::vector<int> moves;
    int discs;
};
Choice Analyse(engine::Engine& search, const Position& p, int level)
{
    int moves[64], discs = 99;
    int n = search.Analyse(p, level, moves, discs);
    return {std::vector<int>(moves, moves + n), discs};
}

// The game's state as the engine sees it.
Position FromGame()
{
    Position p{0, 0};
    for (int s = 0; s < 64; ++s) {
        CellIndex cell = static_cast<CellIndex>(CellOfSquare(s));
        if (Board[cell] == SideToMove)
            p.own |= Bitboard{1} << s;
        else if (Board[cell] == Opponent)
            p.opp |= Bitboard{1} << s;
    }
    return p;
}

std::vector<CellIndex> GameMoves()
{
    std::vector<CellIndex> cells;
    for (int cell = FirstPlayingCell; cell <= LastPlayingCell; ++cell)
        if (IsLegalMove(static_cast<CellIndex>(cell)))
            cells.push_back(static_cast<CellIndex>(cell));
    return cells;
}

void SwapSides()
{
    SwapColour(SideToMove);
    SwapColour(Opponent);
}

struct GameState {
    std::uint8_t board[BoardSize];
    std::int32_t counts[4];
    Colour toMove, opponent;
};

GameState Save()
{
    GameState s;
    std::memcpy(s.board, Board, sizeof Board);
    std::memcpy(s.counts, DiscCount, sizeof DiscCount);
    s.toMove = SideToMove;
    s.opponent = Opponent;
    return s;
}

void Restore(const GameState& s)
{
    std::memcpy(Board, s.board, sizeof Board);
    std::memcpy(DiscCount, s.counts, sizeof DiscCount);
    SideToMove = s.toMove;
    Opponent = s.opponent;
}

// Perft by the game's own cell-by-cell rules.
std::uint64_t GamePerft(int depth)
{
    if (depth == 0)
        return 1;
    std::vector<CellIndex> moves = GameMoves();
    GameState before = Save();
    std::uint64_t leaves = 0;
    if (moves.empty()) {
        SwapSides();
        leaves = GameMoves().empty() ? 1 : GamePerft(depth - 1);
    }
    for (CellIndex cell : moves) {
        PlaceDisc(cell);
        SwapSides();
        leaves += GamePerft(depth - 1);
        Restore(before);
    }
    Restore(before);
    return leaves;
}

// Plays n random moves (or passes) in the game; false if it ended first.
bool RandomPlies(std::mt19937& rng, int n)
{
    for (int i = 0; i < n; ++i) {
        std::vector<CellIndex> moves = GameMoves();
        if (moves.empty()) {
            SwapSides();
            if (GameMoves().empty())
                return false;
            continue;
        }
        PlaceDisc(moves[rng() % moves.size()]);
        SwapSides();
    }
    return true;
}

// Exact value without any pruning.
int Minimax(const Position& p)
{
    Bitboard moves = LegalMoves(p);
    if (!moves) {
        if (!LegalMoves(Pass(p)))
            return std::popcount(p.own) - std::popcount(p.opp);
        return -Minimax(Pass(p));
    }
    int best = -64;
    for (; moves; moves &= moves - 1)
        best = std::max(best, -Minimax(Play(p, std::countr_zero(moves))));
    return best;
}

// Random positions with the side to move able to move, empties in [lo, hi].
std::vector<Position> EndgamePositions(unsigned seed, int count, int lo, int hi)
{
    std::mt19937 rng(seed);
    std::vector<Position> out;
    while (static_cast<int>(out.size()) < count) {
        InitBoard();
        int empties = lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1));
        if (RandomPlies(rng, 60 - empties) && !GameMoves().empty())
            out.push_back(FromGame());
    }
    return out;
}

} // namespace

TEST(Engine, PerftMatchesTheGamesRules)
{
    InitBoard();
    Position start = FromGame();
    for (int depth = 1; depth <= 6; ++depth)
        EXPECT_EQ(engine::Perft(start, depth), GamePerft(depth)) << "from the start, depth " << depth;

    // Late positions, where passes and early ends happen.
    std::mt19937 rng(11);
    for (int i = 0; i < 40; ++i) {
        InitBoard();
        RandomPlies(rng, 46 + i % 8);
        EXPECT_EQ(engine::Perft(FromGame(), 5), GamePerft(5)) << "late position " << i;
    }
}

TEST(Engine, MovesAndFlipsFollowTheGamesRules)
{
    std::mt19937 rng(5);
    for (int game = 0; game < 60; ++game) {
        InitBoard();
        for (;;) {
            Position p = FromGame();
            std::vector<CellIndex> moves = GameMoves();
            Bitboard expected = 0;
            for (CellIndex cell : moves)
                expected |= Bitboard{1} << SquareOfCell(cell);
            ASSERT_EQ(LegalMoves(p), expected);
            GameState before = Save();
            for (CellIndex cell : moves) {
                Position next = Play(p, SquareOfCell(cell));
                PlaceDisc(cell);
                SwapSides();
                ASSERT_EQ(next.own, FromGame().own);
                ASSERT_EQ(next.opp, FromGame().opp);
                Restore(before);
            }
            if (!RandomPlies(rng, 1))
                break;
        }
    }
}

// The searches take each next move as they need it; the order must be
// the sort's, equal keys in list order, or the node counts would drift.
TEST(Engine, PickingMovesOneByOneKeepsTheSortsOrder)
{
    std::mt19937 rng(9);
    for (int n : {1, 2, 7, 20, engine::MaxMoves}) {
        for (int trial = 0; trial < 50; ++trial) {
            engine::CandidateList picked, sorted;
            for (int i = 0; i < n; ++i)
                picked[i] = sorted[i] = {0, 0, i, static_cast<int>(rng() % 5) - 2};
            engine::SortByKey(sorted, n);
            for (int k = 0; k < n; ++k) {
                engine::PickLowest(picked, k, n);
                ASSERT_EQ(picked[k].square, sorted[k].square) << n << " moves, pick " << k;
            }
        }
    }
}

TEST(Engine, SolveMatchesExhaustiveSearch)
{
    engine::Engine search;
    for (const Position& p : EndgamePositions(3, 60, 1, 10)) {
        int best = -2;
        int value = search.Solve(p, &best);
        ASSERT_EQ(value, Minimax(p));
        ASSERT_TRUE(LegalMoves(p) >> best & 1);
        ASSERT_EQ(-Minimax(Play(p, best)), value);
    }
    Position noMoves{0xFFFFFFFFFFFFFFFEull, 0};  // one empty corner, nobody can move
    int best = 0;
    EXPECT_EQ(search.Solve(noMoves, &best), 63);
    EXPECT_EQ(best, -1);
}

// Where every line ends within the search, the levels' search counts the
// margin in hundredths of a disc, and the trainer's labels a win or loss
// beyond any estimate, as the shipped weights were fitted to.
TEST(Engine, FinishedGamesAreScoredAsEachSearchCountsThem)
{
    engine::Engine search;
    for (const Position& p : EndgamePositions(5, 20, 1, 2)) {
        int margin = Minimax(p);
        EXPECT_EQ(search.Score(p, 4, engine::Style::Patterns), 100 * margin);
        EXPECT_EQ(search.Score(p, 4, engine::Style::Labels), engine::FinalScore(margin));
    }
}

TEST(Engine, BestMovesAreExactlyTheEqualBestWithinExactRange)
{
    engine::Engine search;
    for (const Position& p : EndgamePositions(9, 30, 2, 8)) {
        std::vector<int> expected;
        int bestValue = -65;
        for (Bitboard m = LegalMoves(p); m; m &= m - 1) {
            int square = std::countr_zero(m);
            int value = -Minimax(Play(p, square));
            if (value > bestValue)
                expected.clear(), bestValue = value;
            if (value == bestValue)
                expected.push_back(square);
        }
        for (int level = 2; level <= MaxLevel; ++level)
            EXPECT_EQ(Analyse(search, p, level).moves, expected) << "level " << level;
    }
}

// Cells as --solve lines give them, X to move.
Position FromCells(std::string_view cells)
{
    Position p{0, 0};
    for (int s = 0; s < 64; ++s) {
        char c = cells[static_cast<std::size_t>(s)];
        if (c == 'X')
            p.own |= Bitboard{1} << s;
        else if (c == 'O')
            p.opp |= Bitboard{1} << s;
    }
    return p;
}

// Legal moves, ascending, at every level; one position has 34 moves, more
// than any game reaches.
TEST(Engine, EveryLevelAnswersWithLegalMovesInOrder)
{
    engine::Engine search;
    std::vector<Position> positions = EndgamePositions(4, 6, 24, 50);
    positions.push_back(FromCells("-OXXO---XOOO--OX-----XO---X--OX-XO-O--O--XXX-XO--OOOOXO---------"));
    ASSERT_EQ(std::popcount(LegalMoves(positions.back())), 34);
    for (const Position& p : positions) {
        for (int level = 1; level <= MaxLevel; ++level) {
            std::vector<int> moves = Analyse(search, p, level).moves;
            ASSERT_GE(moves.size(), 1u);
            for (std::size_t i = 0; i < moves.size(); ++i) {
                EXPECT_TRUE(LegalMoves(p) >> moves[i] & 1);
                EXPECT_TRUE(i == 0 || moves[i - 1] < moves[i]);
            }
        }
    }
}

TEST(Engine, StableDiscsNeverTurn)
{
    std::mt19937 rng(8);
    for (Position p : EndgamePositions(12, 300, 4, 40)) {
        Bitboard stable[2] = {engine::StableDiscs(p.own, p.opp), engine::StableDiscs(p.opp, p.own)};
        for (int side = 0;; side ^= 1) {  // side 0 is the first position's side to move
            ASSERT_EQ(stable[side] & ~p.own, 0u);
            ASSERT_EQ(stable[side ^ 1] & ~p.opp, 0u);
            Bitboard moves = LegalMoves(p);
            if (!moves && !LegalMoves(Pass(p)))
                break;
            for (int k = moves ? static_cast<int>(rng() % static_cast<unsigned>(std::popcount(moves))) : 0; k > 0; --k)
                moves &= moves - 1;
            p = moves ? Play(p, std::countr_zero(moves)) : Pass(p);
        }
    }
}

// Near the end a disc is often held by its four full lines alone, with no
// corner or full border anywhere; in a window that asks whether a side
// keeps any disc, finding it spares the whole proof.
TEST(Engine, StableDiscsHeldByFullLinesAlone)
{
    struct Case {
        std::string_view cells;
        Bitboard stable;
    };
    const Case cases[] = {
        // X on 27, every line through it full; square 1 empty.
        {"O-OOOOOOOOOOOOOOOOOOOOOOOOOXOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOO", Bitboard{1} << 27},
        // The same with the corner on its falling diagonal empty instead.
        {"-OOOOOOOOOOOOOOOOOOOOOOOOOOXOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOOO", 0},
    };
    for (const Case& c : cases) {
        Position p = FromCells(c.cells);
        EXPECT_EQ(engine::StableDiscs(p.own, p.opp), c.stable) << c.cells;
    }
    // A lopsided game where proving the winner cannot take the last disc
    // took 112 M positions before such discs were counted, 5.4 M after.
    engine::Engine search;
    Position g = FromCells("--------O--OO---OOOOOOOOOOOXXOO-XOXXOOO-XXXXO---XXXOOOOOXXXXXX--");
    EXPECT_EQ(search.SolveBetween(g, 62, 63), 62);
    EXPECT_LT(search.Nodes(), 20'000'000u);
}

// Where every move ends the game, every level's estimate is its margin:
// positions with one empty square, and a move that takes every disc.
TEST(Engine, EveryLevelScoresAGameItsMoveEndsExactly)
{
    engine::Engine search;
    std::vector<Position> positions = EndgamePositions(13, 40, 1, 1);
    std::erase_if(positions, [](const Position& p) { return std::popcount(~(p.own | p.opp)) != 1; });  // passes leave more
    Bitboard x = Bitboard{1} << SquareOfCell(44), o = Bitboard{1} << SquareOfCell(45) | Bitboard{1} << SquareOfCell(46);
    positions.push_back({x, o});  // 47 takes both white discs with 61 squares empty
    for (const Position& p : positions) {
        for (int level = 1; level <= MaxLevel; ++level)
            EXPECT_EQ(Analyse(search, p, level).discs, Minimax(p)) << "level " << level;
    }
}

// Positions symmetric under each of the board's symmetries: the moves a
// level rates best map onto each other under every one of them.
TEST(Engine, MovesThatMirrorEachOtherAreEqualAtEveryLevel)
{
    engine::Engine search;
    std::mt19937 rng(17);
    int checked = 0;
    for (const Position& seed : EndgamePositions(19, 14, 40, 54)) {
        unsigned k = 1 + rng() % 7;
        Position p = seed;
        for (int turn = 0; turn < 4; ++turn) {  // closed under k's powers
            p.own |= engine::Image(p.own, static_cast<int>(k));
            p.opp |= engine::Image(p.opp, static_cast<int>(k));
        }
        Bitboard both = p.own & p.opp;
        p = {p.own & ~both, p.opp & ~both};
        unsigned symmetries = engine::Symmetries(p.own, p.opp);
        if (symmetries == 1 || !LegalMoves(p))
            continue;
        ++checked;
        for (int level = 1; level <= MaxLevel; ++level) {
            Bitboard chosen = 0;
            for (int square : Analyse(search, p, level).moves)
                chosen |= Bitboard{1} << square;
            for (int s = 1; s < 8; ++s) {
                if (symmetries >> s & 1) {
                    EXPECT_EQ(engine::Image(chosen, s), chosen) << "level " << level << ", symmetry " << s;
                }
            }
        }
    }
    EXPECT_GE(checked, 8);
}

// The progress report is each search's own: a middle-game search after an
// exact one shows its depth, the whole value range and only its own
// positions, not the solve's.
TEST(Engine, StatusStartsAfreshForEachSearch)
{
    engine::Engine search;
    Position solved = FromCells("-XXXXXX---XOOX--XXXXOOXXOOOOXOX--OOXOXX--OOOXXX---OXOO---OOOOO--");
    int value = search.Solve(solved, nullptr);
    engine::SearchStatus exact = search.Status();
    EXPECT_EQ(exact.depth, 0);
    EXPECT_EQ(exact.lower, value);
    EXPECT_EQ(exact.upper, value);
    EXPECT_GT(exact.nodes, 0u);

    Position middle = FromCells("--XXXX---XXOOX-XOXXOOOXXOOXXOOOXO-------------------------------");
    std::uint64_t before = search.Nodes();
    int moves[64], discs;
    search.Analyse(middle, 5, moves, discs);
    engine::SearchStatus estimate = search.Status();
    EXPECT_GT(estimate.depth, 0);
    EXPECT_EQ(estimate.lower, -64);
    EXPECT_EQ(estimate.upper, 64);
    EXPECT_LE(estimate.nodes, search.Nodes() - before);  // reported every so many
}

// A solve searches as if it were the engine's first: the exact pass of a
// deep solve orders its moves differently, and a smaller solve after it
// must not go on doing so.
TEST(Engine, ASolveSearchesAsIfItWereTheFirst)
{
    engine::Options options;
    options.threads = 1;
    options.deepEmpties = 12;  // deep from the selective empties, 16
    Position deep = EndgamePositions(21, 1, 16, 16).front();  // the least table a solve takes
    for (const Position& p : EndgamePositions(22, 3, 14, 15)) {
        engine::Engine fresh(options), after(options);
        fresh.Solve(p, nullptr);
        after.Solve(deep, nullptr);
        std::uint64_t before = after.Nodes();
        after.Solve(p, nullptr);
        EXPECT_EQ(after.Nodes() - before, fresh.Nodes());
    }
}

// A lopsided position, where the selective search cuts nothing: the
// level's node cap bounds the move, and the cap is the level's own.
TEST(Engine, AMiddleGameMoveStopsAtItsLevelsNodeCap)
{
    engine::Engine search;
    Position lopsided = FromCells("--------------O-----OOOX---OOOXX--OOXOXX---OOOOX---O-O-O-----XXX");
    int moves[64], discs;
    const std::uint64_t caps[] = {20'000, 60'000};
    std::uint64_t spent[2];
    for (int i = 0; i < 2; ++i) {
        engine::Level level = engine::GameLevel(MaxLevel);
        level.nodeCap = caps[i];
        std::uint64_t before = search.Nodes();
        ASSERT_GT(search.Analyse(lopsided, level, moves, discs), 0);
        spent[i] = search.Nodes() - before;
        EXPECT_LE(spent[i], caps[i]);
    }
    EXPECT_GT(spent[1], spent[0]);
}
