// Exact solving over seeded positions: median and slowest seconds and
// nodes per second for each kind and number of empty squares.
//
//   solve_bench [--print] [--threads N] [--tune NAME=VALUE]... [--sure PERCENT] KIND:EMPTIES:COUNT...
//
// KIND is "random" (positions from uniformly random games) or "levels"
// (four random plies, then level 1 against level 2). "file:PATH" solves
// the positions --print wrote there (--solve lines, X to move). "games:N"
// instead times every move of the top level in N games against the random
// player, "games:N:LEVEL" of another level. "sigma:KIND:FROM:TO:COUNT"
// prints how far the move order's estimate lies from the exact value, by
// empty squares (the selective passes' unit of margin). --tune NAME=VALUE
// sets one of the engine's options: parallel, split, selective or deep
// (empty squares). --sure PERCENT answers as a level playing by the
// selective passes up to PERCENT (84, 95 or 99) would, instead of solving.
// SOLVE_BENCH_ORDER=FILE orders the solver's moves by the trainer's
// weights file FILE (written with --order 1) instead of the built-in ones;
// SOLVE_BENCH_MB sets the table's size.
// SOLVE_BENCH_VERBOSE prints each position's value, move, time and nodes,
// and each selective pass's as it ends.
#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <sys/resource.h>

#include "engine/engine.h"
#include "engine/movegen.h"
#include "engine/order.h"
#include "engine/patterns.h"
#include "engine/score.h"
#include "engine/solver.h"
#include "engine/table.h"
#include "engine/threads.h"

