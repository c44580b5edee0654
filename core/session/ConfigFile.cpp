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
#include "session/DesignTask.h"
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

/// "line 3: NumDeg not read, Exception:For input string: ..." (or the message
/// alone when no line is known).
std::string where(const LoadFailure& f) {
    return f.line > 0 ? "line " + std::to_string(f.line) + ": " + f.message : f.message;
}

// The one line that ends a load that was not complete.
std::string notLoaded(const LoadFailure& f) {
    return "Configuration file not loaded: " + where(f) + "; the task is as it was";
}
std::string loadedInPart(const LoadFailure& f) {
    return "Configuration file loaded in part: " + where(f) +
           "; the items from there on keep their values";
}

/// The largest file a task can be: six tables of the largest size a file may
/// give, with room to spare. A larger one is no task, and reading it would
/// only fill the memory.
constexpr std::uintmax_t kMaxFileBytes = 16u << 20;
/// Rows a table may get from a file; a larger count is no task's.
constexpr int kMaxRows = 65536;

// --- failure texts that follow the fixed texts ------------------------------------

const char* const kEndOfFile = "end of file";
const char* const kReadError = "read error";

// A line of the file as a message quotes it: bytes that are not printable
// are shown by their code, a long line is cut.
std::string notANumber(std::string_view line) {
    return "For input string: \"" + text::printable(line) + "\"";
}

std::string negativeCount(std::string_view line) {
    return "negative row count: \"" + text::printable(line) + "\"";
}

std::string tooManyRows(std::string_view line) {
    return "row count " + text::printable(line) + " is more than a table may hold (" +
           std::to_string(kMaxRows) + ")";
}

// --- reading ------------------------------------------------------------------------

class Reader {
  public:
    Reader(DesignTask& t, std::istream& in, LoadFailure* failure)
        : t_(t), in_(in), failure_(failure) {}

