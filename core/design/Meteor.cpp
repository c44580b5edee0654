#include "design/Meteor.h"

#include <array>
#include <cmath>
#include <numbers>

#include "design/Bands.h"
#include "design/DesignStatus.h"
#include "design/FirLayout.h"
#include "text/Console.h"

namespace dovra {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

std::string badType(int type) {
    return "Invalid filter type for the FIR design: " + std::to_string(type);
}

} // namespace

void appendConstraint(MeteorSpec& spec, MeteorConstraint c) {
    c.firstColumn = spec.constraints.empty() ? 1 : spec.constraints.back().lastColumn + 1;
    const int count = static_cast<int>((c.right - c.left) * kMeteorDensity * 2 + 1e-8);
    if (count <= 0) {
        c.lastColumn = c.firstColumn;
        spec.grid.push_back(kTwoPi * c.left);
    } else {
        c.lastColumn = c.firstColumn + count;
        for (int i = 0; i <= count; ++i) {
            spec.grid.push_back(kTwoPi * (c.left + (c.right - c.left) * i / count));
        }
    }
    spec.constraints.push_back(c);
}

namespace {

void addLimits(MeteorSpec& spec, double left, double right, double upper, double lower) {
    MeteorConstraint c;
    c.left = left;
    c.right = right;
    c.sense = '+';
    c.boundLeft = c.boundRight = upper;
    appendConstraint(spec, c);
    c.sense = '-';
    c.boundLeft = c.boundRight = lower;
    appendConstraint(spec, c);
}

void addConcave(MeteorSpec& spec, double left, double right) {
    MeteorConstraint c;
    c.kind = 1;
    c.sense = '-';
    c.left = left;
    c.right = right;
    appendConstraint(spec, c);
}

/// The bound of constraint c at frequency f (cycles per sample).
double boundAt(const MeteorConstraint& c, double f) {
    if (c.right == c.left) {
        return c.boundLeft;
    }
    const double t = (f - c.left) / (c.right - c.left);
    if (c.interpolation == 'g') {
        return c.boundLeft * std::exp(std::log(c.boundRight / c.boundLeft) * t);
    }
    return c.boundLeft + (c.boundRight - c.boundLeft) * t;
}

} // namespace

std::variant<MeteorSpec, std::string> meteorSpec(const Data& data, bool flat) {
    const double fl = data.f_lower;
    const double fu = data.f_upper;
    const double d = data.delta;
    std::vector<double> edges;
    switch (data.filtertype) {
    case 1:
        edges = {0.0, fu, fu + d, 0.5};
        break;
    case 2:
        edges = {0.0, fl - d, fl, 0.5};
        break;
    case 4:
        edges = {0.0, fl - d, fl, fu, fu + d, 0.5};
        break;
    case 8:
        edges = {0.0, fl, fl + d, fu - d, fu, 0.5};
        break;
    default:
        return badType(data.filtertype);
    }
    if (auto refusal = checkBandEdges(edges)) {
        return *refusal;
    }
    const double g = std::pow(10.0, 0.05 * data.gain);
    const double p = std::pow(10.0, 0.05 * (data.gain - data.pass_ripple));
    const double s = std::pow(10.0, 0.05 * (data.gain - data.stop_attn));
    if (!std::isfinite(g) || !std::isfinite(p) || !std::isfinite(s) || g == 0.0) {
        return std::string("Invalid gain, ripple or attenuation for the FIR design");
    }

    MeteorSpec spec;
    switch (data.filtertype) {
    case 1:
        addLimits(spec, 0.0, fu, g, p);
        addLimits(spec, fu, fu + d, g, -g);
        addLimits(spec, fu + d, 0.5, s, -s);
        if (flat) {
            addConcave(spec, 0.0, fu);
        }
        break;
    case 2:
        addLimits(spec, fl, 0.5, g, p);
        addLimits(spec, fl - d, fl, g, -g);
        addLimits(spec, 0.0, fl - d, s, -s);
        if (flat) {
            addConcave(spec, fl, 0.5);
        }
        break;
    case 4:
        addLimits(spec, 0.0, fl - d, s, -s);
        addLimits(spec, fl - d, fl, g, -g);
        addLimits(spec, fl, fu, g, p);
        addLimits(spec, fu, fu + d, g, -g);
        addLimits(spec, fu + d, 0.5, s, -s);
        if (flat) {
            addConcave(spec, fl, fu);
        }
        break;
    default: // 8, bandstop
        addLimits(spec, 0.0, fl, g, p);
        addLimits(spec, fl, fl + d, g, -g);
        addLimits(spec, fl + d, fu - d, s, -s);
        addLimits(spec, fu - d, fu, g, -g);
        addLimits(spec, fu, 0.5, g, p);
        if (flat) {
            addConcave(spec, 0.0, fl);
            addConcave(spec, fu, 0.5);
        }
        break;
    }
    return spec;
}

