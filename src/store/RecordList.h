#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <vector>

namespace mq {

// The records of a .dbx file in load order, one row per index entry that points at a
// record. The tree may point at one record from many entries; the list keeps that record
// once and gives each of those rows a reference to it, so a file cannot make the list hold
// a record more often than the file holds it. References into the list stay valid until
// the list changes.
template <typename Record>
class RecordList {
public:
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Record;
        using difference_type = std::ptrdiff_t;
        using pointer = const Record*;
        using reference = const Record&;

        const_iterator() = default;
        const_iterator(const RecordList* list, std::size_t row) : list_(list), row_(row) {}
        reference operator*() const { return (*list_)[row_]; }
        pointer operator->() const { return &(*list_)[row_]; }
        const_iterator& operator++() {
            ++row_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++row_;
            return before;
        }
        bool operator==(const const_iterator& other) const { return row_ == other.row_; }

    private:
        const RecordList* list_ = nullptr;
        std::size_t row_ = 0;
    };

    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    const Record& operator[](std::size_t row) const { return records_[rows_[row]]; }
    const Record& front() const { return (*this)[0]; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, rows_.size()}; }

    // A record of its own in a row of its own.
    void push_back(Record record) { addRow(addRecord(std::move(record))); }
    // A record that rows are yet to point at; returns its index for addRow.
    std::uint32_t addRecord(Record record) {
        records_.push_back(std::move(record));
        return static_cast<std::uint32_t>(records_.size() - 1);
    }
    void addRow(std::uint32_t record) { rows_.push_back(record); }
    void reserve(std::size_t records, std::size_t rows) {
        records_.reserve(records_.size() + records);
        rows_.reserve(rows_.size() + rows);
    }

    // Each record once, however many rows point at it, and which of them a row shows.
    std::span<const Record> records() const { return records_; }
    std::size_t recordOf(std::size_t row) const { return rows_[row]; }

    // Empties the list and gives its memory back.
    void clear() {
        records_ = {};
        rows_ = {};
    }

private:
    std::vector<Record> records_;
    std::vector<std::uint32_t> rows_;
};

}  // namespace mq
