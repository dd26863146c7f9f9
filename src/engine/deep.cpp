#include "engine/deep.h"

#include <climits>
#include <span>

#include "engine/last_moves.h"
#include "engine/movegen.h"
#include "engine/nodes.h"
#include "engine/order.h"
#include "engine/score.h"
#include "engine/stability.h"
#include "engine/table.h"
#include "engine/threads.h"

namespace engine {

namespace {

// From here positions go to the table.
constexpr int TableEmpties = 7;
// From here the children's table entries may cut before any is searched.
constexpr int EtcEmpties = 10;

} // namespace

int SolveDeep(Worker& w, Bitboard own, Bitboard opp, int alpha, int beta, bool passed)
{
    int empties = Count(~(own | opp));
    if (empties <= SmallEmpties)
        return SolveSmall(w, own, opp, alpha, beta, passed);
    ++w.nodes;
    Bitboard moves = Moves(own, opp);
    if (!moves) {
        if (passed)
            return DiscDifference(own, opp);
        return -SolveDeep(w, opp, own, -beta, -alpha, true);
    }

    // The opponent's stable discs bound the value from above; only worth
    // counting when even all its discs being stable could cut.
    if (alpha >= MaxDiscs - 2 * Count(opp)) {
        int ceiling = MaxDiscs - 2 * Count(StableDiscs(opp, own));
        if (ceiling <= alpha)
            return ceiling;
    }

    Table& table = w.solver.table;
    const Confidence& pass = w.solver.pass;
    int tableMove = -1;
    bool useTable = empties >= TableEmpties;
    if (useTable) {
        if (w.nodes - w.published >= 1 << 16)
            w.Publish();
        // Exact bounds hold in every pass; a selective pass's only in one.
        int value;
        if (Probe(
                table, own, opp, alpha, beta, [](const TableEntry&) { return true; },
                [&](const TableEntry& e) { return e.sure >= pass.sure; }, value, tableMove))
            return value;
    }

    CandidateList list;
    int n = ListCandidates(own, opp, moves, list);
    int estimate = -Infinity;
    // Children that will look themselves up start loading now.
    if (empties > TableEmpties)
        for (const Candidate& c : std::span(list, n))
            table.Prefetch(c.own, c.opp);
    bool tableFirst = false;
    for (Candidate& c : std::span(list, n)) {
        // A reply already known to fail low cuts here at once, known as
        // surely as this pass needs, like the probe above.
        if (empties >= EtcEmpties) {
            if (TableEntry e; table.Lookup(c.own, c.opp, e) && e.sure >= pass.sure && -e.upper >= beta)
                return -e.upper;
        }
        if (c.square == tableMove) {
            c.key = INT_MIN;
            tableFirst = true;
        }
    }
    // An exact pass tries the table's move before ordering the others: it
    // mostly cuts, and then their keys are never needed. A selective pass
    // needs every estimate at once.
    bool orderLater = tableFirst && pass.sure == Exact;
    if (!orderLater) {
        KeyMoves(w, list, n, empties, estimate, pass.briefer);
        for (Candidate& c : std::span(list, n))
            if (c.square == tableMove)
                c.key = INT_MIN;
        if (pass.sure != Exact && estimate > -Infinity) {
            int margin = pass.sigmas ? pass.sigmas * EstimateError(empties) / 10 : pass.margin;
            if (estimate >= TenthsPerDisc * beta + margin) {
                table.Record(own, opp, empties, pass.sure, alpha, beta, beta, -1);
                return beta;
            }
            if (estimate <= TenthsPerDisc * alpha - margin) {
                table.Record(own, opp, empties, pass.sure, alpha, beta, alpha, -1);
                return alpha;
            }
        }
    }

    Best best{NoValue};
    int oldAlpha = alpha;
    auto live = [&w] { return !w.Stopped(); };
    for (int k = 0; k < n; ++k) {
        if (k == 1 && orderLater)
            KeyMoves(w, list + 1, n - 1, empties, estimate);
        if (k == 1 && w.shared && empties >= w.solver.options.splitEmpties && w.solver.pool.Idle()) {
            SortByKey(list + 1, n - 1);
            SplitMoves(w, list, n, alpha, beta, best);
            break;
        }
        PickLowest(list, k, n);
        const Candidate& c = list[k];
        int value = MoveValue(
            k, alpha, beta, [&](int a, int b) { return -SolveDeep(w, c.own, c.opp, -b, -a, false); }, live);
        if (w.Stopped())
            return 0;
        if (best.Take(value, c.square, alpha, beta))
            break;
    }
    if (w.Stopped())
        return 0;
    if (useTable)
        table.Record(own, opp, empties, pass.sure, oldAlpha, beta, best.value, best.move);
    return best.value;
}

} // namespace engine
