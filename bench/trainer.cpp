// Fits the learned evaluation's weights by self-play.
//
// 1. Games: from random openings the engine plays itself (3 plies over
//    the hand-made evaluation, exact from 8 empty squares; ties and an
//    occasional move drawn at random), every position kept; then
//    --random-games games of uniformly random play. With --siblings N,
//    one in N positions of 9-12 empty squares brings all its children
//    too (the stage of 8-11), bad moves included: the solver's move
//    order ranks those.
// 2. Stage by stage from the end of the game backwards: positions with at
//    most --exact empty squares are labelled by the exact solver, the
//    others by a search of --depth plies over the weights already fitted
//    for the later stages (its leaves lie there); then that stage's
//    weights are fitted to the labels by least squares (conjugate
//    gradients, a small ridge), one game in ten held out to measure.
// 3. The weights file (--out), which the build embeds into the program
//    from src/engine/data/.
//
// Every phase saves its result in --work, and a rerun with the same
// directory and options goes on from there. The same seed and options
// give the same weights on any machine.
//
//   trainer --seed 1 --work DIR --out src/engine/data/weights.bin
//   trainer --seed 1 --games 32000 --random-games 32000 --exact 16 --order 1 --work DIR
//           --out src/engine/data/order_weights.bin
//                                     the exact solver's move-order weights
//   trainer --load weights.bin [--order 1]   loads a file and prints its checksum
//   trainer --calibrate N --work DIR --games-file F [--weights FILE]
//                                     the deviations for the selective search
#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/patterns.h"
#include "engine/score.h"
#include "fit.h"

namespace {

using namespace trainer;
using engine::Bitboard;
using engine::Engine;
using engine::EvalLimit;
using engine::LegalMoves;
using engine::Level;
using engine::Pass;
using engine::Play;
using engine::Position;
using engine::SquareOfCell;
using engine::Stages;
using engine::Style;
using engine::Weights;
using engine::WinScore;

// The self-play games search with the table, and which entries a table
// keeps can change a search's choice: the shipped weights were trained
// with one of this size, so the trainer keeps it whatever the default.
constexpr int TrainerTableMegabytes = 32;

// The self-play player of the shipped weights: the level 2 of its day,
// 3 plies over the hand-made evaluation, exact from 8 empty squares, its
// choices its own (no symmetry or opening margin). The levels have been
// renumbered and changed since; this one stays.
constexpr Level SelfPlay{3, 8, Style::Hand, false};

// The searcher: the trainer's table, one thread, and the weights it fits,
// which start as the built-in ones (the solver's move order reads those).
Engine& Search(Weights& weights)
{
    engine::Options options;
    options.tableMegabytes = TrainerTableMegabytes;
    static Engine search(options, &weights);
    if (!search.Ready()) {
        std::fprintf(stderr, "trainer: not enough memory for the search\n");
        std::exit(1);
    }
    return search;
}

struct Options {
    std::uint64_t seed = 1;
    int games = 32000;
    int exact = 14;
    int depth = 4;
    int openingPlies = 8;
    double ridge = 8;
    int iterations = 40;
    std::string work = "trainer-work", out, load, weights, gamesFile;
    int calibrate = 0;
    int randomGames = 0;  // games of uniformly random play after the self-play ones
    int siblings = 0;     // one in so many positions of 9-12 empty squares brings its children
    bool order = false;   // the solver's weights: its stages only
};

std::uint64_t Mix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

struct Random {
    std::uint64_t state;
    int Below(int n) { return static_cast<int>((Mix(state++) >> 33) % static_cast<std::uint64_t>(n)); }
};

int Nth(Bitboard moves, int k)
{
    for (; k > 0; --k)
        moves &= moves - 1;
    return std::countr_zero(moves);
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

template <class T>
bool ReadFile(const std::string& path, std::vector<T>& out)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::fseek(f, 0, SEEK_END);
    long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    out.resize(static_cast<std::size_t>(size) / sizeof(T));
    bool good = std::fread(out.data(), sizeof(T), out.size(), f) == out.size();
    std::fclose(f);
    return good;
}

template <class T>
void WriteFile(const std::string& path, const std::vector<T>& data)
{
    std::string temporary = path + ".part";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f || std::fwrite(data.data(), sizeof(T), data.size(), f) != data.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "trainer: cannot write %s\n", path.c_str());
        std::exit(1);
    }
    std::rename(temporary.c_str(), path.c_str());
}

