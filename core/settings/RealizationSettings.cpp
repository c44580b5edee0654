#include "settings/RealizationSettings.h"

#include <algorithm>
#include <cmath>

#include "text/NumberText.h"

namespace dovra {
namespace {

// Console lines of the realization settings.
const char* const kNumDegRange = "Warning! numerator degree out of range!";

std::string notANumber(const std::string& name, const std::string& text,
                       const std::string& replacement) {
    return "Warning! " + name + " is not a number: \"" + text::printable(text) + "\", using " +
           replacement;
}

const char* fieldName(RealizationSettings::Field f) {
    switch (f) {
    case RealizationSettings::NumDegField:
        return "numerator degree (single zeros)";
    case RealizationSettings::DenomDegField:
        return "denominator degree (single poles)";
    case RealizationSettings::ZeroRadiusLowField:
        return "zero radius lower limit";
    case RealizationSettings::ZeroRadiusHighField:
        return "zero radius upper limit";
    case RealizationSettings::PoleRadiusField:
        return "pole radius limit";
    case RealizationSettings::LinPairField:
        return "linear phase zero pairs";
    case RealizationSettings::AllpPairField:
        return "allpass pole/zero pairs";
    default:
        return "field";
    }
}

std::int64_t quantFor(int wordLength) {
    if (wordLength == 0) {
        return -1;
    }
    return static_cast<std::int64_t>(std::pow(2.0, wordLength - 1));
}

} // namespace

const std::array<std::string, kDesignMethodCount>& RealizationSettings::designMethodItems() {
    static const std::array<std::string, kDesignMethodCount> items{
        "Z-plane design             ", "Butterworth         (IIR)  ", "Chebychev-Type1     (IIR)  ",
        "Chebychev-Type2     (IIR)  ", "Elliptic            (IIR)  ", "Equiripple-linphase (FIR)  ",
        "MaxFlat-linphase    (FIR)  ", "Equiripple-Remez    (FIR)  "};
    return items;
}

const std::vector<std::string>& RealizationSettings::wordLengthItems() {
    static const std::vector<std::string> items = [] {
        std::vector<std::string> v{"inf"};
        for (int w = 32; w >= 1; --w) {
            v.push_back(std::to_string(w));
        }
        return v;
    }();
    return items;
}

const std::array<std::string, 2>& RealizationSettings::structureItems() {
    static const std::array<std::string, 2> items{"Direct Form", "1st and 2nd order sections"};
    return items;
}

RealizationSettings::RealizationSettings(Console& console) : FieldModel(console) {
    texts_[NumDegField] = "0";
    texts_[DenomDegField] = "0";
    texts_[ZeroRadiusLowField] = text::formatDouble(0.0);
    texts_[ZeroRadiusHighField] = text::formatDouble(99.0);
    texts_[PoleRadiusField] = text::formatDouble(1.0);
    texts_[LinPairField] = "0";
    texts_[AllpPairField] = "0";
}

void RealizationSettings::assign(const RealizationSettings& o) {
    if (&o == this) {
        return;
    }
    Changes changes(*this);
    std::scoped_lock lock(mutex_, o.mutex_);
    texts_ = o.texts_;
    designIdx_ = o.designIdx_;
    numDeg_ = o.numDeg_;
    denomDeg_ = o.denomDeg_;
    linPair_ = o.linPair_;
    allpPair_ = o.allpPair_;
    zeroLow_ = o.zeroLow_;
    zeroHigh_ = o.zeroHigh_;
    pole_ = o.pole_;
    wordLength_ = o.wordLength_;
    quant_ = o.quant_;
    structId_ = o.structId_;
    rememberedStruct_ = o.rememberedStruct_;
    rememberedCounts_ = o.rememberedCounts_;
    countsRemembered_ = o.countsRemembered_;
    fieldsVisible_ = o.fieldsVisible_;
    structureVisible_ = o.structureVisible_;
    for (int f = NumDegField; f <= StructureField; ++f) {
        changes.add(f);
    }
}

void RealizationSettings::setText(Field field, const std::string& t) {
    std::lock_guard lock(mutex_);
    if (field >= NumDegField && field <= AllpPairField) {
        texts_[field] = t;
    }
}

std::string RealizationSettings::text(Field field) const {
    std::lock_guard lock(mutex_);
    if (field >= NumDegField && field <= AllpPairField) {
        return texts_[field];
    }
    return {};
}

void RealizationSettings::writeInt(Field field, int value, Changes& changes) {
    texts_[field] = std::to_string(value);
    changes.add(field);
}

void RealizationSettings::writeDouble(Field field, double value, Changes& changes) {
    texts_[field] = text::formatDouble(value);
    changes.add(field);
}

int RealizationSettings::getDesignIdentifierIdx() const {
    std::lock_guard lock(mutex_);
    return designIdx_;
}

void RealizationSettings::setDesignIdentifierIdx(int index) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= kDesignMethodCount) {
        replaced("Warning! design method index " + std::to_string(index) + " out of range (0 to " +
                 std::to_string(kDesignMethodCount - 1) + "), using 0");
        index = 0;
    }
    designIdx_ = index;
    changes.add(DesignMethodField);
    adaptPanelLayout(index, changes);
}

