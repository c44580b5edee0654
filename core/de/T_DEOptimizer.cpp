#include "de/T_DEOptimizer.h"

#include <functional>
#include <map>

#include "DesignSession.h"
#include "problem/IIR.h"

namespace dovra {

std::unique_ptr<DEProblem> createProblem(const std::string& className) {
    static const std::map<std::string, std::function<std::unique_ptr<DEProblem>()>> registry{
        {"Dovra.problem.IIR", [] { return std::make_unique<IIR>(); }},
    };
    auto it = registry.find(className);
    if (it == registry.end()) {
        return nullptr;
    }
    return it->second();
}

T_DEOptimizer::T_DEOptimizer(DesignSession& screen) : screen_(screen) {
    auto ids = screen_.getProblemIdentifiers();
    for (std::size_t i = 0; i < ids.size(); ++i) {
        auto p = createProblem("Dovra.problem." + ids[i]);
        if (!p) {
            screen_.console().err("Problem class Dovra.problem." + ids[i] + " not found");
            screen_.console().out("i=" + std::to_string(i));
        }
        problems_.push_back(std::move(p));
    }
}

T_DEOptimizer::~T_DEOptimizer() = default;

void T_DEOptimizer::initProblem() {
    currentProblem_ = screen_.getCurrentProblem();
    if (auto* p = currentProblem()) {
        p->initMisc(screen_);
    }
}

DEProblem* T_DEOptimizer::currentProblem() const {
    if (currentProblem_ < 0 || currentProblem_ >= static_cast<int>(problems_.size())) {
        return nullptr;
    }
    return problems_[static_cast<std::size_t>(currentProblem_)].get();
}

int T_DEOptimizer::getGeneration() const {
    std::lock_guard lock(figuresMutex_);
    return generation_;
}
int T_DEOptimizer::getEvaluation() const {
    std::lock_guard lock(figuresMutex_);
    return evaluation_;
}
double T_DEOptimizer::getMinimum() const {
    std::lock_guard lock(figuresMutex_);
    return minimum_;
}
ParamVector T_DEOptimizer::getBest() const {
    std::lock_guard lock(figuresMutex_);
    return best_;
}
double T_DEOptimizer::getOffset() const {
    std::lock_guard lock(figuresMutex_);
    return offsetAtBest_;
}
int T_DEOptimizer::getPhase() const {
    auto* p = currentProblem();
    return p ? p->getPhase() : 0;
}

void T_DEOptimizer::setResult(int generation, int evaluation, double minimum,
                              const ParamVector& best) {
    std::lock_guard lock(figuresMutex_);
    generation_ = generation;
    evaluation_ = evaluation;
    minimum_ = minimum;
    best_ = best;
}

LayoutRecord T_DEOptimizer::getPZparameters() const {
    auto* p = currentProblem();
    return p ? p->getPZparameters() : LayoutRecord{};
}
double T_DEOptimizer::amag(std::span<const double> x, double w) const {
    auto* p = currentProblem();
    return p ? p->amag(x, w) : 0.0;
}
double T_DEOptimizer::amag_ab(std::span<const double> a, std::span<const double> b, int na,
                              int nb, double w) const {
    auto* p = currentProblem();
    return p ? p->amag_ab(a, b, na, nb, w) : 0.0;
}
double T_DEOptimizer::amag_ff(double w) const {
    auto* p = currentProblem();
    return p ? p->amag_ff(w) : 1.0;
}
double T_DEOptimizer::gdel(std::span<const double> x, double w) const {
    auto* p = currentProblem();
    return p ? p->gdel(x, w) : 0.0;
}
double T_DEOptimizer::gdel_ab(std::span<const double> a, std::span<const double> b, int na,
                              int nb, double w) const {
    auto* p = currentProblem();
    return p ? p->gdel_ab(a, b, na, nb, w) : 0.0;
}
double T_DEOptimizer::gdel_ff(double w) const {
    auto* p = currentProblem();
    return p ? p->gdel_ff(w) : 0.0;
}
int T_DEOptimizer::get_a_degree() const {
    auto* p = currentProblem();
    return p ? p->get_a_degree() : 0;
}
int T_DEOptimizer::get_b_degree() const {
    auto* p = currentProblem();
    return p ? p->get_b_degree() : 0;
}
Coefficients T_DEOptimizer::coeffi_a(std::span<const double> x, std::int64_t q,
                                     int structure) const {
    auto* p = currentProblem();
    return p ? p->coeffi_a(x, q, structure) : Coefficients{};
}
Coefficients T_DEOptimizer::coeffi_b(std::span<const double> x, std::int64_t q,
                                     int structure) const {
    auto* p = currentProblem();
    return p ? p->coeffi_b(x, q, structure) : Coefficients{};
}

} // namespace dovra
