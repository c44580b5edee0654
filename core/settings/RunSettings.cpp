#include "settings/RunSettings.h"

#include "text/NumberText.h"

namespace dovra {

OptimizationSettings::OptimizationSettings(Console& console) : FieldModel(console) {}

void OptimizationSettings::assign(const OptimizationSettings& o) {
    if (&o == this) {
        return;
    }
    Changes changes(*this);
    std::scoped_lock lock(mutex_, o.mutex_);
    npText_ = o.npText_;
    np2Text_ = o.np2Text_;
    np_ = o.np_;
    np2_ = o.np2_;
    granularity_ = o.granularity_;
    betweenSamples_ = o.betweenSamples_;
    portfolioText_ = o.portfolioText_;
    portfolio_ = o.portfolio_;
    for (int f = NPField; f <= PortfolioField; ++f) {
        changes.add(f);
    }
}

void OptimizationSettings::setText(Field field, const std::string& t) {
    std::lock_guard lock(mutex_);
    if (field == NPField) {
        npText_ = t;
    } else if (field == NP2Field) {
        np2Text_ = t;
    } else if (field == PortfolioField) {
        portfolioText_ = t;
    }
}

std::string OptimizationSettings::text(Field field) const {
    std::lock_guard lock(mutex_);
    if (field == NPField) {
        return npText_;
    }
    if (field == NP2Field) {
        return np2Text_;
    }
    if (field == PortfolioField) {
        return portfolioText_;
    }
    return granularity_;
}

int OptimizationSettings::validate(Field field) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    std::string& t = field == NPField ? npText_ : np2Text_;
    int& store = field == NPField ? np_ : np2_;
    auto n = text::parseInt(t);
    if (n && *n >= kMinPopulation && *n <= kMaxPopulation) {
        store = *n;
        return store;
    }
    const std::string name =
        field == NPField ? "population size" : "population size (refinement phase)";
    if (!n) {
        replaced(notWholeNumber(name, t, std::to_string(kMinPopulation)));
    } else {
        replacedQuietly("Warning! " + name + " " + t + " out of range (" +
                        std::to_string(kMinPopulation) + " to " + std::to_string(kMaxPopulation) +
                        "), using " + std::to_string(kMinPopulation));
    }
    store = kMinPopulation;
    t = std::to_string(kMinPopulation);
    changes.add(field);
    return store;
}

int OptimizationSettings::getPortfolio() {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    auto n = text::parseInt(portfolioText_);
    if (n && *n >= 1 && *n <= kMaxSearches) {
        portfolio_ = static_cast<int>(*n);
        return portfolio_;
    }
    const std::string name = "number of searches";
    if (!n) {
        replaced(notWholeNumber(name, portfolioText_, "1"));
    } else {
        replacedQuietly("Warning! " + name + " " + portfolioText_ + " out of range (1 to " +
                        std::to_string(kMaxSearches) + "), using 1");
    }
    portfolio_ = 1;
    portfolioText_ = "1";
    changes.add(PortfolioField);
    return portfolio_;
}

void OptimizationSettings::setPortfolio(int n) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    portfolio_ = n;
    portfolioText_ = std::to_string(n);
    changes.add(PortfolioField);
}

int OptimizationSettings::getNP() {
    return validate(NPField);
}
int OptimizationSettings::getNP2() {
    return validate(NP2Field);
}

void OptimizationSettings::setNP(int n) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    np_ = n;
    npText_ = std::to_string(n);
    changes.add(NPField);
}

void OptimizationSettings::setNP2(int n) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    np2_ = n;
    np2Text_ = std::to_string(n);
    changes.add(NP2Field);
}

std::string OptimizationSettings::getSamplingGranularity() const {
    std::lock_guard lock(mutex_);
    return granularity_;
}

void OptimizationSettings::setSamplingGranularity(const std::string& s) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    if (debug_) {
        console().out(s);
    }
    if (s == "coarse" || s == "medium" || s == "fine") {
        granularity_ = s;
    } else {
        replaced("Invalid sampling value " + text::printable(s) + "...");
        granularity_ = "coarse";
    }
    changes.add(GranularityField);
}

bool OptimizationSettings::getMeetBetweenSamples() const {
    std::lock_guard lock(mutex_);
    return betweenSamples_;
}

void OptimizationSettings::setMeetBetweenSamples(bool on) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    betweenSamples_ = on;
    changes.add(BetweenSamplesField);
}

void GroupDelaySettings::assign(const GroupDelaySettings& o) {
    if (&o == this) {
        return;
    }
    Changes changes(*this);
    std::scoped_lock lock(mutex_, o.mutex_);
    freeze_ = o.freeze_;
    changes.add(FreezeField);
}

bool GroupDelaySettings::getFreezingStateOfGdConstraints() const {
    std::lock_guard lock(mutex_);
    return freeze_;
}

void GroupDelaySettings::setFreezingStateOfGdConstraints(bool on) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    freeze_ = on;
    changes.add(FreezeField);
}

void GroupDelaySettings::toggleFreeze() {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    freeze_ = !freeze_;
    changes.add(FreezeField);
}

void ActivitySettings::setText(const std::string& t) {
    std::lock_guard lock(mutex_);
    text_ = t;
}

std::string ActivitySettings::text() const {
    std::lock_guard lock(mutex_);
    return text_;
}

int ActivitySettings::getRefreshRate() {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    auto n = text::parseInt(text_);
    if (n && *n >= 1 && *n <= 100) {
        rate_ = *n;
        return rate_;
    }
    if (!n) {
        replaced(notWholeNumber("refresh rate", text_, std::to_string(kDefaultRefresh)));
    } else {
        replacedQuietly("Warning! refresh rate " + text_ + " out of range (1 to 100), using " +
                        std::to_string(kDefaultRefresh));
    }
    rate_ = kDefaultRefresh;
    text_ = std::to_string(kDefaultRefresh);
    changes.add(RefreshField);
    return rate_;
}

void ActivitySettings::setRefreshRate(int n) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    rate_ = n;
    text_ = std::to_string(n);
    changes.add(RefreshField);
}

std::string StartupSettings::getResultsFileName() const {
    std::lock_guard lock(mutex_);
    return results_;
}

void StartupSettings::setResultsFileName(const std::string& name) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    results_ = name;
    changes.add(ResultsFileField);
}

std::string StartupSettings::getConfigFileName() const {
    std::lock_guard lock(mutex_);
    return config_;
}

void StartupSettings::setConfigFileName(const std::string& name) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    config_ = name;
    changes.add(ConfigFileField);
}

} // namespace dovra
