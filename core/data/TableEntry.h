#pragma once
// Entering a row on a table page. The typed texts are read as numbers and
// stored in their shortest decimal form (a typed ".25" is kept as "0.25").
//
// A constraint row needs a frequency from 0 to 0.5. An added constraint row
// goes where it keeps the rows in ascending order of frequency; a frequency
// that a row already has is refused. An edited row keeps its place, is not
// checked for order, and keeps the elements the page does not show. A
// prefilter coefficient is appended in the order entered.
//
// A refused row leaves the table exactly as it was and comes with a message
// for the user, naming the field and what is wrong with it.

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "data/Tables.h"
#include "text/NumberText.h"

namespace dovra {

/// What Apply does with the row: add a new one or replace the row last shown.
enum class EntryMode { Add = 1, Edit = 2 };

/// Stored, or refused with the reason.
struct EntryResult {
    bool stored = false;
    std::string message;
};

inline constexpr double kMaxEntryOmega = 0.5;

/// The text of a field read as a finite number. On failure the message names
/// the field and the text.
inline std::optional<double> readEntryNumber(const std::string& text, const std::string& field,
                                             std::string& message) {
    const std::optional<double> v = text::parseDouble(text);
    if (!v) {
        if (text.find_first_not_of(" \t") == std::string::npos) {
            message = field + ": enter a number";
        } else {
            message = field + ": \"" + text + "\" is not a number";
        }
        return std::nullopt;
    }
    if (!std::isfinite(*v)) {
        message = field + ": \"" + text + "\" is not a finite number";
        return std::nullopt;
    }
    return v;
}

namespace detail {

// The frequency of row i as a number; NaN when its text is not one (a row
// read from a file), so that it compares with nothing.
template <class Table> double omegaOf(const Table& table, int i) {
    const auto* row = table.getRecord(i);
    const std::optional<double> v = row ? text::parseDouble(row->getOmega()) : std::nullopt;
    return v ? *v : std::numeric_limits<double>::quiet_NaN();
}

// Why an added row could not be placed next to row `neighbour`.
template <class Table>
std::string notPlacedMessage(const Table& table, int neighbour, double omega) {
    const std::string typed = text::formatDouble(omega);
    if (omegaOf(table, neighbour) == omega) {
        return "Omega: a row with the frequency " + typed + " exists already";
    }
    return "Omega: the row with the frequency \"" + table.getRecord(neighbour)->getOmega() +
           "\" is not a number, so " + typed + " cannot be placed in order";
}

} // namespace detail

/// Apply of the magnitude and group-delay edit cards. In Edit mode `index` is
/// the row last shown; a missing row stores nothing.
template <class Table>
EntryResult enterConstraintRow(Table& table, EntryMode mode, int index,
                               const std::string& omegaText, const std::string& limitText,
                               const std::string& limitField) {
    EntryResult result;
    const std::optional<double> f = readEntryNumber(omegaText, "Omega", result.message);
    if (!f) {
        return result;
    }
    const std::optional<double> v = readEntryNumber(limitText, limitField, result.message);
    if (!v) {
        return result;
    }
    if (!(*f >= 0.0 && *f <= kMaxEntryOmega)) {
        result.message = "Omega: " + text::formatDouble(*f) + " is outside 0 to 0.5";
        return result;
    }
    const std::string omega = text::formatDouble(*f);
    const std::string limit = text::formatDouble(*v);

    if (mode == EntryMode::Edit) {
        const auto* old = table.getRecord(index);
        if (!old) {
            result.message = "Select a row in the list to edit";
            return result;
        }
        auto row = *old;
        row.setOmegaAndLimit(omega, limit);
        table.setRecord(std::move(row), index);
        result.stored = true;
        return result;
    }

    auto row = table.newRecord();
    row.setOmegaAndLimit(omega, limit);
    const int n = table.getSize();
    if (n == 0) {
        table.addRecord(std::move(row));
        result.stored = true;
        return result;
    }
    // In front of the first row with a greater frequency, if the row before
    // that one has a smaller frequency; after the last row if that has one.
    for (int i = 0; i < n; ++i) {
        if (detail::omegaOf(table, i) > *f) {
            if (i == 0 || *f > detail::omegaOf(table, i - 1)) {
                table.insertRecord(std::move(row), i);
                result.stored = true;
            } else {
                result.message = detail::notPlacedMessage(table, i - 1, *f);
            }
            return result;
        }
    }
    if (*f > detail::omegaOf(table, n - 1)) {
        table.addRecord(std::move(row));
        result.stored = true;
    } else {
        result.message = detail::notPlacedMessage(table, n - 1, *f);
    }
    return result;
}

/// Apply of the prefilter edit card.
template <class Table>
EntryResult enterCoefficientRow(Table& table, EntryMode mode, int index,
                                const std::string& coeffText) {
    EntryResult result;
    const std::optional<double> c = readEntryNumber(coeffText, "Coefficient", result.message);
    if (!c) {
        return result;
    }
    const std::string coeff = text::formatDouble(*c);
    if (mode == EntryMode::Edit) {
        const auto* old = table.getRecord(index);
        if (!old) {
            result.message = "Select a row in the list to edit";
            return result;
        }
        auto row = *old;
        row.setCoeff(coeff);
        table.setRecord(std::move(row), index);
    } else {
        auto row = table.newRecord();
        row.setCoeff(coeff);
        table.addRecord(std::move(row));
    }
    result.stored = true;
    return result;
}

} // namespace dovra