    bool readAll() {
        RealizationSettings& r = t_.realization();
        OptimizationSettings& o = t_.optimization();
        block(t_.magUpper(), kUpperMagnitude);
        block(t_.magLower(), kLowerMagnitude);
        block(t_.gdUpper(), kUpperGroupDelay);
        block(t_.gdLower(), kLowerGroupDelay);
        bool complete = intItem(kNumDeg, [&](int v) { r.setNumDeg(v); }) &&
                        intItem(kDenomDeg, [&](int v) { r.setDenomDeg(v); }) &&
                        intItem(kNZlinPair, [&](int v) { r.setNZlinPair(v); }) &&
                        intItem(kNP, [&](int v) { o.setNP(v); }) && granularityItem() &&
                        intItem(kWordLength, [&](int v) { r.setWordLength(v); }) &&
                        intItem(kNP2, [&](int v) { o.setNP2(v); }) &&
                        intItem(kNZPAllpPair, [&](int v) { r.setNZPAllpPair(v); }) &&
                        doubleItem(kRadius, [&](double v) { r.setPoleRadiusRestr(v); }) &&
                        doubleItem(kRadius, [&](double v) { r.setZeroRadiusRestrLow(v); }) &&
                        doubleItem(kRadius, [&](double v) { r.setZeroRadiusRestrHigh(v); });
        if (!complete) {
            return false;
        }
        block(t_.ffNumerator(), kNumerator);
        block(t_.ffDenominator(), kDenominator);
        // The structure goes before the design method: a method that allows a
        // structure then keeps the one just set.
        if (intItem(kStructId, [&](int v) { r.setStructId(v); }) && freezeItem()) {
            intItem(kDesignType, [&](int v) { r.setDesignIdentifierIdx(v); });
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
        t_.console().out(line, LineKind::Error);
    }

    /// The text that follows a fixed text when no line could be read.
    const char* noLineText() const { return in_.failed() ? kReadError : kEndOfFile; }

    /// Ends the load at the current item, with its message.
    bool endLoad(const char* message, const std::string& failure, bool lineWasRead) {
        report(message + failure, in_.lineNumber() + (lineWasRead ? 0 : 1));
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
        } else if (*n > kMaxRows) {
            report(texts.formatError + tooManyRows(*line), in_.lineNumber());
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
        t_.optimization().setSamplingGranularity(std::string(line.value_or(std::string_view())));
        return true;
    }

    /// True only for the word true in any case; anything else, a missing line
    /// included, is false.
    bool freezeItem() {
        auto line = in_.readLine();
        if (!line && in_.failed()) {
            return endLoad(kFreeze, kReadError, false);
        }
        t_.groupDelay().setFreezingStateOfGdConstraints(line && text::parseBool(*line));
        return true;
    }

    DesignTask& t_;
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

void writeConfiguration(DesignTask& t, std::ostream& out) {
    RealizationSettings& r = t.realization();
    OptimizationSettings& o = t.optimization();
    writeBlock(t.magUpper(), out);
    writeBlock(t.magLower(), out);
    writeBlock(t.gdUpper(), out);
    writeBlock(t.gdLower(), out);
    line(out, text::formatInt(r.getNumDeg()));
    line(out, text::formatInt(r.getDenomDeg()));
    line(out, text::formatInt(r.getNZLinPair()));
    line(out, text::formatInt(o.getNP()));
    line(out, o.getSamplingGranularity());
    line(out, text::formatInt(r.getWordLength()));
    line(out, text::formatInt(o.getNP2()));
    line(out, text::formatInt(r.getNZPAllpPair()));
    line(out, text::formatDouble(r.getPoleRadiusRestr()));
    line(out, text::formatDouble(r.getZeroRadiusRestrLow()));
    line(out, text::formatDouble(r.getZeroRadiusRestrHigh()));
    writeBlock(t.ffNumerator(), out);
    writeBlock(t.ffDenominator(), out);
    line(out, text::formatInt(r.getStructId()));
    line(out, text::formatBool(t.groupDelay().getFreezingStateOfGdConstraints()));
    line(out, text::formatInt(r.getDesignIdentifierIdx()));
}

bool readConfiguration(DesignTask& t, std::istream& in, LoadFailure* failure) {
    return Reader(t, in, failure).readAll();
}

bool saveDatabase(DesignSession& s, const std::string& path) {
    // The whole text is built before the file is touched, so a failure cannot
    // leave a half-written file behind.
    std::ostringstream text;
    writeConfiguration(s.task(), text);
    std::string error;
    std::string note;
    if (!writeFileAtomically(path, text.str(), error, nullptr, &note)) {
        s.console().out(kIOException + error, LineKind::Error);
        return false;
    }
    if (!note.empty()) {
        s.console().out(note, LineKind::Warning);
    }
    s.markSaved();
    return true;
}

bool openDatabase(DesignSession& s, const std::string& path, LoadFailure* failure, LoadMode mode) {
    s.startup().setConfigFileName(path);
    auto refuse = [&](const std::string& why) {
        const std::string line =
            kFileNotFound + text::printable(path, std::string::npos) + " (" + why + ")";
        s.console().out(line, LineKind::Error);
        if (failure) {
            *failure = {line, 0};
        }
        return false;
    };
    // A folder opens for reading on some systems and then fails on the first
    // read; a file far larger than a task would only fill the memory.
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return refuse(std::strerror(EISDIR));
    }
    if (const auto bytes = std::filesystem::file_size(path, ec); !ec && bytes > kMaxFileBytes) {
        return refuse(std::to_string(bytes) + " bytes, more than a design task can be (at most " +
                      std::to_string(kMaxFileBytes) + ")");
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        const int e = errno;
        return refuse(e != 0 ? std::strerror(e) : "cannot be opened");
    }
    // Read into a copy of the task: only a complete read replaces it (or,
    // when asked, what could be read, the later items keeping their values).
    DesignTask read(s.console());
    read.assign(s.task());
    LoadFailure first;
    const bool complete = readConfiguration(read, in, &first);
    if (complete || mode == LoadMode::WhatCouldBeRead) {
        s.task().assign(read);
    }
    if (complete) {
        s.markSaved();
    }
    if (!complete) {
        s.console().out(mode == LoadMode::WhatCouldBeRead ? loadedInPart(first) : notLoaded(first),
                        LineKind::Error);
        if (failure) {
            *failure = first;
        }
    }
    return complete;
}

} // namespace dovra
