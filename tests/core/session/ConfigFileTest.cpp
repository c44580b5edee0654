#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "session/ConfigFile.h"
#include "session/DesignSession.h"

using namespace dovra;
namespace fs = std::filesystem;

namespace {

// The small task of the file format's description: 4 single zeros, 6 single
// poles, population sizes 20 and 10, one upper and one lower magnitude row,
// everything else at its initial value.
const std::string kExampleFile = "1\n"
                                 "0.0\n"
                                 "1.0\n"
                                 "\n"
                                 "\n"
                                 "\n"
                                 "1\n"
                                 "0.0\n"
                                 "-1.0\n"
                                 "\n"
                                 "\n"
                                 "\n"
                                 "0\n"
                                 "0\n"
                                 "4\n"
                                 "6\n"
                                 "0\n"
                                 "20\n"
                                 "coarse\n"
                                 "0\n"
                                 "10\n"
                                 "0\n"
                                 "1.0\n"
                                 "0.0\n"
                                 "99.0\n"
                                 "0\n"
                                 "0\n"
                                 "0\n"
                                 "false\n"
                                 "0\n";

const std::string kEnded = "Configuration file not fully loaded: reading ended at line ";
const std::string kEndedTail = ", the remaining values keep their settings";

template <class Table> void addRow(Table& table, const std::vector<std::string>& elements) {
    auto row = table.newRecord();
    for (std::size_t i = 0; i < elements.size(); ++i) {
        row.setElement(elements[i], static_cast<int>(i));
    }
    table.addRecord(std::move(row));
}

void makeExample(DesignSession& s) {
    addRow(s.magUpper(), {"0.0", "1.0"});
    addRow(s.magLower(), {"0.0", "-1.0"});
    s.setNumDeg(4);
    s.setDenomDeg(6);
    s.setNP(20);
    s.setNP2(10);
}

// Every table with several rows, texts in the carried-along elements, and
// every setting away from its initial value.
void makeRich(DesignSession& s) {
    addRow(s.magUpper(), {"0.0", "0.5", "", "", ""});
    addRow(s.magUpper(), {"0.2", "0.5", "q1", "-1.5", "2.0"});
    addRow(s.magUpper(), {"0.3", "-40.0", "", "", ""});
    addRow(s.magUpper(), {"0.5", "-40.0", "", "", "x"});
    addRow(s.magLower(), {"0.0", "-0.5", "", "-3", ""});
    addRow(s.magLower(), {"0.2", "-0.5", "7", "", ""});
    addRow(s.gdUpper(), {"0.0", "12.5", "a", "b", "c"});
    addRow(s.gdUpper(), {"0.2", "12.5", "", "", ""});
    addRow(s.gdLower(), {"0.0", "10.0", "", "", ""});
    addRow(s.gdLower(), {"0.2", "1.0E-4", "", "", ""});
    addRow(s.gdLower(), {"0.25", "2.5E7", "", "", ""});
    addRow(s.ffNumerator(), {"1.0"});
    addRow(s.ffNumerator(), {"-0.5", "carried", "", "", "along"});
    addRow(s.ffDenominator(), {"1.0"});
    addRow(s.ffDenominator(), {"0.25"});
    addRow(s.ffDenominator(), {"-0.125"});
    s.setNumDeg(7);
    s.setDenomDeg(5);
    s.setNZlinPair(2);
    s.setNP(40);
    s.setSamplingGranularity("fine");
    s.setWordLength(12);
    s.setNP2(80);
    s.setNZPAllpPair(1);
    s.setPoleRadiusRestr(0.95);
    s.setZeroRadiusRestrLow(0.125);
    s.setZeroRadiusRestrHigh(2.5);
    s.setStructId(1);
    s.setFreezingStateOfGdConstraints(true);
    s.setDesignIdentifierIdx(3);
}

// A task that differs from the rich one in every item, to see which values a
// failed load keeps.
void makeOther(DesignSession& s) {
    addRow(s.magUpper(), {"0.1", "3.0", "", "", ""});
    addRow(s.magLower(), {"0.1", "-3.0", "", "", ""});
    addRow(s.gdUpper(), {"0.1", "30.0", "", "", ""});
    addRow(s.gdLower(), {"0.1", "20.0", "", "", ""});
    addRow(s.ffNumerator(), {"2.0"});
    addRow(s.ffDenominator(), {"3.0"});
    s.setNumDeg(3);
    s.setDenomDeg(2);
    s.setNZlinPair(1);
    s.setNP(15);
    s.setSamplingGranularity("medium");
    s.setWordLength(8);
    s.setNP2(25);
    s.setNZPAllpPair(4);
    s.setPoleRadiusRestr(0.5);
    s.setZeroRadiusRestrLow(0.25);
    s.setZeroRadiusRestrHigh(5.0);
    s.setStructId(0);
    s.setFreezingStateOfGdConstraints(false);
    s.setDesignIdentifierIdx(2);
}

std::string written(DesignSession& s) {
    std::ostringstream out;
    writeConfiguration(s.task(), out);
    return out.str();
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
        result.push_back(l);
    }
    return result;
}

