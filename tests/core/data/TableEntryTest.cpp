// The rules of Apply on the table pages: the typed texts read as numbers and
// stored in their shortest form, a constraint frequency from 0 to 0.5, added
// constraint rows kept in ascending order with a frequency already present
// refused, an edited row keeping its place and the elements the page does not
// show, prefilter coefficients appended as entered. A refused row leaves the
// table as it was and comes with a message naming the field and the fault.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "data/TableEntry.h"

namespace dovra {
namespace {

using Rows = std::vector<std::vector<std::string>>;

template <class Table> Rows rowsOf(const Table& table) {
    Rows rows;
    for (int i = 0; i < table.getSize(); ++i) {
        std::vector<std::string> row;
        for (int e = 0; e < table.getRecord(i)->getSize(); ++e) {
            row.push_back(table.getRecord(i)->getElement(e));
        }
        rows.push_back(row);
    }
    return rows;
}

template <class Table> void fill(Table& table, const Rows& rows) {
    for (const auto& elements : rows) {
        auto row = table.newRecord();
        for (int e = 0; e < static_cast<int>(elements.size()); ++e) {
            row.setElement(elements[static_cast<std::size_t>(e)], e);
        }
        table.addRecord(row);
    }
}

struct NumberCase {
    const char* text;
    std::optional<double> value;
    const char* message; // with the field "Omega"
};

TEST(TableEntry, ReadsAFiniteNumberOrSaysWhyNot) {
    const NumberCase cases[] = {
        {"0.25", 0.25, ""},
        {".25", 0.25, ""},
        {"", std::nullopt, "Omega: enter a number"},
        {" \t ", std::nullopt, "Omega: enter a number"},
        {"abc", std::nullopt, R"(Omega: "abc" is not a number)"},
        {"1,5", std::nullopt, R"(Omega: "1,5" is not a number)"},
        {"NaN", std::nullopt, R"(Omega: "NaN" is not a finite number)"},
        {"Infinity", std::nullopt, R"(Omega: "Infinity" is not a finite number)"},
    };
    for (const NumberCase& c : cases) {
        std::string message;
        EXPECT_EQ(readEntryNumber(c.text, "Omega", message), c.value) << '"' << c.text << '"';
        EXPECT_EQ(message, c.message) << '"' << c.text << '"';
    }
}

// A row as an added row stores it: Omega and the limit, three empty elements.
std::vector<std::string> added(const char* omega, const char* limit) {
    return {omega, limit, "", "", ""};
}

// The magnitude table the constraint cases start from: two rows, the second
// with elements the page does not show.
const std::vector<std::string> kLow = added("0.1", "-1.0");
const std::vector<std::string> kHigh = {"0.3", "-3.0", "q", "-7", "-5"};
const Rows kTwoRows = {kLow, kHigh};

struct ConstraintCase {
    const char* name;
    EntryMode mode;
    int index; // the row last shown, for Edit
    const char* omega;
    const char* limit;
    Rows after;          // the table afterwards
    const char* message; // empty: stored
};

constexpr EntryMode Add = EntryMode::Add;
constexpr EntryMode Edit = EntryMode::Edit;

const ConstraintCase kConstraintCases[] = {
    // Added rows go where the frequencies stay ascending; 0 and 0.5 are in range.
    {"AddBetween", Add, -1, "0.2", "-2", {kLow, added("0.2", "-2.0"), kHigh}, ""},
    {"AddFirst", Add, -1, "0", "6", {added("0.0", "6.0"), kLow, kHigh}, ""},
    {"AddLastAtHalf", Add, -1, "0.5", "-40", {kLow, kHigh, added("0.5", "-40.0")}, ""},
    {"AddShortestForm", Add, -1, " .20 ", "1e-4", {kLow, added("0.2", "1.0E-4"), kHigh}, ""},
    {"AddJustAboveARow",
     Add,
     -1,
     "0.30000000000000004",
     "0",
     {kLow, kHigh, added("0.30000000000000004", "0.0")},
     ""},
    // A frequency a row has already is refused, however it is written.
    {"AddFrequencyOfTheLastRow", Add, -1, "0.30", "-3", kTwoRows,
     "Omega: a row with the frequency 0.3 exists already"},
    {"AddFrequencyOfTheFirstRow", Add, -1, "1e-1", "-3", kTwoRows,
     "Omega: a row with the frequency 0.1 exists already"},
    // The range 0 to 0.5, for added and edited rows.
    {"AddAboveHalf", Add, -1, "0.5000001", "-3", kTwoRows, "Omega: 0.5000001 is outside 0 to 0.5"},
    {"AddBelowZero", Add, -1, "-0.1", "-3", kTwoRows, "Omega: -0.1 is outside 0 to 0.5"},
    {"EditAboveHalf", Edit, 1, "0.7", "-3", kTwoRows, "Omega: 0.7 is outside 0 to 0.5"},
    // The fields in turn: Omega, the limit, then the range.
    {"OmegaNotANumber", Add, -1, "abc", "x", kTwoRows, R"(Omega: "abc" is not a number)"},
    {"OmegaEmpty", Add, -1, "", "-3", kTwoRows, "Omega: enter a number"},
    {"LimitNotANumber", Add, -1, "0.7", "1,5", kTwoRows, R"(Limit in dB: "1,5" is not a number)"},
    {"LimitNotFinite", Add, -1, "0.2", "-Infinity", kTwoRows,
     R"(Limit in dB: "-Infinity" is not a finite number)"},
    // An edited row keeps its place and its hidden elements; its order is not
    // checked. With no row to edit nothing is stored.
    {"EditKeepsHidden", Edit, 1, "0.25", "-6", {kLow, {"0.25", "-6.0", "q", "-7", "-5"}}, ""},
    {"EditOutOfOrder", Edit, 1, "0.05", "-3", {kLow, {"0.05", "-3.0", "q", "-7", "-5"}}, ""},
    {"EditFirstRow", Edit, 0, "0.45", "2", {added("0.45", "2.0"), kHigh}, ""},
    {"EditWithNoRow", Edit, -1, "0.2", "-3", kTwoRows, "Select a row in the list to edit"},
    {"EditPastTheLastRow", Edit, 2, "0.2", "-3", kTwoRows, "Select a row in the list to edit"},
};

// The case's name in test listings, in place of the bytes of the struct.
void PrintTo(const ConstraintCase& c, std::ostream* os) {
    *os << c.name;
}

class ConstraintEntry : public ::testing::TestWithParam<ConstraintCase> {};

TEST_P(ConstraintEntry, StoresOrRefuses) {
    const ConstraintCase& c = GetParam();
    MagConstraintsDataBase table;
    fill(table, kTwoRows);
    const EntryResult r =
        enterConstraintRow(table, c.mode, c.index, c.omega, c.limit, "Limit in dB");
    EXPECT_EQ(r.message, c.message);
    EXPECT_EQ(r.stored, std::string(c.message).empty());
    EXPECT_EQ(rowsOf(table), c.after);
}

INSTANTIATE_TEST_SUITE_P(Rules, ConstraintEntry, ::testing::ValuesIn(kConstraintCases),
                         [](const ::testing::TestParamInfo<ConstraintCase>& info) {
                             return info.param.name;
                         });

// A row read from a file may hold a frequency that is not a number: an added
// row goes in front of it or behind it only where a numeric neighbour
// decides, and is otherwise refused naming that row.
struct UnreadableCase {
    std::vector<const char*> before;
    const char* omega;
    std::vector<std::string> after; // the frequencies afterwards
    const char* message;
};

TEST(TableEntry, RowWithAnUnreadableFrequency) {
    const UnreadableCase cases[] = {
        {{"0.1", "abc", "0.3"}, "0.05", {"0.05", "0.1", "abc", "0.3"}, ""},
        {{"0.1", "abc", "0.3"}, "0.4", {"0.1", "abc", "0.3", "0.4"}, ""},
        {{"0.1", "abc", "0.3"},
         "0.2",
         {"0.1", "abc", "0.3"},
         R"(Omega: the row with the frequency "abc" is not a number, so 0.2 cannot be placed in order)"},
        {{"0.1", ""},
         "0.4",
         {"0.1", ""},
         R"(Omega: the row with the frequency "" is not a number, so 0.4 cannot be placed in order)"},
    };
    for (const UnreadableCase& c : cases) {
        SCOPED_TRACE(c.omega);
        GdConstraintsDataBase table;
        for (const char* omega : c.before) {
            fill(table, {added(omega, "1.0")});
        }
        const EntryResult r =
            enterConstraintRow(table, EntryMode::Add, -1, c.omega, "1", "Normalized time");
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(r.stored, std::string(c.message).empty());
        std::vector<std::string> omegas;
        for (const auto& row : rowsOf(table)) {
            omegas.push_back(row[0]);
        }
        EXPECT_EQ(omegas, c.after);
    }
}

// Rows added one after another in any order end up sorted; the field name
// given by the page is the one a refusal names.
TEST(TableEntry, AddedRowsEndUpInOrder) {
    GdConstraintsDataBase table;
    for (const char* omega : {"0.3", "0.1", "0.5", "0", "0.2", "0.15"}) {
        EXPECT_TRUE(
            enterConstraintRow(table, EntryMode::Add, -1, omega, "2", "Normalized time").stored)
            << omega;
    }
    ListLines omegas;
    table.displayParams(omegas);
    EXPECT_EQ(omegas,
              (ListLines{"0.0 2.0", "0.1 2.0", "0.15 2.0", "0.2 2.0", "0.3 2.0", "0.5 2.0"}));
    const EntryResult r =
        enterConstraintRow(table, EntryMode::Add, -1, "0.4", "ten", "Normalized time");
    EXPECT_FALSE(r.stored);
    EXPECT_EQ(r.message, R"(Normalized time: "ten" is not a number)");
    EXPECT_EQ(table.getSize(), 6);
}

struct CoefficientCase {
    const char* name;
    EntryMode mode;
    int index;
    const char* coeff;
    Rows after;
    const char* message;
};

// The numerator the coefficient cases start from: 1.0 and 0.5, the second
// with an element the page does not show.
std::vector<std::string> coefficient(const char* c) {
    return {c, "", "", "", ""};
}
const std::vector<std::string> kFirst = coefficient("1.0");
const std::vector<std::string> kSecond = {"0.5", "", "", "x", ""};
const Rows kCoefficients = {kFirst, kSecond};

TEST(TableEntry, PrefilterCoefficients) {
    const CoefficientCase cases[] = {
        // Appended as entered: no order, no check against the other rows.
        {"smaller", Add, -1, "-2", {kFirst, kSecond, coefficient("-2.0")}, ""},
        {"present already", Add, -1, "1", {kFirst, kSecond, coefficient("1.0")}, ""},
        {"shortest form", Add, -1, " 25e-6 ", {kFirst, kSecond, coefficient("2.5E-5")}, ""},
        {"edited in place", Edit, 1, "-.125", {kFirst, {"-0.125", "", "", "x", ""}}, ""},
        {"no row to edit", Edit, 2, "2", kCoefficients, "Select a row in the list to edit"},
        {"not a number", Add, -1, "1/2", kCoefficients, R"(Coefficient: "1/2" is not a number)"},
        {"empty", Add, -1, " ", kCoefficients, "Coefficient: enter a number"},
        {"infinite", Edit, 0, "Infinity", kCoefficients,
         R"(Coefficient: "Infinity" is not a finite number)"},
    };
    for (const CoefficientCase& c : cases) {
        SCOPED_TRACE(c.name);
        FixedFilterDataBase table;
        fill(table, kCoefficients);
        const EntryResult r = enterCoefficientRow(table, c.mode, c.index, c.coeff);
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(r.stored, std::string(c.message).empty());
        EXPECT_EQ(rowsOf(table), c.after);
    }
}

} // namespace
} // namespace dovra