LinearProgram meteorProgram(const MeteorSpec& spec, int m) {
    LinearProgram lp;
    lp.m = m;
    lp.columns = static_cast<int>(spec.grid.size());
    lp.a.assign(static_cast<std::size_t>(m + 1) * lp.columns, 0.0);
    lp.rhs.assign(lp.columns, 0.0);
    for (const MeteorConstraint& c : spec.constraints) {
        for (int col = c.firstColumn - 1; col < c.lastColumn; ++col) {
            const double w = spec.grid[col];
            if (c.kind == 2) {
                // Limit: sense * (A(w) + d) against sense * bound.
                const double sign = c.sense == '+' ? 1.0 : -1.0;
                lp.rhs[col] = sign * boundAt(c, w / kTwoPi);
                for (int j = 0; j < m; ++j) {
                    lp.at(j, col) = sign * std::cos(j * w);
                }
                lp.at(m, col) = c.hugged == 'h' ? 0.0 : 1.0;
            } else {
                // Convexity: the second derivative of A, at most 0 for '-'.
                const double sign = c.sense == '+' ? -1.0 : 1.0;
                for (int j = 0; j < m; ++j) {
                    lp.at(j, col) = -sign * j * j * std::cos(j * w);
                }
            }
        }
    }
    return lp;
}

std::optional<std::vector<double>> Meteor::solve(MeteorSpec& spec, int m, const Data& data) {
    const std::vector<DesignBand> bands = designBands(data);
    for (int round = 0;; ++round) {
        const SimplexResult result = meteorSimplex(meteorProgram(spec, m));
        if (console_ != nullptr && !result.message.empty()) {
            console_->out(result.message);
        }
        if (result.status != SimplexStatus::Optimum) {
            return std::nullopt;
        }
        std::vector<double> h(2 * m - 1);
        h[m - 1] = result.solution[0];
        for (int j = 1; j < m; ++j) {
            h[m - 1 - j] = h[m - 1 + j] = 0.5 * result.solution[j];
        }
        const BandCheck check = checkFirBands(h, data);
        if (check.met) {
            return h;
        }
        if (round == kMeteorRefineRounds) {
            return std::nullopt;
        }
        // Each frequency where a band is exceeded joins the program with the
        // two limits of its band, as a band of one grid point.
        const std::size_t before = added_.size();
        for (const BandCheck::Peak& p : check.peaks) {
            const DesignBand& b = bands[p.band];
            const double upper = std::pow(10.0, 0.05 * b.upperDb);
            const double lower = b.pass() ? std::pow(10.0, 0.05 * b.lowerDb) : -upper;
            MeteorConstraint c;
            c.left = c.right = p.w;
            c.sense = '+';
            c.boundLeft = c.boundRight = upper;
            added_.push_back(c);
            appendConstraint(spec, c);
            c.sense = '-';
            c.boundLeft = c.boundRight = lower;
            added_.push_back(c);
            appendConstraint(spec, c);
        }
        if (added_.size() == before) {
            return std::nullopt;
        }
    }
}

DesignOutcome Meteor::step(const DesignContext& context) {
    const Data& data = context.data;
    StatusSink& status = context.status;
    DesignOutcome outcome;
    auto built = meteorSpec(data, flat_);
    if (auto* refusal = std::get_if<std::string>(&built)) {
        outcome.finished = true;
        outcome.refused = true;
        outcome.status = *refusal;
        return outcome;
    }
    MeteorSpec& spec = std::get<MeteorSpec>(built);
    for (const MeteorConstraint& c : added_) {
        appendConstraint(spec, c);
    }

    MeteorBisection& s = state_;
    if (!s.closed()) {
        if (s.leftm == 0 && s.rightm == 0) {
            s = {kMeteorMinCount, kMeteorMaxCount, 0, false, false};
        }
        int m = s.leftm + (s.rightm - s.leftm) / 2;
        if (s.rightm - s.leftm < 2) {
            m = s.checkedLeft ? s.rightm : s.leftm;
        }
        status.setStatus(firtext::trying(2 * m - 1));

        const std::optional<std::vector<double>> found = solve(spec, m, data);
        if (found) {
            s.rightm = m;
            s.bestm = m;
            s.checkedRight = true;
            outcome.layout = firLayout(*found, 0);
            if (static_cast<int>(outcome.layout->coefficients.size()) > kCoefficientStore) {
                status.setStatus(firtext::kTooManyCoefficients);
            }
        } else {
            s.leftm = m;
            s.checkedLeft = true;
        }
        if (s.leftm + 1 == s.rightm && s.checkedLeft && s.checkedRight) {
            s.rightm = s.leftm;
        }
    }
    if (s.closed()) {
        outcome.finished = true;
        outcome.status = s.bestm > 0 ? status::kSuccess : firtext::kNoSolution;
    }
    return outcome;
}

} // namespace dovra
