// What Start refuses in a tolerance scheme, and what it only notes.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "check/SchemeCheck.h"
#include "core/problem/SchemeBuilder.h"

namespace {

using dovra::testing::Rows;
using dovra::testing::setRows;

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
    std::ostringstream out, err;
    dovra::DesignSession s(out, err);
    s.setDesignIdentifierIdx(c.method);
    setRows(s.magUpper(), c.magUpper);
    setRows(s.magLower(), c.magLower);
    setRows(s.gdUpper(), c.gdUpper);
    setRows(s.gdLower(), c.gdLower);
    EXPECT_EQ(dovra::schemeRefusal(s), c.refusal);
    EXPECT_EQ(dovra::schemeNotes(s), c.notes);
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