namespace {
constexpr std::array<RealizationSettings::Field, 4> kCountFields{
    RealizationSettings::NumDegField, RealizationSettings::DenomDegField,
    RealizationSettings::LinPairField, RealizationSettings::AllpPairField};
}

void RealizationSettings::selectDesignMethod(int index) {
    {
        Changes changes(*this);
        std::lock_guard lock(mutex_);
        if (designIdx_ == 0 && index != 0) {
            for (std::size_t i = 0; i < kCountFields.size(); ++i) {
                rememberedCounts_[i] = texts_[kCountFields[i]];
            }
            countsRemembered_ = true;
        } else if (designIdx_ != 0 && index == 0 && countsRemembered_) {
            // The texts come back; the getters check them as they always do.
            for (std::size_t i = 0; i < kCountFields.size(); ++i) {
                texts_[kCountFields[i]] = rememberedCounts_[i];
                changes.add(kCountFields[i]);
            }
            countsRemembered_ = false;
        }
    }
    setDesignIdentifierIdx(index);
}

std::string RealizationSettings::getDesignIdentifier() const {
    std::lock_guard lock(mutex_);
    return designMethodItems()[static_cast<std::size_t>(
        std::clamp(designIdx_, 0, static_cast<int>(designMethodItems().size()) - 1))];
}

void RealizationSettings::adaptPanelLayout(int index, Changes& changes) {
    if (index == 0) {
        fieldsVisible_ = true;
        structureVisible_ = true;
        structId_ = rememberedStruct_;
    } else if (index >= 1 && index <= 4) {
        fieldsVisible_ = false;
        structureVisible_ = true;
        structId_ = rememberedStruct_;
    } else {
        // Linear-phase FIR designs are always direct form; the user's choice
        // is remembered for the next IIR method. Moving from one FIR design to
        // another keeps it: the forced direct form is not the user's choice.
        fieldsVisible_ = false;
        if (structureVisible_) {
            rememberedStruct_ = structId_;
        }
        structureVisible_ = false;
        structId_ = 0;
    }
    changes.add(StructureField);
}

int RealizationSettings::validateInt(Field field, int max, bool warnRange) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    int* store = field == NumDegField     ? &numDeg_
                 : field == DenomDegField ? &denomDeg_
                 : field == LinPairField  ? &linPair_
                                          : &allpPair_;
    auto n = text::parseInt(texts_[field]);
    if (!n) {
        replaced(notWholeNumber(fieldName(field), texts_[field], "0"));
        *store = 0;
        writeInt(field, 0, changes);
    } else if (*n >= 0 && *n <= max) {
        *store = *n;
    } else {
        *store = 0;
        writeInt(field, 0, changes);
        if (warnRange) {
            replaced(kNumDegRange);
        }
        // The views are told which field, its range and the value used.
        replacedQuietly("Warning! " + std::string(fieldName(field)) + " " + std::to_string(*n) +
                        " out of range (0 to " + std::to_string(max) + "), using 0");
    }
    return *store;
}

double RealizationSettings::validateDouble(Field field) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    if (field == ZeroRadiusLowField || field == ZeroRadiusHighField) {
        validateZeroRadii(changes);
        return field == ZeroRadiusLowField ? zeroLow_ : zeroHigh_;
    }
    // The pole radius limit: 0 to 1.
    auto v = text::parseDouble(texts_[PoleRadiusField]);
    checkLimit(PoleRadiusField, v, 0.0, kMaxPoleRadius, kMaxPoleRadius, pole_, changes);
    return pole_;
}

void RealizationSettings::checkLimit(Field field, std::optional<double> v, double lo, double hi,
                                     double replacement, double& store, Changes& changes) {
    if (!v) {
        replaced(notANumber(fieldName(field), texts_[field], text::formatDouble(replacement)));
    } else if (!(*v >= lo && *v <= hi)) {
        replacedQuietly("Warning! " + std::string(fieldName(field)) + " " + texts_[field] +
                        " out of range (" + text::formatDouble(lo) + " to " +
                        text::formatDouble(hi) + "), using " + text::formatDouble(replacement));
    }
    // A non-number (NaN) fails both comparisons and is replaced like an
    // out-of-range value.
    if (v && *v >= lo && *v <= hi) {
        store = *v;
    } else {
        store = replacement;
        writeDouble(field, replacement, changes);
    }
}

