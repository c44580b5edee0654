#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "data/Tables.h"

using namespace dovra;

namespace {

template <class T> void addRow(T& table, const std::string& omega, const std::string& limit) {
    auto row = table.newRecord();
    row.setOmegaAndLimit(omega, limit);
    table.addRecord(row);
}

void addCoeff(FixedFilterDataBase& table, const std::string& c) {
    auto row = table.newRecord();
    row.setCoeff(c);
    table.addRecord(row);
}

std::string blanks(std::size_t n) {
    return std::string(n, ' ');
}

struct DisplayCase {
    int row;
    std::string omega;
    std::string expected; // the displayed line of that row, Limit "-3"
};

class TablesConstraintDisplay : public ::testing::TestWithParam<DisplayCase> {};

// The gap narrows as the row index gains digits; Omega is padded to eight
// characters and never cut.
TEST_P(TablesConstraintDisplay, PadsOmegaAndNarrowsTheSeparator) {
    const auto& c = GetParam();
    MagConstraintsDataBase table;
    for (int i = 0; i <= c.row; ++i) {
        addRow(table, i == c.row ? c.omega : "0.5", "-3");
    }
    ListLines lines;
    table.display(lines);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(c.row + 1));
    EXPECT_EQ(lines.back(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TablesConstraintDisplay,
    ::testing::Values(DisplayCase{0, "0.1", "0.1" + blanks(9) + "-3"},
                      DisplayCase{9, "0.1", "0.1" + blanks(9) + "-3"},
                      DisplayCase{10, "0.1", "0.1" + blanks(8) + "-3"},
                      DisplayCase{12, "0.25", "0.25" + blanks(7) + "-3"},
                      DisplayCase{99, "0.25", "0.25" + blanks(7) + "-3"},
                      DisplayCase{100, "0.25", "0.25" + blanks(6) + "-3"},
                      DisplayCase{150, "0.123456789", "0.123456789" + blanks(2) + "-3"},
                      DisplayCase{0, "0.12345", "0.12345" + blanks(5) + "-3"},
                      DisplayCase{0, "0.123456", "0.123456" + blanks(4) + "-3"},
                      DisplayCase{3, "", blanks(12) + "-3"}));

TEST(TablesConstraint, ParamsAndMinMaxForms) {
    GdConstraintsDataBase table;
    for (int i = 0; i < 11; ++i) {
        auto row = table.newRecord();
        row.setOmegaAndLimit("0." + std::to_string(i), "12");
        row.setMinMax("1", "20");
        table.addRecord(row);
    }
    ListLines lines{"stale"};
    table.displayParams(lines);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0], "0.0 12");
    EXPECT_EQ(lines[10], "0.10 12");
    table.displayMinMax(lines);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0], "0.0    1     20");
    EXPECT_EQ(lines[10], "0.10   1     20");
}

TEST(TablesCoefficient, DisplayForms) {
    FixedFilterDataBase table;
    addCoeff(table, "0.5");
    addCoeff(table, "-0.123456789");
    ListLines lines;
    table.display(lines);
    EXPECT_EQ(lines, (ListLines{"0.5     ", "-0.123456789"}));
    table.displayParams(lines);
    EXPECT_EQ(lines, (ListLines{"0.5", "-0.123456789"}));
}

TEST(Tables, EmptyTableEmptiesTheList) {
    MagConstraintsDataBase mag;
    FixedFilterDataBase ff;
    ListLines lines{"a", "b"};
    mag.display(lines);
    EXPECT_TRUE(lines.empty());
    lines = {"a"};
    mag.displayMinMax(lines);
    EXPECT_TRUE(lines.empty());
    lines = {"a"};
    ff.display(lines);
    EXPECT_TRUE(lines.empty());
}

TEST(Tables, OutOfRangeIndicesChangeNothing) {
    MagConstraintsDataBase table;
    table.removeRecord(0);
    EXPECT_FALSE(table.isModified());
    EXPECT_EQ(table.getRecord(0), nullptr);
    EXPECT_EQ(table.getRecord(-1), nullptr);

    addRow(table, "0.1", "-3");
    addRow(table, "0.2", "-6");
    table.removeRecord(2);
    table.removeRecord(7);
    EXPECT_EQ(table.getSize(), 2);
    EXPECT_EQ(table.getRecord(2), nullptr);
    ASSERT_NE(table.getRecord(1), nullptr);
    EXPECT_EQ(table.getRecord(1)->getOmega(), "0.2");
}

