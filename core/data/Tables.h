#pragma once
// The six specification tables: upper and lower magnitude limits, upper and
// lower group-delay limits, prefilter numerator and denominator coefficients.
//
// A table holds rows of five text elements and never interprets them; the
// design setup parses Omega, Limit and Coeff through the session's lookups.

#include <ostream>
#include <string>
#include <vector>

#include "data/LineReader.h"

namespace dovra {

/// Lines shown in a list box; the window's list widgets display these.
using ListLines = std::vector<std::string>;

/// A row of text elements, created for the table that will own it.
template <class Table> class TableRecord {
  public:
    explicit TableRecord(Table* owner = nullptr) : elements_(5), owner_(owner) {}

    void addElement(const std::string& text) { elements_.push_back(text); }
    void addElement(int value) { elements_.push_back(std::to_string(value)); }

    /// The element at a position; an empty text for a position outside the row.
    const std::string& getElement(int position) const {
        static const std::string empty;
        if (position < 0 || position >= getSize()) {
            return empty;
        }
        return elements_[static_cast<std::size_t>(position)];
    }

    /// Replaces an element; a position outside the row is ignored.
    void setElement(const std::string& text, int position) {
        if (position >= 0 && position < getSize()) {
            elements_[static_cast<std::size_t>(position)] = text;
        }
    }
    void setElement(int value, int position) { setElement(std::to_string(value), position); }

    /// Removes an element; a position outside the row is ignored.
    void removeElement(int position) {
        if (position >= 0 && position < getSize()) {
            elements_.erase(elements_.begin() + position);
        }
    }

    int getSize() const { return static_cast<int>(elements_.size()); }
    Table* getDataBase() const { return owner_; }
    void setDataBase(Table* owner) { owner_ = owner; }

    /// Replaces each element in turn by the next line. Returns false when the
    /// input ended or failed first; the elements not reached keep no text.
    bool read(LineReader& in) {
        for (auto& element : elements_) {
            auto line = in.readLine();
            if (!line) {
                for (auto* rest = &element; rest != elements_.data() + elements_.size(); ++rest) {
                    rest->clear();
                }
                return false;
            }
            element = *line;
        }
        return true;
    }

    /// Writes each element on a line of its own.
    void write(std::ostream& out) const {
        for (const auto& element : elements_) {
            out << element << '\n';
        }
    }

    bool operator==(const TableRecord& other) const { return elements_ == other.elements_; }

  private:
    std::vector<std::string> elements_;
    Table* owner_;
};

/// A constraint row: Omega, Limit, Quant, Min, Max.
template <class Table> class ConstraintRecord : public TableRecord<Table> {
  public:
    using TableRecord<Table>::TableRecord;
    const std::string& getOmega() const { return this->getElement(0); }
    const std::string& getLimit() const { return this->getElement(1); }
    const std::string& getQuant() const { return this->getElement(2); }
    const std::string& getMin() const { return this->getElement(3); }
    const std::string& getMax() const { return this->getElement(4); }
    void setOmega(const std::string& omega) { this->setElement(omega, 0); }
    void setOmegaAndLimit(const std::string& omega, const std::string& limit) {
        this->setElement(omega, 0);
        this->setElement(limit, 1);
    }
    void setMinMax(const std::string& min, const std::string& max) {
        this->setElement(min, 3);
        this->setElement(max, 4);
    }
};

/// A prefilter row: Coeff and four elements carried along.
template <class Table> class CoefficientRecord : public TableRecord<Table> {
  public:
    using TableRecord<Table>::TableRecord;
    const std::string& getCoeff() const { return this->getElement(0); }
    void setCoeff(const std::string& coeff) { this->setElement(coeff, 0); }
};

/// Separator between the two columns of a list line: it narrows as the row
/// index gains digits so that the columns stay aligned.
std::string listSeparator(int rowIndex);

/// Pads a text on the right with blanks to 8 characters; longer texts stay.
std::string padToEight(const std::string& text);

/// The operations every table has.
template <class Record> class Table {
  public:
    using RecordType = Record;

    Table() = default;
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    void addRecord(Record row) {
        row.setDataBase(self());
        rows_.push_back(std::move(row));
        modified_ = true;
    }

    /// Inserts before position index; an index outside 0 .. size appends.
    void insertRecord(Record row, int index) {
        row.setDataBase(self());
        if (index < 0 || index > getSize()) {
            index = getSize();
        }
        rows_.insert(rows_.begin() + index, std::move(row));
        modified_ = true;
    }

    /// Removes the row at index; nothing happens for an index outside the table.
    void removeRecord(int index) {
        if (index >= 0 && index < getSize()) {
            rows_.erase(rows_.begin() + index);
            modified_ = true;
        }
    }

    /// Replaces the row at index; an index outside the table is ignored.
    void setRecord(Record row, int index) {
        if (index >= 0 && index < getSize()) {
            row.setDataBase(self());
            rows_[static_cast<std::size_t>(index)] = std::move(row);
            modified_ = true;
        }
    }

    /// The row at index, or nullptr when there is none.
    const Record* getRecord(int index) const {
        if (index < 0 || index >= getSize()) {
            return nullptr;
        }
        return &rows_[static_cast<std::size_t>(index)];
    }
    Record* getRecord(int index) {
        return const_cast<Record*>(static_cast<const Table*>(this)->getRecord(index));
    }

    int getSize() const { return static_cast<int>(rows_.size()); }
    bool isModified() const { return modified_; }

    /// Removes every row, last to first, as loading a file does.
    void clear() {
        for (int i = getSize() - 1; i >= 0; --i) {
            removeRecord(i);
        }
    }

    /// A new row owned by this table.
    Record newRecord() { return Record(self()); }

    /// Takes the rows of other, in order, as loading them would.
    void assignRows(const Table& other) {
        if (&other == this) {
            return;
        }
        clear();
        for (const Record& row : other.rows_) {
            addRecord(row);
        }
    }

  protected:
    std::vector<Record> rows_;

  private:
    using Owner = std::remove_pointer_t<decltype(std::declval<Record>().getDataBase())>;
    Owner* self() { return static_cast<Owner*>(this); }
    bool modified_ = false;
};

template <class Record> class ConstraintTable : public Table<Record> {
  public:
    /// Omega padded to 8 characters, the separator, Limit.
    void display(ListLines& list) const {
        list.clear();
        for (int i = 0; i < this->getSize(); ++i) {
            const auto& r = this->rows_[static_cast<std::size_t>(i)];
            list.push_back(padToEight(r.getOmega()) + listSeparator(i) + r.getLimit());
        }
    }
    /// Omega, one blank, Limit.
    void displayParams(ListLines& list) const {
        list.clear();
        for (const auto& r : this->rows_) {
            list.push_back(r.getOmega() + " " + r.getLimit());
        }
    }
    /// Omega, the separator, Min, five blanks, Max.
    void displayMinMax(ListLines& list) const {
        list.clear();
        for (int i = 0; i < this->getSize(); ++i) {
            const auto& r = this->rows_[static_cast<std::size_t>(i)];
            list.push_back(r.getOmega() + listSeparator(i) + r.getMin() + "     " + r.getMax());
        }
    }
};

template <class Record> class CoefficientTable : public Table<Record> {
  public:
    /// Coeff padded to 8 characters.
    void display(ListLines& list) const {
        list.clear();
        for (const auto& r : this->rows_) {
            list.push_back(padToEight(r.getCoeff()));
        }
    }
    /// Coeff unchanged.
    void displayParams(ListLines& list) const {
        list.clear();
        for (const auto& r : this->rows_) {
            list.push_back(r.getCoeff());
        }
    }
};

class MagConstraintsDataBase;
class GdConstraintsDataBase;
class FixedFilterDataBase;

class MagConstraintsDataBaseRecord : public ConstraintRecord<MagConstraintsDataBase> {
  public:
    using ConstraintRecord::ConstraintRecord;
};
class GdConstraintsDataBaseRecord : public ConstraintRecord<GdConstraintsDataBase> {
  public:
    using ConstraintRecord::ConstraintRecord;
};
class FixedFilterDataBaseRecord : public CoefficientRecord<FixedFilterDataBase> {
  public:
    using CoefficientRecord::CoefficientRecord;
};

class MagConstraintsDataBase : public ConstraintTable<MagConstraintsDataBaseRecord> {};
class GdConstraintsDataBase : public ConstraintTable<GdConstraintsDataBaseRecord> {};
class FixedFilterDataBase : public CoefficientTable<FixedFilterDataBaseRecord> {};

} // namespace dovra
