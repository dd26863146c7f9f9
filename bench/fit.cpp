#include "fit.h"

#include <algorithm>
#include <cmath>

#include "engine/patterns.h"

namespace trainer {

std::vector<std::int32_t> Slots()
{
    std::vector<std::int32_t> slot(engine::StageSize, -1);
    int next = 0;
    for (const engine::PatternKind& kind : engine::PatternKinds)
        for (int i = 0; i < kind.size; ++i)
            if (engine::CanonicalIndex(kind, i) == i)
                slot[static_cast<std::size_t>(kind.offset + i)] = next++;
    for (const engine::PatternKind& kind : engine::PatternKinds)
        for (int i = 0; i < kind.size; ++i)
            slot[static_cast<std::size_t>(kind.offset + i)] =
                slot[static_cast<std::size_t>(kind.offset + engine::CanonicalIndex(kind, i))];
    return slot;
}

Design Build(const std::vector<Sample>& samples, const std::vector<std::int32_t>& slot)
{
    Design d;
    for (const Sample& s : samples) {
        int index[engine::Features];
        engine::FeatureIndices(s.own, s.opp, index);
        for (int i : index)
            d.features.push_back(slot[static_cast<std::size_t>(i)]);
        d.labels.push_back(s.label);
    }
    return d;
}

double Rms(const Design& d, const std::vector<double>& w)
{
    double sum = 0;
    for (std::size_t r = 0; r < d.Rows(); ++r) {
        double p = 0;
        for (int f = 0; f < engine::Features; ++f)
            p += w[static_cast<std::size_t>(d.features[r * engine::Features + static_cast<std::size_t>(f)])];
        p = std::clamp(p, -6400.0, 6400.0);
        sum += (p - d.labels[r]) * (p - d.labels[r]);
    }
    return d.Rows() ? std::sqrt(sum / static_cast<double>(d.Rows())) / 100 : 0;
}

void Fit(const Design& d, std::size_t rows, double ridge, int iterations, std::vector<double>& w)
{
    std::size_t n = w.size();
    auto times = [&](const std::vector<double>& x, std::vector<double>& out) {  // (A'A + ridge) x
        for (std::size_t i = 0; i < n; ++i)
            out[i] = ridge * x[i];
        for (std::size_t r = 0; r < rows; ++r) {
            const std::int32_t* f = &d.features[r * engine::Features];
            double p = 0;
            for (int k = 0; k < engine::Features; ++k)
                p += x[static_cast<std::size_t>(f[k])];
            for (int k = 0; k < engine::Features; ++k)
                out[static_cast<std::size_t>(f[k])] += p;
        }
    };
    std::vector<double> residual(n, 0), direction, product(n);
    times(w, product);
    for (std::size_t r = 0; r < rows; ++r)
        for (int k = 0; k < engine::Features; ++k)
            residual[static_cast<std::size_t>(d.features[r * engine::Features + static_cast<std::size_t>(k)])] += d.labels[r];
    for (std::size_t i = 0; i < n; ++i)
        residual[i] -= product[i];
    direction = residual;
    double rr = 0;
    for (double v : residual)
        rr += v * v;
    for (int it = 0; it < iterations && rr > 1e-9; ++it) {
        times(direction, product);
        double dq = 0;
        for (std::size_t i = 0; i < n; ++i)
            dq += direction[i] * product[i];
        double alpha = rr / dq;
        double next = 0;
        for (std::size_t i = 0; i < n; ++i) {
            w[i] += alpha * direction[i];
            residual[i] -= alpha * product[i];
            next += residual[i] * residual[i];
        }
        for (std::size_t i = 0; i < n; ++i)
            direction[i] = residual[i] + next / rr * direction[i];
        rr = next;
    }
}

std::vector<std::int16_t> Rounded(const std::vector<double>& w)
{
    std::vector<std::int16_t> out(w.size());
    for (std::size_t i = 0; i < w.size(); ++i)
        out[i] = static_cast<std::int16_t>(std::clamp(std::lround(w[i]), -32000L, 32000L));
    return out;
}

std::vector<std::uint8_t> Encode(const std::vector<std::int16_t>& all)
{
    std::vector<std::uint8_t> out = {'S', 'K', 'W', '1'};
    auto varint = [&](std::uint32_t v) {
        for (; v >= 0x80; v >>= 7)
            out.push_back(static_cast<std::uint8_t>(v | 0x80));
        out.push_back(static_cast<std::uint8_t>(v));
    };
    for (std::size_t i = 0; i < all.size();) {
        if (all[i] == 0) {
            std::size_t run = 0;
            while (i + run < all.size() && all[i + run] == 0)
                ++run;
            varint(0);
            varint(static_cast<std::uint32_t>(run));
            i += run;
        } else {
            std::int32_t v = all[i++];
            varint(static_cast<std::uint32_t>((v << 1) ^ (v >> 31)));
        }
    }
    return out;
}

} // namespace trainer