std::vector<Sample> PlayGames(const Options& o, Engine& search)
{
    std::vector<Sample> samples;
    for (int g = 0; g < o.games + o.randomGames; ++g) {
        bool uniform = g >= o.games;
        Random random{Mix(o.seed * 1000003u + static_cast<std::uint64_t>(g))};
        Random pick{Mix(~(o.seed * 1000003u + static_cast<std::uint64_t>(g)))};
        Position p{(Bitboard{1} << SquareOfCell(44)) | (Bitboard{1} << SquareOfCell(55)),
                   (Bitboard{1} << SquareOfCell(45)) | (Bitboard{1} << SquareOfCell(54))};
        for (int ply = 0;; ++ply) {
            Bitboard moves = LegalMoves(p);
            if (!moves) {
                if (!LegalMoves(Pass(p)))
                    break;
                p = Pass(p);
                continue;
            }
            samples.push_back({p.own, p.opp, g, 0});
            int empties = std::popcount(~(p.own | p.opp));
            if (o.siblings && empties >= 9 && empties <= 12 && pick.Below(o.siblings) == 0)
                for (Bitboard m = moves; m; m &= m - 1) {
                    Position child = Play(p, std::countr_zero(m));
                    samples.push_back({child.own, child.opp, g, 0});
                }
            int square;
            if (uniform || ply < o.openingPlies || random.Below(16) == 0) {
                square = Nth(moves, random.Below(std::popcount(moves)));
            } else {
                int best[64], discs;
                int n = search.Analyse(p, SelfPlay, best, discs);
                square = best[random.Below(n)];
            }
            p = Play(p, square);
        }
    }
    return samples;
}

int Empties(const Sample& s) { return std::popcount(~(s.own | s.opp)); }

void Label(std::vector<Sample>& stage, const Options& o, Engine& search)
{
    for (Sample& s : stage) {
        if (Empties(s) <= o.exact) {
            s.label = 100 * search.SolveBetween({s.own, s.opp}, -64, 64);
        } else {
            int v = search.Score({s.own, s.opp}, o.depth, Style::Labels);
            if (v > EvalLimit)
                v = 100 * (v - WinScore);
            else if (v < -EvalLimit)
                v = 100 * (v + WinScore);
            s.label = v;
        }
    }
}

// How far a search of ShallowDepth(d) plies lies from one of d plies:
// the standard deviation of the difference, for bands of ten empty
// squares, from positions of the held-out games, as the table the
// selective search reads.
int Calibrate(const Options& o, int count, Engine& search)
{
    constexpr int MaxDepth = 10;
    std::vector<Sample> samples;
    if (!ReadFile(o.work + "/" + o.gamesFile, samples)) {
        std::fprintf(stderr, "trainer: no games in %s/%s\n", o.work.c_str(), o.gamesFile.c_str());
        return 1;
    }
    double sum[6][MaxDepth + 1] = {}, n[6] = {};
    Random random{Mix(o.seed)};
    for (int taken = 0; taken < count;) {
        const Sample& x = samples[static_cast<std::size_t>(random.Below(static_cast<int>(samples.size())))];
        int e = Empties(x);
        if (x.game % 10 != 0 || e < 20)
            continue;
        ++taken;
        int v[MaxDepth + 1];
        // Scored as the labels are, so that a game ending within reach
        // lies beyond EvalLimit and the position is left out.
        for (int d = 1; d <= MaxDepth; ++d)
            v[d] = search.Score({x.own, x.opp}, d, Style::Labels);
        if (std::abs(v[MaxDepth]) > EvalLimit || std::abs(v[1]) > EvalLimit)
            continue;
        int band = std::min(e, 59) / 10;
        n[band] += 1;
        for (int d = 3; d <= MaxDepth; ++d) {
            int shallow = d / 4 * 2 + (d & 1);
            sum[band][d] += static_cast<double>(v[d] - v[shallow]) * (v[d] - v[shallow]);
        }
    }
    for (int band = 0; band < 6; ++band) {
        int from = std::clamp(band, 2, 5);
        std::printf("    {0, 0, 0");
        for (int d = 3; d <= 12; ++d) {
            int dd = std::min(d, MaxDepth);
            std::printf(", %.0f", n[from] ? std::sqrt(sum[from][dd] / n[from]) : 0.0);
        }
        std::printf("},  // %d-%d empty squares (%.0f positions)\n", 10 * band, 10 * band + 9, n[from]);
    }
    return 0;
}

