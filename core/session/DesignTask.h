#pragma once
// A design task: what a configuration file holds. The six tables (upper and
// lower magnitude, upper and lower group delay, prefilter numerator and
// denominator) and the settings of the realization, the optimization control
// and the group-delay page. The session holds the current task; a file is
// read into a copy of it first, so that only a complete read replaces it.

#include "data/Tables.h"
#include "settings/RealizationSettings.h"
#include "settings/RunSettings.h"
#include "text/Console.h"

namespace dovra {

class DesignTask {
  public:
    explicit DesignTask(Console& console)
        : console_(console), realization_(console), optimization_(console), groupDelay_(console) {}
    DesignTask(const DesignTask&) = delete;
    DesignTask& operator=(const DesignTask&) = delete;

    Console& console() { return console_; }

    MagConstraintsDataBase& magUpper() { return magUpper_; }
    MagConstraintsDataBase& magLower() { return magLower_; }
    GdConstraintsDataBase& gdUpper() { return gdUpper_; }
    GdConstraintsDataBase& gdLower() { return gdLower_; }
    FixedFilterDataBase& ffNumerator() { return ffNumerator_; }
    FixedFilterDataBase& ffDenominator() { return ffDenominator_; }
    const MagConstraintsDataBase& magUpper() const { return magUpper_; }
    const MagConstraintsDataBase& magLower() const { return magLower_; }
    const GdConstraintsDataBase& gdUpper() const { return gdUpper_; }
    const GdConstraintsDataBase& gdLower() const { return gdLower_; }
    const FixedFilterDataBase& ffNumerator() const { return ffNumerator_; }
    const FixedFilterDataBase& ffDenominator() const { return ffDenominator_; }

    RealizationSettings& realization() { return realization_; }
    OptimizationSettings& optimization() { return optimization_; }
    GroupDelaySettings& groupDelay() { return groupDelay_; }
    const RealizationSettings& realization() const { return realization_; }
    const OptimizationSettings& optimization() const { return optimization_; }
    const GroupDelaySettings& groupDelay() const { return groupDelay_; }

    /// Takes every row and setting of other; the pages that show this task's
    /// settings are told of each.
    void assign(const DesignTask& other) {
        magUpper_.assignRows(other.magUpper_);
        magLower_.assignRows(other.magLower_);
        gdUpper_.assignRows(other.gdUpper_);
        gdLower_.assignRows(other.gdLower_);
        ffNumerator_.assignRows(other.ffNumerator_);
        ffDenominator_.assignRows(other.ffDenominator_);
        realization_.assign(other.realization_);
        optimization_.assign(other.optimization_);
        groupDelay_.assign(other.groupDelay_);
    }

  private:
    Console& console_;
    MagConstraintsDataBase magUpper_;
    MagConstraintsDataBase magLower_;
    GdConstraintsDataBase gdUpper_;
    GdConstraintsDataBase gdLower_;
    FixedFilterDataBase ffNumerator_;
    FixedFilterDataBase ffDenominator_;
    RealizationSettings realization_;
    OptimizationSettings optimization_;
    GroupDelaySettings groupDelay_;
};

} // namespace dovra