TEST(Tables, ModifiedFlag) {
    MagConstraintsDataBase fresh;
    EXPECT_FALSE(fresh.isModified());
    fresh.removeRecord(0);
    fresh.setRecord(fresh.newRecord(), 0); // no row 0: ignored
    EXPECT_FALSE(fresh.isModified());
    EXPECT_EQ(fresh.getSize(), 0);

    MagConstraintsDataBase added;
    added.addRecord(added.newRecord());
    EXPECT_TRUE(added.isModified());
    GdConstraintsDataBase inserted;
    inserted.insertRecord(inserted.newRecord(), 0);
    EXPECT_TRUE(inserted.isModified());
}

TEST(Tables, InsertKeepsTheOrderAndOwner) {
    MagConstraintsDataBase table;
    addRow(table, "0.1", "a");
    addRow(table, "0.3", "c");
    auto mid = MagConstraintsDataBaseRecord(nullptr);
    mid.setOmegaAndLimit("0.2", "b");
    table.insertRecord(mid, 1);
    auto first = table.newRecord();
    first.setOmega("0.0");
    table.insertRecord(first, 0);
    auto last = table.newRecord();
    last.setOmega("0.4");
    table.insertRecord(last, table.getSize());
    ListLines lines;
    table.displayParams(lines);
    EXPECT_EQ(lines, (ListLines{"0.0 ", "0.1 a", "0.2 b", "0.3 c", "0.4 "}));
    for (int i = 0; i < table.getSize(); ++i) {
        EXPECT_EQ(table.getRecord(i)->getDataBase(), &table);
    }
    table.removeRecord(1);
    EXPECT_EQ(table.getRecord(1)->getLimit(), "b");
    auto replaced = table.newRecord();
    replaced.setOmegaAndLimit("0.25", "x");
    table.setRecord(replaced, 1);
    EXPECT_EQ(table.getRecord(1)->getOmega(), "0.25");
    EXPECT_EQ(table.getSize(), 4);
}

TEST(TablesRecord, ElementsAsText) {
    FixedFilterDataBase table;
    FixedFilterDataBaseRecord row(&table);
    EXPECT_EQ(row.getSize(), 5);
    EXPECT_EQ(row.getDataBase(), &table);
    row.setElement("x", 5); // beyond the count: ignored
    row.setElement(7, 9);
    EXPECT_EQ(row.getSize(), 5);
    row.setElement(-42, 4);
    EXPECT_EQ(row.getElement(4), "-42");
    row.addElement(0);
    row.addElement("tail");
    EXPECT_EQ(row.getSize(), 7);
    EXPECT_EQ(row.getElement(5), "0");
    row.removeElement(0);
    EXPECT_EQ(row.getSize(), 6);
    EXPECT_EQ(row.getElement(3), "-42");
    EXPECT_EQ(row.getElement(5), "tail");
}

TEST(TablesRecord, ConstraintAccessors) {
    MagConstraintsDataBaseRecord row;
    row.setOmegaAndLimit("0.2", "-40");
    row.setMinMax("-50", "-30");
    row.setElement("q", 2);
    EXPECT_EQ(row.getOmega(), "0.2");
    EXPECT_EQ(row.getLimit(), "-40");
    EXPECT_EQ(row.getQuant(), "q");
    EXPECT_EQ(row.getMin(), "-50");
    EXPECT_EQ(row.getMax(), "-30");
}

TEST(TablesRecord, WriteGivesOneLinePerElement) {
    FixedFilterDataBase table;
    std::ostringstream fresh;
    table.newRecord().write(fresh);
    EXPECT_EQ(fresh.str(), "\n\n\n\n\n");

    auto row = table.newRecord();
    row.setCoeff("0.5");
    std::ostringstream coeff;
    row.write(coeff);
    EXPECT_EQ(coeff.str(), "0.5\n\n\n\n\n");
}

TEST(TablesRecord, ReadRoundTripAndEndOfInput) {
    MagConstraintsDataBase table;
    auto row = table.newRecord();
    row.setOmegaAndLimit("0.125", "-3.5");
    row.setMinMax("", "7");
    std::ostringstream written;
    row.write(written);

    std::istringstream in(written.str() + "0.3\r\n-20\r\n");
    LineReader reader(in);
    auto back = table.newRecord();
    ASSERT_TRUE(back.read(reader));
    EXPECT_EQ(back, row);

    // Two lines left: the row ends up with them and three empty elements.
    auto partial = table.newRecord();
    partial.setMinMax("old", "old");
    EXPECT_FALSE(partial.read(reader));
    EXPECT_EQ(partial.getOmega(), "0.3");
    EXPECT_EQ(partial.getLimit(), "-20");
    EXPECT_EQ(partial.getQuant(), "");
    EXPECT_EQ(partial.getMin(), "");
    EXPECT_EQ(partial.getMax(), "");
    EXPECT_EQ(partial.getSize(), 5);

    auto none = table.newRecord();
    none.setOmega("kept?");
    EXPECT_FALSE(none.read(reader));
    EXPECT_EQ(none.getOmega(), "");
}

} // namespace