// Splits a file text written with "\n" line ends into its 20 items, each the
// text of its lines; a table block runs over its count line and 5 lines per row.
std::vector<std::string> items(const std::string& text) {
    auto all = lines(text);
    std::vector<std::string> result;
    std::size_t at = 0;
    for (int item = 1; item <= 20; ++item) {
        bool block = item <= 4 || item == 16 || item == 17;
        std::size_t n = block ? 1 + 5 * std::stoul(all.at(at)) : 1;
        std::string chunk;
        for (std::size_t i = 0; i < n; ++i) {
            chunk += all.at(at++) + "\n";
        }
        result.push_back(chunk);
    }
    EXPECT_EQ(at, all.size());
    return result;
}

std::string join(const std::vector<std::string>& chunks) {
    std::string s;
    for (const auto& c : chunks) {
        s += c;
    }
    return s;
}

int lineCount(const std::vector<std::string>& chunks, std::size_t upTo) {
    int n = 0;
    for (std::size_t i = 0; i < upTo; ++i) {
        n += static_cast<int>(lines(chunks[i]).size());
    }
    return n;
}

// A session whose console output is kept for inspection.
struct Captured {
    std::ostringstream out;
    std::ostringstream err;
    DesignSession session{out, err};
    std::vector<std::string> output() const { return lines(out.str()); }
    void forget() {
        out.str("");
        out.clear();
    }
};

std::string load(Captured& c, const std::string& text) {
    c.forget();
    std::istringstream in(text);
    readConfiguration(c.session.task(), in);
    return c.out.str();
}

class ConfigFileOnDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("dovra-config-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string contents(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void put(const std::string& p, const std::string& text) {
        std::ofstream(p, std::ios::binary) << text;
    }

    fs::path dir_;
};

} // namespace

// --- the format ------------------------------------------------------------------

TEST(ConfigFile, WritesTheExampleTaskLineForLine) {
    Captured c;
    makeExample(c.session);
    EXPECT_EQ(written(c.session), kExampleFile);
    EXPECT_EQ(lines(kExampleFile).size(), 30u);
    EXPECT_EQ(c.out.str(), "");
}

TEST(ConfigFile, ExampleFileLoadsIntoAFreshSession) {
    Captured c;
    std::istringstream in(kExampleFile);
    EXPECT_TRUE(readConfiguration(c.session.task(), in));
    EXPECT_EQ(c.out.str(), "");
    DesignSession& s = c.session;
    ASSERT_EQ(s.magLower().getSize(), 1);
    EXPECT_EQ(s.magLower().getRecord(0)->getLimit(), "-1.0");
    EXPECT_EQ(s.getDenomDeg(), 6);
    EXPECT_EQ(s.getQuant(), -1);

    Captured expected;
    makeExample(expected.session);
    EXPECT_EQ(written(s), written(expected.session));
}

