#pragma once
// The filter realization settings: design method, degrees, radius limits,
// linear-phase and allpass pairs, word length and structure, with the value
// rules of their fields.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/DesignMethod.h"
#include "settings/FieldModel.h"

namespace dovra {

class RealizationSettings : public FieldModel {
  public:
    enum Field {
        NumDegField,
        DenomDegField,
        ZeroRadiusLowField,
        ZeroRadiusHighField,
        PoleRadiusField,
        LinPairField,
        AllpPairField,
        DesignMethodField, // the choice: selection or visibility changed
        WordLengthField,   // the choice
        StructureField,    // the choice: selection or visibility changed
    };

    static constexpr int kMaxNumDeg = 257;
    static constexpr int kMaxPairsOrPoles = 100;
    static constexpr double kMaxZeroRadius = 99.0;
    static constexpr double kMaxPoleRadius = 1.0;

    /// Design-method texts, padded to 27 characters (index 0 .. 6).
    static const std::array<std::string, kDesignMethodCount>& designMethodItems();
    /// Word-length texts: "inf", "32", "31", ... "1".
    static const std::vector<std::string>& wordLengthItems();
    /// Structure texts: "Direct Form", "1st and 2nd order sections".
    static const std::array<std::string, 2>& structureItems();

    explicit RealizationSettings(Console& console);
    /// Takes every value and field text of other; the listener is told of
    /// every field.
    void assign(const RealizationSettings& other);

    // Field texts as the user typed them (pushed by the page) or as the model wrote them.
    void setText(Field field, const std::string& text);
    std::string text(Field field) const;

    int getDesignIdentifierIdx() const;
    void setDesignIdentifierIdx(int index);
    std::string getDesignIdentifier() const;
    /// A selection in the design-method choice. Leaving the Z-plane design
    /// keeps its zero, pole and pair counts aside (a classical or FIR run
    /// replaces them by the degrees of its design); coming back restores them.
    void selectDesignMethod(int index);

    int getNumDeg();
    void setNumDeg(int n);
    int getDenomDeg();
    void setDenomDeg(int n);
    int getNZLinPair();
    void setNZlinPair(int n);
    int getNZPAllpPair();
    void setNZPAllpPair(int n);

    double getZeroRadiusRestrLow();
    void setZeroRadiusRestrLow(double v);
    double getZeroRadiusRestrHigh();
    void setZeroRadiusRestrHigh(double v);
    double getPoleRadiusRestr();
    void setPoleRadiusRestr(double v);

    int getWordLength() const;
    void setWordLength(int w);
    std::int64_t getQuant() const;
    /// A selection in the word-length choice (item 0 "inf", item i 33 - i bits).
    void selectWordLengthItem(int item);
    int wordLengthItem() const;

    int getStructId() const;
    void setStructId(int s);
    /// A selection in the structure choice.
    void selectStructure(int index);

    /// 1 + NumDeg + DenomDeg + NZlinPair + NZPAllpPair, each getter validating.
    long getDimension();

    std::vector<std::string> getProblemIdentifiers() const { return {"IIR"}; }
    int getCurrentProblem() const { return 0; }

    /// Whether the degree, radius and pair fields are shown (Z-plane design only).
    bool realizationFieldsVisible() const;
    /// Whether the structure choice is shown (hidden for the linear-phase FIR designs).
    bool structureVisible() const;

  private:
    int validateInt(Field field, int max, bool warnRange);
    double validateDouble(Field field);
    /// The two zero-radius limits checked as a pair, whichever is asked
    /// first: the lower one within 0 to 99, then the upper one from the lower
    /// one to 99.
    void validateZeroRadii(Changes& changes);
    /// v stored when it lies within lo to hi, else the replacement (said on
    /// the console, and written back into the field).
    void checkLimit(Field field, std::optional<double> v, double lo, double hi, double replacement,
                    double& store, Changes& changes);
    void adaptPanelLayout(int index, Changes& changes);
    void writeInt(Field field, int value, Changes& changes);
    void writeDouble(Field field, double value, Changes& changes);

    std::array<std::string, 7> texts_{};
    int designIdx_ = 0;
    int numDeg_ = 0;
    int denomDeg_ = 0;
    int linPair_ = 0;
    int allpPair_ = 0;
    double zeroLow_ = 0.0;
    double zeroHigh_ = 99.0;
    double pole_ = 1.0;
    int wordLength_ = 0;
    std::int64_t quant_ = -1;
    int structId_ = 0;
    int rememberedStruct_ = 0;
    // The Z-plane counts kept while another method is selected (empty: none).
    std::array<std::string, 4> rememberedCounts_{};
    bool countsRemembered_ = false;
    bool fieldsVisible_ = true;
    bool structureVisible_ = true;
};

} // namespace dovra
