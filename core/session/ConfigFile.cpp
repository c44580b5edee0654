#include "session/ConfigFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>

#include "data/LineReader.h"
#include "session/DesignSession.h"
#include "text/AtomicFile.h"
#include "text/NumberText.h"

namespace dovra {
namespace {

// --- console texts of the configuration file ------------------------------------

struct BlockTexts {
    const char* inputError;  // the count line could not be read
    const char* formatError; // the count line is not a row count
};

const BlockTexts kUpperMagnitude{"IOException in upper magnitude section: ",
                                 "NumberFormatException in upper magnitude section: "};
const BlockTexts kLowerMagnitude{"IOException in lower magnitude section: ",
                                 "NumberFormatException in lower magnitude section: "};
const BlockTexts kUpperGroupDelay{"IOException in upper group delay section: ",
                                  "NumberFormatException in upper group delay section: "};
const BlockTexts kLowerGroupDelay{"IOException in lower group delay section: ",
                                  "NumberFormatException in lower group delay section: "};
const BlockTexts kNumerator{"IOException in fixed filter numerator coefficients: ",
                            "NumberFormatException in fixed filter numerator coefficients: "};
const BlockTexts kDenominator{"IOException in fixed filter denominator coefficients: ",
                              "NumberFormatException in fixed filter denominator coefficients: "};

const char* const kNumDeg = "NumDeg not read, Exception:";
const char* const kDenomDeg = "DenomDeg not read, Exception:";
const char* const kNZlinPair = "NZlinPair not read, Exception:";
const char* const kNP = "NP not read, Exception:";
const char* const kGranularity = "Sampling granularity not read, Exception:";
const char* const kWordLength = "Wordlength not read, Exception:";
const char* const kNP2 = "NP2 not read, Exception:";
const char* const kNZPAllpPair = "NZPAllpPair not read, Exception:";
const char* const kRadius = "Pole radius restrictions not read, Exception:";
const char* const kStructId = "StructId not read, Exception:";
const char* const kFreeze = "FreezingStateOfGdConstraints, Exception:";
const char* const kDesignType = "Design type ID not read, Exception:";

const char* const kIOException = "IOException: ";
const char* const kFileNotFound = "FileNotFoundException: ";

std::string loadEndedAt(int line) {
    return "Configuration file not fully loaded: reading ended at line " + std::to_string(line) +
           ", the remaining values keep their settings";
}

// --- failure texts that follow the fixed texts ------------------------------------

const char* const kEndOfFile = "end of file";
const char* const kReadError = "read error";

std::string notANumber(const std::string& line) {
    return "For input string: \"" + line + "\"";
}

std::string negativeCount(const std::string& line) {
    return "negative row count: \"" + line + "\"";
}

// --- reading ------------------------------------------------------------------------

class Reader {
  public:
    Reader(DesignSession& s, std::istream& in, LoadFailure* failure)
        : s_(s), in_(in), failure_(failure) {}

    bool readAll() {
        block(s_.magUpper(), kUpperMagnitude);
        block(s_.magLower(), kLowerMagnitude);
        block(s_.gdUpper(), kUpperGroupDelay);
        block(s_.gdLower(), kLowerGroupDelay);
        bool complete = intItem(kNumDeg, [&](int v) { s_.setNumDeg(v); }) &&
                        intItem(kDenomDeg, [&](int v) { s_.setDenomDeg(v); }) &&
                        intItem(kNZlinPair, [&](int v) { s_.setNZlinPair(v); }) &&
                        intItem(kNP, [&](int v) { s_.setNP(v); }) && granularityItem() &&
                        intItem(kWordLength, [&](int v) { s_.setWordLength(v); }) &&
                        intItem(kNP2, [&](int v) { s_.setNP2(v); }) &&
                        intItem(kNZPAllpPair, [&](int v) { s_.setNZPAllpPair(v); }) &&
                        doubleItem(kRadius, [&](double v) { s_.setPoleRadiusRestr(v); }) &&
                        doubleItem(kRadius, [&](double v) { s_.setZeroRadiusRestrLow(v); }) &&
                        doubleItem(kRadius, [&](double v) { s_.setZeroRadiusRestrHigh(v); });
        if (!complete) {
            return false;
        }
        block(s_.ffNumerator(), kNumerator);
        block(s_.ffDenominator(), kDenominator);
        // The structure goes before the design method: a method that allows a
        // structure then keeps the one just set.
        if (intItem(kStructId, [&](int v) { s_.setStructId(v); }) && freezeItem()) {
            intItem(kDesignType, [&](int v) { s_.setDesignIdentifierIdx(v); });
        }
        return clean_;
    }

  private:
    /// A failing item's message; fileLine is the line of the file it failed at.
    void report(const std::string& line, int fileLine) {
        if (clean_ && failure_) {
            *failure_ = {line, fileLine};
        }
        clean_ = false;
        s_.console().out(line, LineKind::Error);
    }

    /// The text that follows a fixed text when no line could be read.
    const char* noLineText() const { return in_.failed() ? kReadError : kEndOfFile; }

    /// Ends the load at the current item: its message, then the line that says so.
    bool endLoad(const char* message, const std::string& failure, bool lineWasRead) {
        const int at = in_.lineNumber() + (lineWasRead ? 0 : 1);
        report(message + failure, at);
        report(loadEndedAt(at), at);
        return false;
    }

