// The computer opponent's engine: bit-board positions, move generation,
// the levels' search and exact endgame solving. It knows nothing of the
// console or of the game's own board; callers convert.
//
// Squares are the 64 playing cells row by row, as the game's move masks
// have them: square 0 is cell 11, square 63 is cell 88, and square s is
// cell 10 * (s / 8 + 1) + s % 8 + 1.
#pragma once

#include <cstdint>
#include <memory>

namespace engine {

using Bitboard = std::uint64_t;

// A position from the side to move's point of view.
struct Position {
    Bitboard own;  // discs of the side to move
    Bitboard opp;  // discs of the other side
};

constexpr int SquareOfCell(int cell) { return (cell / 10 - 1) * 8 + cell % 10 - 1; }
constexpr int CellOfSquare(int square) { return (square / 8 + 1) * 10 + square % 8 + 1; }

// Every legal move of the side to move, one bit per square.
Bitboard LegalMoves(const Position& p);
// Plays a legal square for the side to move and hands the turn over.
Position Play(const Position& p, int square);
// Hands the turn over without a move.
inline Position Pass(const Position& p) { return {p.opp, p.own}; }

// Leaves at depth plies: a ply is a move, or a pass when only the
// opponent can move; a game that ends earlier is one leaf where it ends.
std::uint64_t Perft(const Position& p, int depth);

inline constexpr int MaxLevel = 7;
inline constexpr int DefaultTableMegabytes = 128;

// How a level searches: over the hand-made evaluation or the learned one,
// and with the learned one whether it cuts selectively. Labels is the
// learned one with finished games scored beyond any estimate, as the
// trainer's labels count them.
enum class Style { Hand, Patterns, Selective, Labels };

// Plies of middle-game search, the number of empty squares from which a
// level plays exactly, and how it searches. Variety: the game's levels
// treat moves that the position's symmetries map onto each other as one,
// and take any of the first moves within a margin of the best. From
// sureFrom empty squares down to exactFrom a level plays by the exact
// solver's selective passes instead, up to those whose cuts hold percent
// of the time. A middle-game move that has cost nodeCap positions gives
// up the ply under way and keeps the last finished one: that bounds the
// slowest move.
struct Level {
    int depth, exactFrom;
    Style style;
    bool variety = true;
    int sureFrom = 0, percent = 0;
    std::uint64_t nodeCap = 1'500'000;
};
// The game's levels, 1 to MaxLevel.
const Level& GameLevel(int level);
// The same for analysis, where no move's time is limited: a level with a
// confidence (percent) plays by the passes from 30 empty squares.
Level AnalysisLevel(int level);

struct Options {
    int tableMegabytes = DefaultTableMegabytes;
    int threads = 1;  // for exact solving; the middle game runs on one
    // Positions with fewer empty squares are solved on one thread, and
    // nodes with fewer are not shared among threads (tests lower them).
    int parallelEmpties = 12, splitEmpties = 12;
    // From so many empty squares a selective pass comes before the exact,
    // and from deepEmpties a middle-game guess and passes of growing
    // confidence, which from briefEmpties stop short of 99%.
    int selectiveEmpties = 16, deepEmpties = 27, briefEmpties = 30;
};

// Every core the machine reports.
int DefaultThreads();

// How far the running search is, for another thread to show: positions
// visited so far in this position's search, and either the depth of the
// middle-game search under way or, while solving exactly (depth 0), the
// bounds known on the value. Each search starts it afresh.
struct SearchStatus {
    std::uint64_t nodes;
    int depth;
    int lower, upper;
    // While solving: how sure (in percent) the pass under way is, 100 when
    // exact; and the last pass done, if any (its percent, else 0), its value
    // and its move (a square, or -1).
    int percent;
    int donePercent, doneValue, doneMove;
};

class Weights;

// A searcher with its table, its threads and its weights (the built-in
// ones unless given); one search at a time. Every answer is deterministic:
// it depends on the position and the level only, never on the threads,
// the clock or the searches before.
class Engine {
public:
    explicit Engine(const Options& options = {}, const Weights* weights = nullptr);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // False when the table's memory could not be had; then nothing else may be called.
    bool Ready() const;

    // The moves the level rates equally best for the side to move, as
    // squares in ascending order; returns their count (at least 1). The
    // side to move must have a legal move. discs gets the level's estimate
    // of the final disc difference for the side to move, exact where the
    // level plays exactly.
    int Analyse(const Position& p, const Level& level, int (&moves)[64], int& discs);
    int Analyse(const Position& p, int level, int (&moves)[64], int& discs);

    // The exact final disc difference (side to move minus opponent, empty
    // squares counting for neither) under perfect play by both. bestSquare
    // gets the lowest square among the best moves, or -1 when the side to
    // move has none.
    int Solve(const Position& p, int* bestSquare);
    // The exact value, known to lie in [lower, upper].
    int SolveBetween(const Position& p, int lower, int upper);

    // The value by a full-width search of depth plies in the style's units
    // (hundredths of a disc; a finished game as the style counts it).
    int Score(const Position& p, int depth, Style style);

    SearchStatus Status() const;
    // Positions visited by every search so far.
    std::uint64_t Nodes() const;

    struct State;

private:
    std::unique_ptr<State> state_;
};

} // namespace engine
