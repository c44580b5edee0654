// What Start refuses in a tolerance scheme, and what it only notes.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "check/StartCheck.h"
#include "core/problem/SchemeBuilder.h"
#include "text/NumberText.h"

namespace {

using dovra::testing::Rows;

std::vector<dovra::StartValues::Row> texts(const Rows& rows) {
    std::vector<dovra::StartValues::Row> out;
    for (const auto& [w, limit] : rows) {
        out.push_back({dovra::text::formatDouble(w), dovra::text::formatDouble(limit)});
    }
    return out;
}

struct SchemeCase {
    const char* name;
    int method;
    Rows magUpper, magLower, gdUpper, gdLower;
    std::string refusal;
    std::vector<std::string> notes;
};

class SchemeCheck : public ::testing::TestWithParam<SchemeCase> {};

TEST_P(SchemeCheck, RefusesWhatCannotBeDesignedFor) {
    const SchemeCase& c = GetParam();
    dovra::StartValues v;
    v.method = dovra::designMethodOf(c.method);
    v.constraints = {texts(c.magUpper), texts(c.magLower), texts(c.gdUpper), texts(c.gdLower)};
    EXPECT_EQ(dovra::startRefusal(v), c.refusal);
    EXPECT_EQ(dovra::schemeNotes(v), c.notes);
}

const Rows kBand{{0.0, 0.0}, {0.5, 0.0}};
const std::string kSingle = " has a single row, which limits nothing: a limit runs from one row "
                            "to the next";

INSTANTIATE_TEST_SUITE_P(
    Schemes, SchemeCheck,
    ::testing::Values(SchemeCase{"Magnitude", 0, kBand, {}, {}, {}, "", {}},
                      SchemeCase{"GroupDelayOnly", 0, {}, {}, kBand, {}, "", {}},
                      SchemeCase{"Empty", 0, {}, {}, {}, {}, dovra::kNothingToDesign, {}},
                      SchemeCase{"SingleRowsOnly",
                                 0,
                                 {{0.1, 0.0}},
                                 {},
                                 {},
                                 {{0.2, 5.0}},
                                 dovra::kNothingToDesign,
                                 {"The upper magnitude table" + kSingle,
                                  "The lower group delay table" + kSingle}},
                      SchemeCase{"SingleRowBesideATable",
                                 0,
                                 kBand,
                                 {{0.1, -1.0}},
                                 {},
                                 {},
                                 "",
                                 {"The lower magnitude table" + kSingle}},
                      // A classical design reads its band edges from the magnitude tables and
                      // says itself when it finds none.
                      SchemeCase{"EmptyClassical", 1, {}, {}, {}, {}, "", {}},
                      SchemeCase{"AboveNyquist",
                                 0,
                                 {{0.0, 0.0}, {0.5, 0.0}, {0.7, -40.0}},
                                 {},
                                 {},
                                 {},
                                 "upper magnitude table, row 2: Omega 0.7 is outside 0 to 0.5",
                                 {}},
                      SchemeCase{"FrequenciesRunningBackwards",
                                 0,
                                 {{0.3, 0.0}, {0.2, 0.0}, {0.1, -40.0}},
                                 {},
                                 {},
                                 {},
                                 "upper magnitude table, row 1: Omega 0.2 is below the row before "
                                 "it (0.3): the rows must rise in frequency",
                                 {}},
                      // Two rows at one frequency make a step in the limit.
                      SchemeCase{"StepAtOneFrequency",
                                 0,
                                 {{0.0, 0.0}, {0.2, 0.0}, {0.2, -40.0}, {0.5, -40.0}},
                                 {},
                                 {},
                                 {},
                                 "",
                                 {}},
                      SchemeCase{"NegativeInGroupDelay",
                                 1,
                                 kBand,
                                 {},
                                 {},
                                 {{-0.1, 3.0}, {0.2, 3.0}},
                                 "lower group delay table, row 0: Omega -0.1 is outside 0 to 0.5",
                                 {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