TEST_F(ConfigFileOnDisk, RichTaskSurvivesSaveLoadSaveByteForByte) {
    Captured first;
    makeRich(first.session);
    const std::string a = path("a.cfg");
    const std::string b = path("b.cfg");
    ASSERT_TRUE(saveDatabase(first.session, a));

    Captured second;
    ASSERT_TRUE(openDatabase(second.session, a));
    EXPECT_EQ(second.out.str(), "");
    EXPECT_EQ(second.session.startup().getConfigFileName(), a);
    ASSERT_TRUE(saveDatabase(second.session, b));
    EXPECT_EQ(contents(a), contents(b));
    EXPECT_EQ(contents(a), written(first.session));

    DesignSession& s = second.session;
    EXPECT_EQ(s.magUpper().getSize(), 4);
    EXPECT_EQ(s.ffDenominator().getSize(), 3);
    EXPECT_EQ(s.magUpper().getRecord(1)->getQuant(), "q1");
    EXPECT_EQ(s.magUpper().getRecord(1)->getMin(), "-1.5");
    EXPECT_EQ(s.ffNumerator().getRecord(1)->getElement(4), "along");
    EXPECT_EQ(s.getWordLength(), 12);
    EXPECT_EQ(s.getQuant(), 2048);
    EXPECT_EQ(s.getStructId(), 1);
    EXPECT_TRUE(s.getFreezingStateOfGdConstraints());
    EXPECT_EQ(s.getDesignIdentifierIdx(), 3);
    EXPECT_EQ(s.getSamplingGranularity(), "fine");
    EXPECT_EQ(s.getPoleRadiusRestr(), 0.95);
    EXPECT_EQ(s.getZeroRadiusRestrLow(), 0.125);
    EXPECT_EQ(s.getZeroRadiusRestrHigh(), 2.5);
    EXPECT_EQ(entries(), (std::vector<std::string>{"a.cfg", "b.cfg"}));
}

TEST(ConfigFile, SavesTheReplacementOfAnOutOfRangeField) {
    Captured c;
    c.session.realization().setText(RealizationSettings::DenomDegField, "101");
    c.session.optimization().setText(OptimizationSettings::NPField, "9");
    auto saved = items(written(c.session));
    EXPECT_EQ(saved[5], "0\n");
    EXPECT_EQ(saved[7], "10\n");
}

struct LineEndCase {
    const char* name;
    const char* end;
};

class ConfigLineEnds : public ::testing::TestWithParam<LineEndCase> {};

TEST_P(ConfigLineEnds, LoadTheSameAsLineFeeds) {
    Captured reference;
    makeRich(reference.session);
    std::string lf = written(reference.session);
    std::string converted;
    for (char ch : lf) {
        converted += ch == '\n' ? std::string(GetParam().end) : std::string(1, ch);
    }
    for (const std::string& text :
         {converted, converted.substr(0, converted.size() - std::strlen(GetParam().end))}) {
        Captured c;
        EXPECT_EQ(load(c, text), "");
        EXPECT_EQ(written(c.session), lf);
    }
}

