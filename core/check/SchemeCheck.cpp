#include "check/SchemeCheck.h"

#include "DesignSession.h"
#include "problem/Types.h"
#include "text/NumberText.h"

namespace dovra {
namespace {

/// Calls f(table name, table) for the four constraint tables.
template <class F> void forEachConstraintTable(DesignSession& s, F f) {
    f("upper magnitude table", s.magUpper());
    f("lower magnitude table", s.magLower());
    f("upper group delay table", s.gdUpper());
    f("lower group delay table", s.gdLower());
}

} // namespace

std::string schemeRefusal(DesignSession& s) {
    std::string why;
    bool limits = false;
    forEachConstraintTable(s, [&](const char* name, const auto& table) {
        const int n = table.getSize();
        limits = limits || (n >= 2 && n <= kTableCapacity);
        for (int i = 0; i < n && why.empty(); ++i) {
            const std::string& text = table.getRecord(i)->getOmega();
            auto w = text::parseDouble(text);
            if (w && !(*w >= 0.0 && *w <= 0.5)) {
                why = std::string(name) + ", row " + std::to_string(i) + ": Omega " + text +
                      " is outside 0 to 0.5";
            }
        }
    });
    if (!why.empty()) {
        return why;
    }
    if (s.getDesignMethod() == DesignMethod::ZPlane && !limits) {
        return kNothingToDesign;
    }
    return {};
}

std::vector<std::string> schemeNotes(DesignSession& s) {
    std::vector<std::string> notes;
    forEachConstraintTable(s, [&](const char* name, const auto& table) {
        if (table.getSize() == 1) {
            notes.push_back(std::string("The ") + name +
                            " has a single row, which limits nothing: a limit runs from one row "
                            "to the next");
        }
    });
    return notes;
}

} // namespace dovra