    template <class Table> void block(Table& table, const BlockTexts& texts) {
        int count = 0;
        auto line = in_.readLine();
        if (!line) {
            report(texts.inputError + std::string(noLineText()), in_.lineNumber() + 1);
        } else if (auto n = text::parseInt(*line); !n) {
            report(texts.formatError + notANumber(*line), in_.lineNumber());
        } else if (*n < 0) {
            report(texts.formatError + negativeCount(*line), in_.lineNumber());
        } else {
            count = *n;
        }
        table.clear();
        for (int i = 0; i < count; ++i) {
            auto row = table.newRecord();
            int before = in_.lineNumber();
            bool whole = row.read(in_);
            if (!whole && in_.failed()) {
                report(kIOException + std::string(kReadError), in_.lineNumber() + 1);
            }
            // The row the input ended in is kept with what it got; rows that
            // would begin after the end are not made up (a count far beyond
            // the file's length must not fill the memory with empty rows).
            if (!whole && in_.lineNumber() == before) {
                break;
            }
            table.addRecord(std::move(row));
            if (!whole) {
                break;
            }
        }
    }

    bool intItem(const char* message, const std::function<void(int)>& set) {
        auto line = in_.readLine();
        if (!line) {
            return endLoad(message, noLineText(), false);
        }
        auto v = text::parseInt(*line);
        if (!v) {
            return endLoad(message, notANumber(*line), true);
        }
        set(*v);
        return true;
    }

    bool doubleItem(const char* message, const std::function<void(double)>& set) {
        auto line = in_.readLine();
        if (!line) {
            return endLoad(message, noLineText(), false);
        }
        auto v = text::parseDouble(*line);
        if (!v) {
            return endLoad(message, notANumber(*line), true);
        }
        set(*v);
        return true;
    }

    /// A missing line gives the setter an empty text, which it reports as an
    /// invalid value; the line after it is then missing as well.
    bool granularityItem() {
        auto line = in_.readLine();
        if (!line && in_.failed()) {
            return endLoad(kGranularity, kReadError, false);
        }
        s_.setSamplingGranularity(line.value_or(std::string()));
        return true;
    }

    /// True only for the word true in any case; anything else, a missing line
    /// included, is false.
    bool freezeItem() {
        auto line = in_.readLine();
        if (!line && in_.failed()) {
            return endLoad(kFreeze, kReadError, false);
        }
        s_.setFreezingStateOfGdConstraints(line && text::parseBool(*line));
        return true;
    }

    DesignSession& s_;
    LineReader in_;
    LoadFailure* failure_;
    bool clean_ = true;
};

// --- writing ------------------------------------------------------------------------

template <class Table> void writeBlock(const Table& table, std::ostream& out) {
    out << table.getSize() << '\n';
    for (int i = 0; i < table.getSize(); ++i) {
        table.getRecord(i)->write(out);
    }
}

void line(std::ostream& out, const std::string& text) {
    out << text << '\n';
}

} // namespace

void writeConfiguration(DesignSession& s, std::ostream& out) {
    writeBlock(s.magUpper(), out);
    writeBlock(s.magLower(), out);
    writeBlock(s.gdUpper(), out);
    writeBlock(s.gdLower(), out);
    line(out, text::formatInt(s.getNumDeg()));
    line(out, text::formatInt(s.getDenomDeg()));
    line(out, text::formatInt(s.getNZLinPair()));
    line(out, text::formatInt(s.getNP()));
    line(out, s.getSamplingGranularity());
    line(out, text::formatInt(s.getWordLength()));
    line(out, text::formatInt(s.getNP2()));
    line(out, text::formatInt(s.getNZPAllpPair()));
    line(out, text::formatDouble(s.getPoleRadiusRestr()));
    line(out, text::formatDouble(s.getZeroRadiusRestrLow()));
    line(out, text::formatDouble(s.getZeroRadiusRestrHigh()));
    writeBlock(s.ffNumerator(), out);
    writeBlock(s.ffDenominator(), out);
    line(out, text::formatInt(s.getStructId()));
    line(out, text::formatBool(s.getFreezingStateOfGdConstraints()));
    line(out, text::formatInt(s.getDesignIdentifierIdx()));
}

bool readConfiguration(DesignSession& s, std::istream& in, LoadFailure* failure) {
    return Reader(s, in, failure).readAll();
}

bool saveDatabase(DesignSession& s, const std::string& path) {
    // The whole text is built before the file is touched, so a failure cannot
    // leave a half-written file behind.
    std::ostringstream text;
    writeConfiguration(s, text);
    std::string error;
    std::string note;
    if (!writeFileAtomically(path, text.str(), error, nullptr, &note)) {
        s.console().out(kIOException + error, LineKind::Error);
        return false;
    }
    if (!note.empty()) {
        s.console().out(note, LineKind::Warning);
    }
    return true;
}

bool openDatabase(DesignSession& s, const std::string& path, LoadFailure* failure) {
    s.startup().setConfigFileName(path);
    // A folder opens for reading on some systems and then fails on the first
    // read, which would empty every table; refuse it before anything changes.
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        const std::string line = kFileNotFound + path + " (" + std::strerror(EISDIR) + ")";
        s.console().out(line, LineKind::Error);
        if (failure) {
            *failure = {line, 0};
        }
        return false;
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        int e = errno;
        const std::string line =
            kFileNotFound + path + " (" + (e != 0 ? std::strerror(e) : "cannot be opened") + ")";
        s.console().out(line, LineKind::Error);
        if (failure) {
            *failure = {line, 0};
        }
        return false;
    }
    return readConfiguration(s, in, failure);
}

} // namespace dovra