int LoadAndShow(const std::string& path, bool order)
{
    std::vector<std::uint8_t> bytes;
    Weights weights;
    if (!ReadFile(path, bytes) ||
        !(order ? weights.LoadOrder(bytes.data(), bytes.size()) : weights.Load(bytes.data(), bytes.size()))) {
        std::fprintf(stderr, "trainer: %s is not a weights file\n", path.c_str());
        return 1;
    }
    std::printf("loaded %s: %zu bytes, checksum 0x%08X\n", path.c_str(), bytes.size(),
                order ? weights.OrderChecksum() : weights.Checksum());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!v) {
            std::fprintf(stderr, "trainer: %s needs a value\n", a.c_str());
            return 2;
        }
        ++i;
        if (a == "--seed") o.seed = std::strtoull(v, nullptr, 10);
        else if (a == "--games") o.games = std::atoi(v);
        else if (a == "--exact") o.exact = std::atoi(v);
        else if (a == "--depth") o.depth = std::atoi(v);
        else if (a == "--ridge") o.ridge = std::atof(v);
        else if (a == "--iterations") o.iterations = std::atoi(v);
        else if (a == "--work") o.work = v;
        else if (a == "--out") o.out = v;
        else if (a == "--load") o.load = v;
        else if (a == "--weights") o.weights = v;
        else if (a == "--calibrate") o.calibrate = std::atoi(v);
        else if (a == "--games-file") o.gamesFile = v;
        else if (a == "--random-games") o.randomGames = std::atoi(v);
        else if (a == "--siblings") o.siblings = std::atoi(v);
        else if (a == "--order") o.order = std::atoi(v) != 0;
        else {
            std::fprintf(stderr, "usage: trainer [--seed S] [--games N] [--exact E] [--depth D] [--ridge R] "
                                 "[--iterations I] [--random-games N] [--siblings N] [--order 0|1] [--work DIR] [--out FILE] "
                                 "| --load FILE [--order 0|1]\n");
            return 2;
        }
    }
    if (!o.load.empty())
        return LoadAndShow(o.load, o.order);
    Weights weights;
    if (!weights.Load(engine::BuiltinWeights, engine::BuiltinWeightsSize) ||
        !weights.LoadOrder(engine::BuiltinOrderWeights, engine::BuiltinOrderWeightsSize))
        return 1;
    if (o.calibrate) {
        std::vector<std::uint8_t> bytes;
        if (!o.weights.empty() && (!ReadFile(o.weights, bytes) || !weights.Load(bytes.data(), bytes.size())))
            return 1;
        return Calibrate(o, o.calibrate, Search(weights));
    }
    Engine& search = Search(weights);
    std::string mkdir = "mkdir -p '" + o.work + "'";
    if (std::system(mkdir.c_str()) != 0)
        return 1;
    auto start = std::chrono::steady_clock::now();
    std::string tag = o.work + "/s" + std::to_string(o.seed) + "-g" + std::to_string(o.games) + "-e" +
                      std::to_string(o.exact) + "-d" + std::to_string(o.depth);
    if (o.randomGames)
        tag += "-r" + std::to_string(o.randomGames);
    if (o.siblings)
        tag += "-b" + std::to_string(o.siblings);

    std::vector<Sample> samples;
    if (!ReadFile(tag + "-games.bin", samples)) {
        samples = PlayGames(o, search);
        WriteFile(tag + "-games.bin", samples);
    }
    std::printf("%zu positions from %d games (%.0f s)\n", samples.size(), o.games + o.randomGames, Seconds(start));

    const std::vector<std::int32_t> slot = Slots();
    const int count = engine::CanonicalCount();
    std::vector<std::int16_t> all;
    std::vector<double> w(static_cast<std::size_t>(count), 0.0);
    std::printf("stage empties  train  held-out  rms(held-out, discs) at 1/8 1/4 1/2 all of train   seconds\n");
    const int stages = o.order ? engine::OrderStages : engine::Stages;
    for (int s = 0; s < stages; ++s) {
        std::string path = tag + "-stage" + std::to_string(s) + ".bin";
        std::vector<std::int16_t> fitted;
        if (!ReadFile(path, fitted) || fitted.size() != static_cast<std::size_t>(count)) {
            auto t = std::chrono::steady_clock::now();
            std::vector<Sample> train, held;
            for (const Sample& x : samples)
                if (engine::StageOf(Empties(x)) == s && Empties(x) < 60)
                    (x.game % 10 == 0 ? held : train).push_back(x);
            Label(train, o, search);
            Label(held, o, search);
            Design dt = Build(train, slot), dh = Build(held, slot);
            double rms[4];
            for (int part = 0; part < 4; ++part) {
                std::vector<double> trial = w;  // from the later stage's weights
                Fit(dt, dt.Rows() >> (3 - part), o.ridge, o.iterations, trial);
                rms[part] = Rms(dh, trial);
                if (part == 3)
                    w = trial;
            }
            fitted = Rounded(w);
            WriteFile(path, fitted);
            std::printf("%5d %3d-%-3d %7zu %8zu  %6.2f %6.2f %6.2f %6.2f  %8.0f\n", s, 4 * s, 4 * s + 3, dt.Rows(),
                        dh.Rows(), rms[0], rms[1], rms[2], rms[3], Seconds(t));
            std::fflush(stdout);
        } else {
            for (int i = 0; i < count; ++i)
                w[static_cast<std::size_t>(i)] = fitted[static_cast<std::size_t>(i)];
        }
        // Searches for the next stage reach down into this one, and start
        // from these weights where they stay in that stage.
        for (int t = s; t < Stages; ++t)
            weights.SetCanonical(t, fitted.data());
        all.insert(all.end(), fitted.begin(), fitted.end());
    }

    std::vector<std::uint8_t> bytes = Encode(all);
    std::uint32_t checksum = weights.Checksum(stages);
    if (!o.out.empty())
        WriteFile(o.out, bytes);
    std::printf("weights: %zu bytes, checksum 0x%08X, %.0f s in all\n", bytes.size(), checksum, Seconds(start));
}
