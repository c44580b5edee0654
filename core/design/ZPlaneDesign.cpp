#include "design/ZPlaneDesign.h"

#include <cstdio>
#include <vector>

#include "design/DesignStatus.h"
#include "problem/DEProblem.h"
#include "search/DESearch.h"

namespace dovra {
namespace {

/// A run succeeds at a total cost of at most 1e-12, so a sample may miss its
/// limit by up to 1e-6 (dB or samples); between the samples the same holds.
constexpr double kTolerance = 1e-6;

std::string number(const char* format, double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

/// "Refining: 3 frequencies added, worst excess 0.07 dB at 0.1533".
std::string refiningText(const DEProblem::Refinement& r) {
    std::string text = status::kRefining;
    text += r.added == 0   ? std::string("no frequency could be added")
            : r.added == 1 ? std::string("1 frequency added")
                           : std::to_string(r.added) + " frequencies added";
    text += ", worst excess ";
    if (r.magExcess > 0.0) {
        text += number("%.3g", r.magExcess) + " dB at " + number("%.4g", r.magFrequency);
    }
    if (r.gdExcess > 0.0) {
        text += std::string(r.magExcess > 0.0 ? ", " : "") + number("%.3g", r.gdExcess) +
                " samples at " + number("%.4g", r.gdFrequency);
    }
    return text;
}

} // namespace

long long ZPlaneDesign::evaluations() const {
    long long n = 0;
    for (const Lane& lane : lanes_) {
        n += lane.search->evaluation();
    }
    return n;
}

void ZPlaneDesign::reset() {
    for (Lane& lane : lanes_) {
        lane.unrefinable.reset();
    }
    shown_ = 0;
}

DesignOutcome ZPlaneDesign::step(const DesignContext& context) {
    DesignOutcome outcome;
    for (Lane& lane : lanes_) {
        lane.minimum = lane.search->optimize(*lane.problem);
    }
    shown_ = 0;
    for (std::size_t k = 1; k < lanes_.size(); ++k) {
        if (lanes_[k].minimum < lanes_[static_cast<std::size_t>(shown_)].minimum) {
            shown_ = static_cast<int>(k);
        }
    }
    // The views see the slice's figures before the cost is judged; a view may
    // end the run there (dovra-batch's generation limit).
    context.status.progress();
    for (std::size_t k = 0; k < lanes_.size(); ++k) {
        if (judge(lanes_[k], context, outcome)) {
            shown_ = static_cast<int>(k);
            return outcome;
        }
    }
    return outcome;
}

bool ZPlaneDesign::judge(Lane& lane, const DesignContext& context, DesignOutcome& outcome) {
    DEProblem& problem = *lane.problem;
    DESearch& search = *lane.search;
    problem.bestCost = lane.minimum;
    const int phase = problem.getPhase();
    if (!problem.completed()) {
        return false;
    }
    if (!problem.refinesSamples()) {
        outcome.finished = true;
        outcome.status = status::kSuccess;
        return true;
    }
    // The sampled scheme is met; the scheme itself must be met too.
    if (lane.unrefinable && *lane.unrefinable == search.best()) {
        problem.setPhase(phase);
        return false;
    }
    const DEProblem::Refinement r =
        problem.refineSamples(search.best(), search.offset(), kTolerance);
    if (r.met) {
        outcome.finished = true;
        outcome.status = status::kSuccess;
        return true;
    }
    // Not yet: the search goes on in the phase it was in, scored on the
    // samples it gained.
    problem.setPhase(phase);
    if (r.added > 0) {
        lane.unrefinable.reset();
        search.rescore(problem);
        context.status.progress();
    } else {
        lane.unrefinable = search.best();
    }
    outcome.status = refiningText(r);
    return false;
}

} // namespace dovra