namespace {

using namespace engine;

constexpr Position Start{(Bitboard{1} << SquareOfCell(44)) | (Bitboard{1} << SquareOfCell(55)),
                         (Bitboard{1} << SquareOfCell(45)) | (Bitboard{1} << SquareOfCell(54))};

std::uint32_t Seed;
int Below(int n)
{
    Seed = Seed * 134775813u + 1u;
    return static_cast<int>((std::uint64_t{static_cast<std::uint32_t>(n)} * Seed) >> 32);
}

int Empties(const Position& p) { return std::popcount(~(p.own | p.opp)); }

// count positions with so many empty squares and a move to make, from games 1, 2, ...
std::vector<Position> Positions(Engine& search, bool levels, int empties, int count)
{
    std::vector<Position> out;
    for (std::uint32_t game = 1; static_cast<int>(out.size()) < count; ++game) {
        Seed = game * 7919u + static_cast<std::uint32_t>(empties);
        Position p = Start;
        for (int ply = 0; Empties(p) > empties; ++ply) {
            Bitboard moves = LegalMoves(p);
            if (!moves) {
                p = Pass(p);
                if (!LegalMoves(p))
                    break;
                continue;
            }
            int best[64], discs;
            int n = 0;
            if (!levels || ply < 4)
                for (; moves; moves &= moves - 1)
                    best[n++] = std::countr_zero(moves);
            else
                n = search.Analyse(p, 1 + ply % 2, best, discs);
            p = Play(p, best[Below(n)]);
        }
        if (Empties(p) == empties && LegalMoves(p))
            out.push_back(p);
    }
    return out;
}

// The --solve lines of a file, as printed by --print.
std::vector<Position> Read(const char* path)
{
    std::vector<Position> out;
    FILE* f = std::fopen(path, "r");
    char line[128];
    while (f && std::fgets(line, sizeof line, f)) {
        if (std::strspn(line, "XO-") != 64)
            continue;  // the table's heading
        Position p{0, 0};
        for (int sq = 0; sq < 64; ++sq) {
            if (line[sq] == 'X')
                p.own |= Bitboard{1} << sq;
            else if (line[sq] == 'O')
                p.opp |= Bitboard{1} << sq;
        }
        out.push_back(p);
    }
    if (f)
        std::fclose(f);
    return out;
}

// How far the solver's shallow estimate of a position (tenths of a disc,
// as its move order and its selective cuts see it) lies from the exact
// value: the root mean square of the difference, in tenths.
double EstimateError(Engine& search, const std::vector<Position>& positions)
{
    Table table;
    Pool pool(1);
    Options options;
    Progress progress;
    if (!table.Allocate(64))
        std::exit(1);
    Solver solver{table, Weights::Builtin(), pool, options, progress, {}, 0};
    double sum = 0;
    for (const Position& p : positions) {
        CandidateList list;
        int n = ListCandidates(p.own, p.opp, LegalMoves(p), list);
        Worker w(solver);
        table.NewSearch();
        int estimate = -Infinity;
        KeyMoves(w, list, n, Empties(p), estimate);
        double error = 10.0 * search.Solve(p, nullptr) - estimate;
        sum += error * error;
    }
    return std::sqrt(sum / static_cast<double>(positions.size()));
}

// Sets one of the engine's options by name; false for a name it does not know.
bool Tune(Options& options, const std::string& setting)
{
    std::size_t equals = setting.find('=');
    std::string name = setting.substr(0, equals);
    int value = std::atoi(setting.c_str() + equals + 1);
    if (equals == std::string::npos)
        return false;
    for (auto [key, field] : {std::pair{"parallel", &Options::parallelEmpties}, {"split", &Options::splitEmpties},
                              {"selective", &Options::selectiveEmpties}, {"deep", &Options::deepEmpties},
                              {"brief", &Options::briefEmpties}})
        if (name == key) {
            options.*field = value;
            return true;
        }
    return false;
}

std::vector<std::uint8_t> ReadFile(const char* path)
{
    std::vector<std::uint8_t> bytes;
    if (FILE* f = std::fopen(path, "rb")) {
        for (int c; (c = std::fgetc(f)) != EOF;)
            bytes.push_back(static_cast<std::uint8_t>(c));
        std::fclose(f);
    }
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (const char* mb = std::getenv("SOLVE_BENCH_MB"))
        options.tableMegabytes = std::atoi(mb);
    for (int i = 1; i + 1 < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--threads")
            options.threads = std::atoi(argv[++i]);
        else if (arg == "--tune" && !Tune(options, argv[++i])) {
            std::fprintf(stderr, "solve_bench: no option '%s' to tune (parallel, split, selective, deep)\n", argv[i]);
            return 2;
        }
    }
    // The solver's move-order weights from a file of the trainer's.
    Weights weights;
    const Weights* used = nullptr;
    if (const char* path = std::getenv("SOLVE_BENCH_ORDER")) {
        std::vector<std::uint8_t> bytes = ReadFile(path);
        if (!weights.Load(BuiltinWeights, BuiltinWeightsSize) || !weights.LoadOrder(bytes.data(), bytes.size()))
            return 1;
        used = &weights;
    }
    Engine search(options, used);
    if (!search.Ready())
        return 1;
    double lastCpu = 0;
    bool print = false;
    int sure = 0;
    std::printf("%-7s %7s %5s %9s %9s %12s %14s\n", "kind", "empties", "count", "median_s", "max_s", "nodes/s",
                "nodes");
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--print") {
            print = true;
            continue;
        }
        if (arg == "--sure" && i + 1 < argc) {
            sure = std::atoi(argv[++i]);
            continue;
        }
        if ((arg == "--threads" || arg == "--tune") && i + 1 < argc) {
            ++i;  // read above
            continue;
        }
        if (arg.starts_with("sigma:")) {
            // sigma:KIND:FROM:TO:COUNT, the estimate's error by empty squares.
            char kind[16];
            int from, to, count;
            if (std::sscanf(arg.c_str() + 6, "%15[^:]:%d:%d:%d", kind, &from, &to, &count) != 4)
                return 2;
            for (int e = from; e <= to; ++e)
                std::printf("%s %d: estimate error %.0f tenths over %d positions\n", kind, e,
                            EstimateError(search, Positions(search, std::string(kind) == "levels", e, count)), count);
            std::fflush(stdout);
            continue;
        }
        if (arg.starts_with("games:")) {
            // The top level against the random player, each colour in
            // turn: the time of every top-level move. A move over a second
            // is shown on standard error with its nodes, as a --solve line.
            int games = std::atoi(arg.c_str() + 6), level = MaxLevel;
            if (std::size_t colon = arg.find(':', 6); colon != std::string::npos)
                level = std::atoi(arg.c_str() + colon + 1);
            std::vector<double> times;
            for (int game = 0; game < games; ++game) {
                Seed = static_cast<std::uint32_t>(game) * 7919u + 1u;
                Position p = Start;
                for (int ply = 0;; ++ply) {
                    Bitboard moves = LegalMoves(p);
                    if (!moves) {
                        p = Pass(p);
                        if (!LegalMoves(p))
                            break;
                        continue;
                    }
                    int best[64], n = 0;
                    if ((ply + game) % 2) {
                        for (; moves; moves &= moves - 1)
                            best[n++] = std::countr_zero(moves);
                    } else {
                        auto t = std::chrono::steady_clock::now();
                        std::uint64_t before = search.Nodes();
                        int discs;
                        n = search.Analyse(p, level, best, discs);
                        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count());
                        if (times.back() > 1) {
                            char line[65] = {};
                            for (int sq = 0; sq < 64; ++sq)
                                line[sq] = p.own >> sq & 1 ? 'X' : p.opp >> sq & 1 ? 'O' : '-';
                            std::fprintf(stderr, "game %d, %d empties, %.2f s, %.2f M nodes: %s X\n", game, Empties(p),
                                         times.back(), (search.Nodes() - before) / 1e6, line);
                        }
                    }
                    p = Play(p, best[Below(n)]);
                }
            }
            std::sort(times.begin(), times.end());
            std::printf("level %d against random, %d games, %zu moves: median %.3f s, slowest %.3f s\n", level,
                        games, times.size(), times[times.size() / 2], times.back());
            std::fflush(stdout);
            continue;
        }
        bool levels = arg.starts_with("levels:");
        int empties = 0, count = 0;
        std::vector<Position> positions;
        if (arg.starts_with("file:")) {
            // Positions written by --print, so that engines whose levels
            // differ solve the same ones.
            levels = arg.find("levels") != std::string::npos;
            positions = Read(arg.c_str() + 5);
            if (positions.empty())
                return 2;
            empties = Empties(positions[0]);
        } else {
            if (std::sscanf(arg.c_str() + arg.find(':') + 1, "%d:%d", &empties, &count) != 2)
                return 2;
            positions = Positions(search, levels, empties, count);
        }
        if (print) {
            // As --solve lines, the side to move as X.
            for (const Position& p : positions) {
                char line[67];
                for (int sq = 0; sq < 64; ++sq)
                    line[sq] = (p.own >> sq & 1) ? 'X' : (p.opp >> sq & 1) ? 'O' : '-';
                std::printf("%.64s X\n", line);
            }
            continue;
        }
        std::vector<double> times;
        std::uint64_t nodes = 0;
        double total = 0;
        std::uint64_t check = 0;
        for (const Position& p : positions) {
            std::uint64_t before = search.Nodes();
            auto t = std::chrono::steady_clock::now();
            int square = -1;
            // Verbose: each pass as it ends, polled as the program's progress line is.
            std::atomic<bool> finished{false};
            std::thread watch;
            if (std::getenv("SOLVE_BENCH_VERBOSE"))
                watch = std::thread([&] {
                    int done = 0;
                    while (!finished.load()) {
                        SearchStatus st = search.Status();
                        if (st.donePercent && st.donePercent != done)
                            std::fprintf(stderr, "  pass %d%%: value %d move %d at %.3f s, %llu nodes\n",
                                         done = st.donePercent, st.doneValue, st.doneMove,
                                         std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count(),
                                         static_cast<unsigned long long>(st.nodes));
                        std::this_thread::sleep_for(std::chrono::milliseconds(2));
                    }
                });
            int value;
            if (sure) {
                // As a level playing by the passes up to sure percent would.
                int moves[64];
                search.Analyse(p, Level{1, 0, Style::Selective, false, 64, sure}, moves, value);
                square = moves[0];
            } else {
                value = search.Solve(p, &square);
            }
            finished = true;
            if (watch.joinable())
                watch.join();
            double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
            std::uint64_t solved = search.Nodes() - before;
            times.push_back(s);
            total += s;
            nodes += solved;
            check = check * 131 + static_cast<std::uint64_t>(value + 64);
            if (std::getenv("SOLVE_BENCH_VERBOSE"))
                std::fprintf(stderr, "%s %d: value %d move %d %.3f s %llu nodes\n", levels ? "levels" : "random",
                             empties, value, square, s, static_cast<unsigned long long>(solved));
        }
        std::sort(times.begin(), times.end());
        rusage usage;
        getrusage(RUSAGE_SELF, &usage);
        double cpu = static_cast<double>(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6;
        std::printf("cpu %.2f  ", cpu - lastCpu);
        lastCpu = cpu;
        std::printf("%-7s %7d %5zu %9.3f %9.3f %12.0f %14llu  (values %016llx)\n", levels ? "levels" : "random", empties,
                    times.size(), times[times.size() / 2], times.back(), static_cast<double>(nodes) / total,
                    static_cast<unsigned long long>(nodes), static_cast<unsigned long long>(check));
        std::fflush(stdout);
    }
}
