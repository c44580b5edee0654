#pragma once
// Settings of the other pages: the optimization control (population sizes,
// sampling granularity), the group-delay freeze flag, the activity refresh
// rate and the startup page's file names.

#include <string>

#include "settings/FieldModel.h"

namespace dovra {

class OptimizationSettings : public FieldModel {
  public:
    enum Field { NPField, NP2Field, GranularityField, BetweenSamplesField, PortfolioField };
    static constexpr int kMinPopulation = 10;
    static constexpr int kMaxPopulation = 1000;
    static constexpr int kMaxSearches = 64;

    explicit OptimizationSettings(Console& console);
    /// Takes every value and field text of other; the listener is told of
    /// every field.
    void assign(const OptimizationSettings& other);

    void setText(Field field, const std::string& text);
    std::string text(Field field) const;

    int getNP();
    void setNP(int n);
    int getNP2();
    void setNP2(int n);
    std::string getSamplingGranularity() const;
    /// Stores "coarse", "medium" or "fine"; any other text becomes "coarse"
    /// with the line "Invalid sampling value " + text + "...". With debug on,
    /// the text is printed first.
    void setSamplingGranularity(const std::string& s);
    /// "Meet the scheme between the samples": a search succeeds only when its
    /// filter meets the scheme between the samples too (on by default; not
    /// stored in the configuration file).
    bool getMeetBetweenSamples() const;
    void setMeetBetweenSamples(bool on);
    /// Independent searches of a Z-plane run, 1 to kMaxSearches (1 by
    /// default; not stored in the configuration file). Another text becomes 1
    /// with a message that names the field and its range.
    int getPortfolio();
    void setPortfolio(int n);
    double getRange() const { return 2.0; }
    std::string getSamplingMode() const { return "nonlinear"; }
    void setDebug(bool on) { debug_ = on; }

  private:
    int validate(Field field);

    std::string npText_ = "30";
    std::string np2Text_ = "60";
    int np_ = 30;
    int np2_ = 60;
    std::string granularity_ = "coarse";
    bool betweenSamples_ = true;
    std::string portfolioText_ = "1";
    int portfolio_ = 1;
    bool debug_ = false;
};

class GroupDelaySettings : public FieldModel {
  public:
    enum Field { FreezeField };
    explicit GroupDelaySettings(Console& console) : FieldModel(console) {}
    void assign(const GroupDelaySettings& other);
    bool getFreezingStateOfGdConstraints() const;
    void setFreezingStateOfGdConstraints(bool on);
    /// A click on "freeze constraints".
    void toggleFreeze();

  private:
    bool freeze_ = false;
};

class ActivitySettings : public FieldModel {
  public:
    enum Field { RefreshField };
    static constexpr int kDefaultRefresh = 10;

    explicit ActivitySettings(Console& console) : FieldModel(console) {}
    void setText(const std::string& text);
    std::string text() const;
    /// 1 to 100 is stored and returned; anything else stores 10 and writes it back.
    int getRefreshRate();
    void setRefreshRate(int n);

  private:
    std::string text_ = "10";
    int rate_ = kDefaultRefresh;
};

class StartupSettings : public FieldModel {
  public:
    enum Field { ResultsFileField, ConfigFileField };
    explicit StartupSettings(Console& console) : FieldModel(console) {}
    std::string getResultsFileName() const;
    void setResultsFileName(const std::string& name);
    std::string getConfigFileName() const;
    void setConfigFileName(const std::string& name);

  private:
    std::string results_ = "Dovra.out";
    std::string config_;
};

} // namespace dovra
