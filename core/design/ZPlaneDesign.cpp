#include "design/ZPlaneDesign.h"

#include "de/DESearch.h"
#include "de/RunStatus.h"
#include "problem/DEProblem.h"

namespace dovra {

DesignOutcome ZPlaneDesign::step(const DesignContext& context) {
    DesignOutcome outcome;
    if (context.problem == nullptr || context.search == nullptr) {
        outcome.finished = true;
        outcome.status = status::kNoProblem;
        return outcome;
    }
    DEProblem& problem = *context.problem;
    const double minimum = context.search->optimize(problem);
    // The views see the slice's figures before the cost is judged; a view may
    // end the run there (dovra-batch's generation limit).
    context.status.progress();
    problem.bestCost = minimum;
    if (problem.completed()) {
        outcome.finished = true;
        outcome.status = status::kSuccess;
    }
    return outcome;
}

} // namespace dovra