INSTANTIATE_TEST_SUITE_P(Ends, ConfigLineEnds,
                         ::testing::Values(LineEndCase{"LF", "\n"}, LineEndCase{"CR", "\r"},
                                           LineEndCase{"CRLF", "\r\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConfigFile, StructureIsSetBeforeTheDesignMethod) {
    // Sections stay chosen under the Z-plane design that follows them.
    Captured c;
    c.session.setDesignIdentifierIdx(5);
    auto chunks = items(kExampleFile);
    chunks[17] = "1\n";
    EXPECT_EQ(load(c, join(chunks)), "");
    EXPECT_EQ(c.session.getStructId(), 1);
    EXPECT_EQ(c.session.getDesignIdentifierIdx(), 0);

    // A linear-phase FIR method is direct form; the sections come back with
    // an IIR method.
    chunks[19] = "5\n";
    load(c, join(chunks));
    EXPECT_EQ(c.session.getStructId(), 0);
    c.session.setDesignIdentifierIdx(1);
    EXPECT_EQ(c.session.getStructId(), 1);
}

// --- failing items -----------------------------------------------------------------

struct BlockCase {
    int item; // 1-based position in the file
    const char* formatMessage;
};

class ConfigCountLine : public ::testing::TestWithParam<BlockCase> {
  protected:
    template <class F> void forTable(DesignSession& s, F f) {
        switch (GetParam().item) {
        case 1:
            return f(s.magUpper());
        case 2:
            return f(s.magLower());
        case 3:
            return f(s.gdUpper());
        case 4:
            return f(s.gdLower());
        case 16:
            return f(s.ffNumerator());
        default:
            return f(s.ffDenominator());
        }
    }
};

TEST_P(ConfigCountLine, NotACountEmptiesTheTableAndReadingGoesOn) {
    // The file holds the rich task with this table empty, its count line
    // replaced; the line after it is read as the next item.
    Captured source;
    makeRich(source.session);
    forTable(source.session, [](auto& t) { t.clear(); });
    auto chunks = items(written(source.session));
    const std::size_t k = static_cast<std::size_t>(GetParam().item - 1);

    for (const std::string bad : {"abc", "", " 1", "1.0", "99999999999"}) {
        Captured c;
        makeOther(c.session);
        chunks[k] = bad + "\n";
        std::istringstream in(join(chunks));
        dovra::LoadFailure failure;
        EXPECT_FALSE(readConfiguration(c.session.task(), in, &failure));
        EXPECT_EQ(failure.line, lineCount(chunks, k) + 1) << bad;
        EXPECT_EQ(c.output(), std::vector<std::string>{GetParam().formatMessage +
                                                       ("For input string: \"" + bad + "\"")});
        c.forget();
        EXPECT_EQ(written(c.session), written(source.session)) << bad;
    }

    Captured c;
    makeOther(c.session);
    chunks[k] = "-3\n";
    load(c, join(chunks));
    EXPECT_EQ(c.output(), std::vector<std::string>{std::string(GetParam().formatMessage) +
                                                   "negative row count: \"-3\""});
    EXPECT_EQ(written(c.session), written(source.session));
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, ConfigCountLine,
    ::testing::Values(
        BlockCase{1, "NumberFormatException in upper magnitude section: "},
        BlockCase{2, "NumberFormatException in lower magnitude section: "},
        BlockCase{3, "NumberFormatException in upper group delay section: "},
        BlockCase{4, "NumberFormatException in lower group delay section: "},
        BlockCase{16, "NumberFormatException in fixed filter numerator coefficients: "},
        BlockCase{17, "NumberFormatException in fixed filter denominator coefficients: "}),
    [](const auto& info) { return "Item" + std::to_string(info.param.item); });

struct SettingCase {
    int item;
    const char* message;
    const char* badLine;
};

class ConfigSettingLine : public ::testing::TestWithParam<SettingCase> {};

TEST_P(ConfigSettingLine, NotANumberEndsTheLoadThere) {
    // Items before the bad line come from the file, the bad one and all later
    // ones keep what the session had.
    Captured source;
    makeRich(source.session);
    auto fileChunks = items(written(source.session));
    Captured c;
    makeOther(c.session);
    auto before = items(written(c.session));

    const std::size_t k = static_cast<std::size_t>(GetParam().item - 1);
    auto bad = fileChunks;
    bad[k] = std::string(GetParam().badLine) + "\n";
    std::istringstream in(join(bad));
    dovra::LoadFailure failure;
    EXPECT_FALSE(readConfiguration(c.session.task(), in, &failure));
    // The first failing item and its line, for the window's dialog.
    EXPECT_EQ(failure.message, c.output().at(0));
    EXPECT_EQ(failure.line, lineCount(fileChunks, k) + 1);
    EXPECT_EQ(c.output(), (std::vector<std::string>{
                              GetParam().message +
                              ("For input string: \"" + std::string(GetParam().badLine) + "\"")}));

    std::vector<std::string> expected(fileChunks.begin(), fileChunks.begin() + k);
    expected.insert(expected.end(), before.begin() + k, before.end());
    c.forget();
    EXPECT_EQ(items(written(c.session)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Items, ConfigSettingLine,
    ::testing::Values(SettingCase{5, "NumDeg not read, Exception:", "four"},
                      SettingCase{6, "DenomDeg not read, Exception:", "6.0"},
                      SettingCase{7, "NZlinPair not read, Exception:", "+1"},
                      SettingCase{8, "NP not read, Exception:", ""},
                      SettingCase{10, "Wordlength not read, Exception:", "12 "},
                      SettingCase{11, "NP2 not read, Exception:", "2147483648"},
                      SettingCase{12, "NZPAllpPair not read, Exception:", "1e2"},
                      SettingCase{13, "Pole radius restrictions not read, Exception:", "0,5"},
                      SettingCase{14, "Pole radius restrictions not read, Exception:", "0x1p-3"},
                      SettingCase{15, "Pole radius restrictions not read, Exception:", ""},
                      SettingCase{18, "StructId not read, Exception:", "sections"},
                      SettingCase{20, "Design type ID not read, Exception:", "3 "}),
    [](const auto& info) { return "Item" + std::to_string(info.param.item); });

struct TruncationCase {
    int firstMissingItem;
    std::vector<std::string> messages; // "@": where the read ended (no line of its own)
};

class ConfigTruncated : public ::testing::TestWithParam<TruncationCase> {};

TEST_P(ConfigTruncated, EachMissingItemIsReported) {
    Captured source;
    makeRich(source.session);
    auto chunks = items(written(source.session));
    const std::size_t k = static_cast<std::size_t>(GetParam().firstMissingItem - 1);
    Captured c;
    makeOther(c.session);
    load(c, join(std::vector<std::string>(chunks.begin(), chunks.begin() + k)));
    std::vector<std::string> expected;
    for (const auto& m : GetParam().messages) {
        if (m != "@") {
            expected.push_back(m);
        }
    }
    EXPECT_EQ(c.output(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Items, ConfigTruncated,
    ::testing::Values(
        TruncationCase{3,
                       {"IOException in upper group delay section: end of file",
                        "IOException in lower group delay section: end of file",
                        "NumDeg not read, Exception:end of file", "@"}},
        TruncationCase{
            9, {"Invalid sampling value ...", "Wordlength not read, Exception:end of file", "@"}},
        TruncationCase{15, {"Pole radius restrictions not read, Exception:end of file", "@"}},
        TruncationCase{16,
                       {"IOException in fixed filter numerator coefficients: end of file",
                        "IOException in fixed filter denominator coefficients: end of file",
                        "StructId not read, Exception:end of file", "@"}},
        TruncationCase{19, {"Design type ID not read, Exception:end of file", "@"}},
        TruncationCase{20, {"Design type ID not read, Exception:end of file", "@"}}),
    [](const auto& info) { return "From" + std::to_string(info.param.firstMissingItem); });

TEST(ConfigFile, CountOfTwoFollowedBySevenLines) {
    Captured c;
    makeOther(c.session);
    auto before = items(written(c.session));
    load(c, "2\na\nb\nc\nd\ne\nf\ng\n");

    const auto& upper = c.session.magUpper();
    ASSERT_EQ(upper.getSize(), 2);
    EXPECT_EQ(upper.getRecord(0)->getMax(), "e");
    EXPECT_EQ(upper.getRecord(1)->getOmega(), "f");
    EXPECT_EQ(upper.getRecord(1)->getLimit(), "g");
    EXPECT_EQ(upper.getRecord(1)->getQuant(), "");
    EXPECT_EQ(upper.getRecord(1)->getMax(), "");
    EXPECT_EQ(c.session.magLower().getSize(), 0);
    EXPECT_EQ(c.session.gdUpper().getSize(), 0);
    EXPECT_EQ(c.session.gdLower().getSize(), 0);
    EXPECT_EQ(c.output(),
              (std::vector<std::string>{"IOException in lower magnitude section: end of file",
                                        "IOException in upper group delay section: end of file",
                                        "IOException in lower group delay section: end of file",
                                        "NumDeg not read, Exception:end of file"}));
    c.forget();
    auto after = items(written(c.session));
    EXPECT_EQ(std::vector<std::string>(after.begin() + 4, after.end()),
              std::vector<std::string>(before.begin() + 4, before.end()));
}

TEST(ConfigFile, RowsAreNotMadeUpAfterTheEndOfTheFile) {
    // A count far beyond the file's length: the row the file ends in is kept,
    // nothing more is created.
    Captured c;
    load(c, "60000\n0.1\n-3\n");
    ASSERT_EQ(c.session.magUpper().getSize(), 1);
    EXPECT_EQ(c.session.magUpper().getRecord(0)->getLimit(), "-3");
    load(c, "3\n0.1\n-3\n\n\n\n");
    EXPECT_EQ(c.session.magUpper().getSize(), 1);
    // A count beyond any table is no row count at all.
    c.forget();
    load(c, "2000000000\n0.1\n-3\n");
    EXPECT_EQ(c.session.magUpper().getSize(), 0);
    EXPECT_EQ(c.output().at(0), "NumberFormatException in upper magnitude section: row count "
                                "2000000000 is more than a table may hold (65536)");
}

struct FreezeCase {
    const char* line; // nullptr: the file ends before the line
    bool value;
};

class ConfigFreezeLine : public ::testing::TestWithParam<FreezeCase> {};

TEST_P(ConfigFreezeLine, OnlyTheWordTrueInAnyCaseIsTrue) {
    auto chunks = items(kExampleFile);
    chunks.resize(18);
    if (GetParam().line != nullptr) {
        chunks.push_back(std::string(GetParam().line) + "\n");
        chunks.push_back("0\n");
    }
    for (bool start : {false, true}) {
        Captured c;
        c.session.setFreezingStateOfGdConstraints(start);
        load(c, join(chunks));
        EXPECT_EQ(c.session.getFreezingStateOfGdConstraints(), GetParam().value);
    }
}

INSTANTIATE_TEST_SUITE_P(Words, ConfigFreezeLine,
                         ::testing::Values(FreezeCase{"true", true}, FreezeCase{"TRUE", true},
                                           FreezeCase{"tRuE", true}, FreezeCase{"false", false},
                                           FreezeCase{" true", false}, FreezeCase{"1", false},
                                           FreezeCase{"", false}, FreezeCase{nullptr, false}));

TEST(ConfigFile, GranularityTextIsHandedToTheSetter) {
    auto chunks = items(kExampleFile);
    Captured c;
    chunks[8] = "medium\n";
    EXPECT_EQ(load(c, join(chunks)), "");
    EXPECT_EQ(c.session.getSamplingGranularity(), "medium");
    chunks[8] = "Fine\n";
    EXPECT_EQ(load(c, join(chunks)), "Invalid sampling value Fine...\n");
    EXPECT_EQ(c.session.getSamplingGranularity(), "coarse");
}

namespace {

// Hands out the bytes of a text and then fails as a broken device does.
class FailingBuffer : public std::streambuf {
  public:
    explicit FailingBuffer(std::string text) : text_(std::move(text)) {
        setg(text_.data(), text_.data(), text_.data() + text_.size());
    }

  protected:
    int_type underflow() override { throw std::runtime_error("device failed"); }

  private:
    std::string text_;
};

} // namespace

TEST(ConfigFile, ReadErrorInsideARowKeepsWhatWasRead) {
    FailingBuffer buffer("1\n0.1\n-3\n");
    std::istream in(&buffer);
    Captured c;
    makeOther(c.session);
    auto before = items(written(c.session));
    c.forget();
    EXPECT_FALSE(readConfiguration(c.session.task(), in));
    ASSERT_EQ(c.session.magUpper().getSize(), 1);
    EXPECT_EQ(c.session.magUpper().getRecord(0)->getLimit(), "-3");
    EXPECT_EQ(c.session.magUpper().getRecord(0)->getQuant(), "");
    EXPECT_EQ(c.output(),
              (std::vector<std::string>{"IOException: read error",
                                        "IOException in lower magnitude section: read error",
                                        "IOException in upper group delay section: read error",
                                        "IOException in lower group delay section: read error",
                                        "NumDeg not read, Exception:read error"}));
    c.forget();
    auto after = items(written(c.session));
    EXPECT_EQ(std::vector<std::string>(after.begin() + 4, after.end()),
              std::vector<std::string>(before.begin() + 4, before.end()));
}

// --- files ---------------------------------------------------------------------------

TEST_F(ConfigFileOnDisk, OpeningAMissingFileOrAFolderChangesNothingButTheName) {
    Captured c;
    makeRich(c.session);
    const std::string before = written(c.session);
    c.forget();

    const std::string missing = path("missing.cfg");
    EXPECT_FALSE(openDatabase(c.session, missing));
    EXPECT_EQ(c.output(), std::vector<std::string>{"FileNotFoundException: " + missing +
                                                   " (No such file or directory)"});
    EXPECT_EQ(c.session.startup().getConfigFileName(), missing);

    c.forget();
    EXPECT_FALSE(openDatabase(c.session, dir_.string()));
    EXPECT_EQ(c.output(), std::vector<std::string>{"FileNotFoundException: " + dir_.string() +
                                                   " (Is a directory)"});
    EXPECT_EQ(c.session.startup().getConfigFileName(), dir_.string());
    EXPECT_EQ(written(c.session), before);
}

// A file that is not a whole task changes nothing: the task reads back as it
// was, and one line names the first failing item and its line (the line the
// dialog and dovra-batch give too). Asked for, what could be read is taken:
// the items up to the failure, the later ones keeping their values.
TEST_F(ConfigFileOnDisk, ALoadChangesAllOrNothing) {
    Captured source;
    makeRich(source.session);
    auto chunks = items(written(source.session));
    chunks[5] = "five\n"; // DenomDeg, item 6
    const std::string damaged = path("damaged.cfg");
    std::ofstream(damaged, std::ios::binary) << join(chunks);
    const int line = lineCount(chunks, 5) + 1;

    Captured c;
    makeOther(c.session);
    const std::string before = written(c.session);
    c.forget();
    dovra::LoadFailure failure;
    EXPECT_FALSE(openDatabase(c.session, damaged, &failure));
    EXPECT_EQ(written(c.session), before);
    EXPECT_EQ(failure.line, line);
    EXPECT_EQ(failure.message, "DenomDeg not read, Exception:For input string: \"five\"");
    EXPECT_EQ(c.output().back(), "Configuration file not loaded: line " + std::to_string(line) +
                                     ": " + failure.message + "; the task is as it was");

    EXPECT_FALSE(openDatabase(c.session, damaged, nullptr, dovra::LoadMode::WhatCouldBeRead));
    auto after = items(written(c.session));
    const auto expectedFromFile = std::vector<std::string>(chunks.begin(), chunks.begin() + 5);
    EXPECT_EQ(std::vector<std::string>(after.begin(), after.begin() + 5), expectedFromFile);
    auto old = items(before);
    EXPECT_EQ(std::vector<std::string>(after.begin() + 5, after.end()),
              std::vector<std::string>(old.begin() + 5, old.end()));
    EXPECT_EQ(c.output().back().rfind("Configuration file loaded in part: line ", 0), 0u);
}

TEST_F(ConfigFileOnDisk, AFailedSaveLeavesNoFileOrAnOldFileAsItWas) {
    Captured c;
    makeRich(c.session);
    const std::string old = "an older task\n";
    const std::string target = path("task.cfg");
    put(target, old);
    fs::create_directory(path("folder"));
    put(path("folder/inside"), old);

    for (const std::string& bad : {path("no/such/folder.cfg"), path("folder")}) {
        c.forget();
        EXPECT_FALSE(saveDatabase(c.session, bad));
        auto out = c.output();
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].rfind("IOException: " + bad + " (", 0), 0u) << out[0];
    }
    EXPECT_EQ(contents(path("folder/inside")), old);

    // Writing stops after a few bytes (the file size limit of the process):
    // the existing file keeps its old text.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    c.forget();
    bool ok = saveDatabase(c.session, target);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    ASSERT_EQ(c.output().size(), 1u);
    EXPECT_EQ(c.output()[0], "IOException: " + target + " (cannot write: File too large)");
    EXPECT_EQ(contents(target), old);

    EXPECT_EQ(entries(), (std::vector<std::string>{"folder", "task.cfg"}));
    EXPECT_TRUE(saveDatabase(c.session, target));
    EXPECT_EQ(contents(target), written(c.session));
    EXPECT_EQ(entries(), (std::vector<std::string>{"folder", "task.cfg"}));
}
