#include "report/Export.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
#include <sstream>

#include <nlohmann/json.hpp>

#include "report/ExportFilter.h"
#include "text/AtomicFile.h"
#include "text/NumberText.h"

namespace dovra {
namespace {

const std::array<ExportFormatInfo, 4> kFormats{{
    {ExportFormat::Sos, "sos", ".csv", "Second-order sections, CSV"},
    {ExportFormat::C, "c", ".h", "C header"},
    {ExportFormat::Script, "m", ".m", "Octave/MATLAB script"},
    {ExportFormat::Json, "json", ".json", "JSON result"},
}};

// Texts of the exports, in one place.
const char* const kNoSosFile = "the filter has no sections for a sections file: ";
const char* const kBeyondFloat = "a coefficient lies beyond the range of float";
const char* const kDesignedBy = "a filter designed by Dovra";
const char* const kPrefilterApart =
    "The fixed prefilter the design is cascaded with is not part of this filter.";

const std::array<const char*, kDesignMethodCount> kMethodNames{
    "Z-plane design",
    "Butterworth",
    "Chebyshev type 1",
    "Chebyshev type 2",
    "elliptic",
    "linear-phase FIR, minimum length",
    "linear-phase FIR with flat passbands",
    "linear-phase FIR, Remez exchange",
};

std::string methodName(DesignMethod m) {
    return kMethodNames[static_cast<std::size_t>(m)];
}

/// One line of text: line ends of a status become blanks.
std::string oneLine(std::string s) {
    std::replace(s.begin(), s.end(), '\n', ' ');
    std::replace(s.begin(), s.end(), '\r', ' ');
    return s;
}

std::string baseName(const std::string& fileName) {
    return std::filesystem::path(fileName).filename().string();
}

bool hasPrefilter(const RunInput& run) {
    return run.ffNumerator.coefficients.size() >= 2 || run.ffDenominator.coefficients.size() >= 2;
}

/// What the comments of the header and the script say about the filter: the
/// run's status and check line as the run reported them, the method and the
/// realization.
std::vector<std::string> description(const ExportInput& in, const ExportFilter& f) {
    std::vector<std::string> lines;
    lines.push_back("Status: " + oneLine(in.snapshot.status));
    if (!in.snapshot.note.empty()) {
        lines.push_back(oneLine(in.snapshot.note));
    }
    std::string realization = "Design method: " + methodName(f.method) + "; ";
    if (f.fir()) {
        realization += std::to_string(f.numerator.size()) + " taps; ";
    } else {
        realization += "numerator degree " + std::to_string(f.numerator.size() - 1) +
                       ", denominator degree " + std::to_string(f.denominator.size() - 1) + "; ";
    }
    if (!f.quantized()) {
        realization += "coefficients not quantized";
    } else {
        realization += "word length " + std::to_string(f.wordLength()) + " bits, quantized " +
                       (f.quantizedSections() ? "section by section" : "in direct form");
    }
    lines.push_back(realization);
    if (hasPrefilter(in.run)) {
        lines.push_back(kPrefilterApart);
    }
    return lines;
}

// --- sos --------------------------------------------------------------------------------------

std::optional<std::string> sosText(const ExportFilter& f, std::string& error) {
    if (!f.hasSections) {
        error = kNoSosFile + f.noSections;
        return std::nullopt;
    }
    std::string text;
    for (const SosRow& row : f.sosRows()) {
        for (std::size_t j = 0; j < row.size(); ++j) {
            text += (j > 0 ? "," : "") + text::formatDouble(row[j]);
        }
        text += '\n';
    }
    return text;
}

// --- C header ---------------------------------------------------------------------------------

/// The identifier the header's names start with: the file name's stem in
/// lower case, every character that C does not take in a name as '_'.
std::string identifierOf(const std::string& fileName) {
    std::string stem = std::filesystem::path(fileName).stem().string();
    std::string id;
    for (char ch : stem) {
        const auto u = static_cast<unsigned char>(ch);
        id += std::isalnum(u) != 0 && u < 128 ? static_cast<char>(std::tolower(u)) : '_';
    }
    // Names that start with '_' are the implementation's; names cannot start
    // with a digit.
    id.erase(0, id.find_first_not_of('_'));
    if (id.empty()) {
        return "filter";
    }
    if (std::isdigit(static_cast<unsigned char>(id[0])) != 0) {
        id = "filter_" + id;
    }
    return id;
}

std::string upper(std::string s) {
    for (char& ch : s) {
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    return s;
}

/// Text inside a C comment: no comment end in it.
std::string commentSafe(std::string s) {
    for (std::size_t at; (at = s.find("*/")) != std::string::npos;) {
        s.replace(at, 2, "* /");
    }
    return s;
}

std::string floatLiteral(float v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    std::string s(buf, r.ptr);
    if (s.find_first_of(".e") == std::string::npos) {
        s += ".0";
    }
    return s + "f";
}

std::string intLiteral(std::int64_t n, int storageBits) {
    if (storageBits < 64) {
        return std::to_string(n);
    }
    if (n == std::numeric_limits<std::int64_t>::min()) {
        return "(-INT64_C(9223372036854775807) - 1)";
    }
    return "INT64_C(" + std::to_string(n) + ")";
}

/// The C arrays of one coefficient list: its length macro, then double,
/// float and (with fixed) integer arrays of `columns` values a row.
class HeaderWriter {
  public:
    HeaderWriter(std::ostringstream& out, std::string id) : out_(out), id_(std::move(id)) {}

    bool floatsFit(const std::vector<double>& v) const {
        return std::all_of(v.begin(), v.end(), [](double c) {
            return std::abs(c) <= static_cast<double>(std::numeric_limits<float>::max());
        });
    }

    void arrays(const std::string& name, const std::string& dims, const std::vector<double>& v,
                std::size_t columns) {
        array("double", name, dims, v.size(), columns,
              [&](std::size_t i) { return text::formatDouble(v[i]); });
        array("float", name + "_f", dims, v.size(), columns,
              [&](std::size_t i) { return floatLiteral(static_cast<float>(v[i])); });
    }

    void integers(const std::string& name, const std::string& dims, const FixedPointValues& q,
                  std::size_t columns) {
        const int bits = q.storageBits();
        array("int" + std::to_string(bits) + "_t", name, dims, q.values.size(), columns,
              [&](std::size_t i) { return intLiteral(q.values[i], bits); });
    }

  private:
    template <class F>
    void array(const std::string& type, const std::string& name, const std::string& dims,
               std::size_t n, std::size_t columns, F value) {
        const bool rows = columns > 1;
        out_ << "static const " << type << ' ' << id_ << '_' << name << dims << " = {\n";
        for (std::size_t i = 0; i < n; ++i) {
            if (!rows) {
                out_ << "    " << value(i) << ",\n";
                continue;
            }
            out_ << (i % columns == 0 ? "    {" : ", ") << value(i);
            if (i % columns == columns - 1 || i + 1 == n) {
                out_ << "},\n";
            }
        }
        out_ << "};\n";
    }

    std::ostringstream& out_;
    std::string id_;
};

std::vector<double> stageCoefficients(const std::vector<SosRow>& rows) {
    std::vector<double> v;
    for (const SosRow& r : rows) {
        v.insert(v.end(), {r[0], r[1], r[2], r[4], r[5]});
    }
    return v;
}

std::string fixedPointComment(const FixedPointValues& q, int wordLength, const std::string& ID) {
    std::ostringstream c;
    c << " * Fixed point: the *_q arrays hold the quantized coefficients as integers in Q"
      << q.intBits << '.' << q.fracBits << " (a sign bit, " << q.intBits << " integer and "
      << q.fracBits << " fraction bits: " << q.totalBits() << " bits, stored as int"
      << q.storageBits() << "_t);\n"
      << " * coefficient = integer * " << ID << "_Q_SCALE exactly, " << ID << "_Q_SCALE = 2^-"
      << q.fracBits << ".\n"
      << " * The word length of " << wordLength
      << " bits is the sign and the fraction bits; a coefficient of\n"
      << " * magnitude 1 or more takes integer bits besides.\n";
    return c.str();
}

std::optional<std::string> cHeaderText(const ExportInput& in, const ExportFilter& f,
                                       const std::string& fileName, std::string& error) {
    const std::string id = identifierOf(fileName);
    const std::string ID = upper(id);
    enum class Form { Taps, Sections, DirectForm };
    const Form form = f.fir() ? Form::Taps : f.hasSections ? Form::Sections : Form::DirectForm;

    // The doubles of each list and, quantized, their integers.
    const std::vector<SosRow> stages = f.stageRows();
    const std::vector<double> sos = stageCoefficients(f.sosRows());
    const std::vector<double> stageValues = stageCoefficients(stages);
    std::optional<FixedPointValues> q1, q2;
    if (f.quantized()) {
        const std::vector<double>& first = form == Form::Sections ? stageValues : f.numerator;
        q1 = fixedPointOf(first, f.quant, error);
        if (!q1) {
            return std::nullopt;
        }
        if (form == Form::DirectForm) {
            q2 = fixedPointOf(f.denominator, f.quant, error);
            if (!q2) {
                return std::nullopt;
            }
            // One format for both polynomials.
            q1->intBits = q2->intBits = std::max(q1->intBits, q2->intBits);
        }
    }

    std::ostringstream out;
    HeaderWriter w(out, id);
    if (!w.floatsFit(f.numerator) || !w.floatsFit(f.denominator) || !w.floatsFit(sos)) {
        error = kBeyondFloat;
        return std::nullopt;
    }
    out << "/* " << commentSafe(baseName(fileName)) << ": " << kDesignedBy
        << ". C99; needs only stdint.h.\n *\n";
    for (const std::string& line : description(in, f)) {
        out << " * " << commentSafe(line) << '\n';
    }
    out << " *\n";
    switch (form) {
    case Form::Taps:
        out << " * " << ID << "_TAPS taps h[k] of y[n] = sum h[k] x[n - k]: " << id
            << "_taps (double), " << id << "_taps_f (float).\n";
        break;
    case Form::Sections:
        out << " * " << ID << "_STAGES stages in cascade, each {b0, b1, b2, a1, a2} of\n"
            << " *   H(z) = (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2),\n"
            << " *   y[n] = b0 x[n] + b1 x[n-1] + b2 x[n-2] - a1 y[n-1] - a2 y[n-2].\n"
            << " * The feedback terms a1, a2 are subtracted: a library whose stages add\n"
            << " * them takes -a1 and -a2. A first-order stage has b2 = a2 = 0.\n"
            << " * " << id << "_sos (double) and " << id
            << "_sos_f (float) carry the gain in the first stage's b0, b1, b2.\n";
        break;
    case Form::DirectForm:
        out << " * Direct form: H(z) = sum num[k] z^-k / sum den[k] z^-k, den[0] = 1:\n"
            << " *   y[n] = sum num[k] x[n-k] - sum(k >= 1) den[k] y[n-k].\n"
            << " * " << id << "_num, " << id << "_den (double), " << id << "_num_f, " << id
            << "_den_f (float).\n";
        break;
    }
    if (q1) {
        out << " *\n" << fixedPointComment(*q1, f.wordLength(), ID);
        if (form == Form::Sections) {
            out << " * " << id << "_sos_q holds the quantized stages without the gain (which the\n"
                << " * design does not quantize): multiply the cascade's output by " << id
                << "_q_gain.\n";
        }
    }
    out << " */\n"
        << "#ifndef DOVRA_" << ID << "_H\n"
        << "#define DOVRA_" << ID << "_H\n\n"
        << "#include <stdint.h>\n\n";

    switch (form) {
    case Form::Taps:
        out << "#define " << ID << "_TAPS " << f.numerator.size() << "\n";
        w.arrays("taps", "[" + ID + "_TAPS]", f.numerator, 1);
        break;
    case Form::Sections:
        out << "#define " << ID << "_STAGES " << stages.size() << "\n";
        w.arrays("sos", "[" + ID + "_STAGES][5]", sos, 5);
        break;
    case Form::DirectForm:
        out << "#define " << ID << "_NUM_LEN " << f.numerator.size() << "\n"
            << "#define " << ID << "_DEN_LEN " << f.denominator.size() << "\n";
        w.arrays("num", "[" + ID + "_NUM_LEN]", f.numerator, 1);
        w.arrays("den", "[" + ID + "_DEN_LEN]", f.denominator, 1);
        break;
    }
    if (q1) {
        out << "\n#define " << ID << "_Q_FRAC_BITS " << q1->fracBits << "\n"
            << "#define " << ID << "_Q_SCALE " << text::formatDouble(q1->scale()) << "\n";
        switch (form) {
        case Form::Taps:
            w.integers("taps_q", "[" + ID + "_TAPS]", *q1, 1);
            break;
        case Form::Sections:
            w.integers("sos_q", "[" + ID + "_STAGES][5]", *q1, 5);
            out << "static const double " << id << "_q_gain = " << text::formatDouble(f.gain)
                << ";\n";
            break;
        case Form::DirectForm:
            w.integers("num_q", "[" + ID + "_NUM_LEN]", *q1, 1);
            w.integers("den_q", "[" + ID + "_DEN_LEN]", *q2, 1);
            break;
        }
    }
    out << "\n#endif\n";
    return out.str();
}

// --- Octave/MATLAB script ---------------------------------------------------------------------

void scriptRow(std::ostringstream& out, const std::string& name, const std::vector<double>& v) {
    if (v.size() == 1) {
        out << name << " = " << text::formatDouble(v[0]) << ";\n";
        return;
    }
    // One value a line, as a column turned into a row: a line end inside the
    // brackets starts a new row.
    out << name << " = [\n";
    for (double c : v) {
        out << "  " << text::formatDouble(c) << '\n';
    }
    out << "].';\n";
}

std::string scriptText(const ExportInput& in, const ExportFilter& f, const std::string& fileName) {
    std::ostringstream out;
    out << "% " << baseName(fileName) << ": " << kDesignedBy
        << ". Runs as a script in Octave and MATLAB\n"
        << "% and leaves b, a and sos in the workspace.\n";
    for (const std::string& line : description(in, f)) {
        out << "% " << line << '\n';
    }
    out << "% b is the numerator and a the denominator, for y = filter(b, a, x) (the\n"
        << "% results file names them the other way round). sos holds one section a\n"
        << "% row, [b0 b1 b2 a0 a1 a2] with a0 = 1, the gain in the first row, for\n"
        << "% y = sosfilt(sos, x).\n";
    scriptRow(out, "b", f.numerator);
    scriptRow(out, "a", f.denominator);
    if (!f.hasSections) {
        out << "% No sections: " << f.noSections << ".\n"
            << "sos = zeros(0, 6);\n";
        return out.str();
    }
    out << "sos = [\n";
    for (const SosRow& row : f.sosRows()) {
        out << ' ';
        for (double c : row) {
            out << ' ' << text::formatDouble(c);
        }
        out << '\n';
    }
    out << "];\n";
    return out.str();
}

// --- JSON -------------------------------------------------------------------------------------

using Json = nlohmann::ordered_json;

Json sectionList(const std::vector<Section>& sections) {
    Json list = Json::array();
    for (const Section& s : sections) {
        Json c = Json::array();
        for (int i = 0; i < s.size; ++i) {
            c.push_back(s.c[static_cast<std::size_t>(i)]);
        }
        list.push_back(c);
    }
    return list;
}

Json rowsOf(const ConstraintValues& t) {
    Json rows = Json::array();
    for (std::size_t i = 0; i < t.omega.size() && i < t.limit.size(); ++i) {
        rows.push_back({t.omega[i], t.limit[i]});
    }
    return rows;
}

/// A number, or null where it is not finite (JSON has no infinity).
Json number(double v) {
    return std::isfinite(v) ? Json(v) : Json(nullptr);
}

std::string jsonText(const ExportInput& in, const ExportFilter& f) {
    const ProgressSnapshot& snap = in.snapshot;
    Json j;
    j["format"] = "dovra-result";
    j["version"] = 1;
    j["status"] = snap.status;
    j["check"] = snap.note.empty() ? Json(nullptr) : Json(snap.note);
    j["run"] = {{"generations", snap.generation},
                {"evaluations", snap.evaluation},
                {"best_cost", number(snap.minimum)},
                {"group_delay_offset", number(snap.offset)},
                {"phase", snap.phase},
                {"population_size", snap.populationSize}};
    j["design_method"] = {{"index", static_cast<int>(f.method)}, {"name", methodName(f.method)}};
    const Layout& p = f.layout;
    j["realization"] = {{"zeros", p.N},
                        {"poles", p.M},
                        {"linear_phase_pairs", p.L},
                        {"allpass_pairs", p.A},
                        {"word_length", f.quantized() ? Json(f.wordLength()) : Json(nullptr)},
                        {"quantization", f.quantized() ? Json(f.quant) : Json(nullptr)},
                        {"structure", f.structure == 1 && !f.fir() ? "sections" : "direct form"}};

    // The blocks the results file lists, by name.
    static const std::array<std::pair<const char*, Block>, kBlockCount> blocks{{
        {"zero_radii", Block::ZeroRadii},
        {"zero_angles", Block::ZeroAngles},
        {"pole_radii", Block::PoleRadii},
        {"pole_angles", Block::PoleAngles},
        {"linear_phase_radii", Block::LinRadii},
        {"linear_phase_angles", Block::LinAngles},
        {"allpass_radii", Block::AllpassRadii},
        {"allpass_angles", Block::AllpassAngles},
    }};
    Json parameters;
    parameters["gain"] = snap.best[0];
    for (const auto& [name, block] : blocks) {
        const BlockRange& r = p[block];
        Json values = Json::array();
        for (int i = r.first; r.count > 0 && r.first > 0 && i <= r.last && i < kVectorCapacity;
             ++i) {
            values.push_back(snap.best[static_cast<std::size_t>(i)]);
        }
        parameters[name] = values;
    }
    j["parameters"] = parameters;

    if (f.hasSections) {
        Json sos = Json::array();
        for (const SosRow& row : f.sosRows()) {
            sos.push_back(row);
        }
        j["sections"] = {{"quantized", f.quantizedSections()},
                         {"gain", f.gain},
                         {"numerator", sectionList(f.zeroSections)},
                         {"denominator", sectionList(f.poleSections)},
                         {"sos", sos}};
    } else {
        j["sections"] = nullptr;
        j["sections_note"] = f.noSections;
    }
    j["direct_form"] = {{"numerator", f.numerator}, {"denominator", f.denominator}};
    j["prefilter"] = {{"numerator", in.run.ffNumerator.coefficients},
                      {"denominator", in.run.ffDenominator.coefficients}};
    j["tolerance_scheme"] = {{"magnitude_upper", rowsOf(in.run.magUpper)},
                             {"magnitude_lower", rowsOf(in.run.magLower)},
                             {"group_delay_upper", rowsOf(in.run.gdUpper)},
                             {"group_delay_lower", rowsOf(in.run.gdLower)},
                             {"group_delay_frozen", in.run.settings.freezeGd}};
    return j.dump(2) + "\n";
}

} // namespace

const std::array<ExportFormatInfo, 4>& exportFormats() {
    return kFormats;
}

const ExportFormatInfo& exportFormatInfo(ExportFormat format) {
    return kFormats[static_cast<std::size_t>(format)];
}

std::optional<ExportFormat> exportFormatNamed(std::string_view name) {
    for (const ExportFormatInfo& f : kFormats) {
        if (f.name == name) {
            return f.format;
        }
    }
    return std::nullopt;
}

std::string exportRefusalBeforeRun(ExportFormat format, const SearchSettings& settings) {
    if (format != ExportFormat::Sos) {
        return {};
    }
    std::string why = sectionsProblem(settings.method, settings.quant, settings.structure);
    return why.empty() ? why : kNoSosFile + why;
}

std::optional<std::string> exportText(ExportFormat format, const ExportInput& in,
                                      const std::string& fileName, std::string& error) {
    const std::optional<ExportFilter> f = exportFilterOf(in.snapshot, error);
    if (!f) {
        return std::nullopt;
    }
    switch (format) {
    case ExportFormat::Sos:
        return sosText(*f, error);
    case ExportFormat::C:
        return cHeaderText(in, *f, fileName, error);
    case ExportFormat::Script:
        return scriptText(in, *f, fileName);
    case ExportFormat::Json:
        return jsonText(in, *f);
    }
    return std::nullopt;
}

bool writeExport(ExportFormat format, const ExportInput& in, const std::string& path,
                 std::string& error, std::string* note) {
    const std::optional<std::string> text = exportText(format, in, path, error);
    if (!text) {
        error = path + " (" + error + ")";
        return false;
    }
    return writeFileAtomically(path, *text, error, nullptr, note);
}

} // namespace dovra