void RealizationSettings::validateZeroRadii(Changes& changes) {
    // Checked as a pair in one order, so that which getter is called first
    // (the window, a run, a save) never changes the outcome, and a task
    // written by Save As reads back to the same limits.
    checkLimit(ZeroRadiusLowField, text::parseDouble(texts_[ZeroRadiusLowField]), 0.0,
               kMaxZeroRadius, 0.0, zeroLow_, changes);
    checkLimit(ZeroRadiusHighField, text::parseDouble(texts_[ZeroRadiusHighField]), zeroLow_,
               kMaxZeroRadius, kMaxZeroRadius, zeroHigh_, changes);
}

int RealizationSettings::getNumDeg() {
    return validateInt(NumDegField, kMaxNumDeg, true);
}
int RealizationSettings::getDenomDeg() {
    return validateInt(DenomDegField, kMaxPairsOrPoles, false);
}
int RealizationSettings::getNZLinPair() {
    return validateInt(LinPairField, kMaxPairsOrPoles, false);
}
int RealizationSettings::getNZPAllpPair() {
    return validateInt(AllpPairField, kMaxPairsOrPoles, false);
}

void RealizationSettings::setNumDeg(int n) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    numDeg_ = n;
    writeInt(NumDegField, n, changes);
}
void RealizationSettings::setDenomDeg(int n) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    denomDeg_ = n;
    writeInt(DenomDegField, n, changes);
}
void RealizationSettings::setNZlinPair(int n) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    linPair_ = n;
    writeInt(LinPairField, n, changes);
}
void RealizationSettings::setNZPAllpPair(int n) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    allpPair_ = n;
    writeInt(AllpPairField, n, changes);
}

double RealizationSettings::getZeroRadiusRestrLow() {
    return validateDouble(ZeroRadiusLowField);
}
double RealizationSettings::getZeroRadiusRestrHigh() {
    return validateDouble(ZeroRadiusHighField);
}
double RealizationSettings::getPoleRadiusRestr() {
    return validateDouble(PoleRadiusField);
}

void RealizationSettings::setZeroRadiusRestrLow(double v) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    zeroLow_ = v;
    writeDouble(ZeroRadiusLowField, v, changes);
}
void RealizationSettings::setZeroRadiusRestrHigh(double v) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    zeroHigh_ = v;
    writeDouble(ZeroRadiusHighField, v, changes);
}
void RealizationSettings::setPoleRadiusRestr(double v) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    pole_ = v;
    writeDouble(PoleRadiusField, v, changes);
}

int RealizationSettings::getWordLength() const {
    std::lock_guard lock(mutex_);
    return wordLength_;
}

void RealizationSettings::setWordLength(int w) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    if (w < 0 || w > 32) {
        // The word-length choice offers 1 to 32 bits and "inf"; a value beyond
        // would quantize to a step the window cannot show.
        replaced("Warning! word length " + std::to_string(w) +
                 " out of range (0 to 32), using inf");
        w = 0;
    }
    wordLength_ = w;
    quant_ = quantFor(w);
    changes.add(WordLengthField);
}

std::int64_t RealizationSettings::getQuant() const {
    std::lock_guard lock(mutex_);
    return quant_;
}

void RealizationSettings::selectWordLengthItem(int item) {
    if (item <= 0 || item > 32) {
        setWordLength(0);
    } else {
        setWordLength(33 - item);
    }
}

int RealizationSettings::wordLengthItem() const {
    std::lock_guard lock(mutex_);
    return wordLength_ == 0 ? 0 : 33 - wordLength_;
}

int RealizationSettings::getStructId() const {
    std::lock_guard lock(mutex_);
    return structId_;
}

void RealizationSettings::setStructId(int s) {
    Changes changes(*this);
    std::lock_guard lock(mutex_);
    if (s != 0 && s != 1) {
        replaced("Warning! structure " + std::to_string(s) + " out of range (0 or 1), using 0");
        s = 0;
    }
    structId_ = s;
    rememberedStruct_ = s;
    changes.add(StructureField);
}

void RealizationSettings::selectStructure(int index) {
    setStructId(index);
}

long RealizationSettings::getDimension() {
    long d = getDenomDeg();
    d += getNumDeg();
    d += getNZLinPair();
    d += getNZPAllpPair();
    return d + 1;
}

bool RealizationSettings::realizationFieldsVisible() const {
    std::lock_guard lock(mutex_);
    return fieldsVisible_;
}

bool RealizationSettings::structureVisible() const {
    std::lock_guard lock(mutex_);
    return structureVisible_;
}

} // namespace dovra
