// Swaps a platform entry-point table for the life of a test and puts the old one back.
#pragma once

namespace vantrel::testing {

template <class Table>
class ScopedTable {
 public:
  ScopedTable(Table& live, const Table& replacement) : live_(live), saved_(live) { live_ = replacement; }
  ScopedTable(const ScopedTable&) = delete;
  ScopedTable& operator=(const ScopedTable&) = delete;
  ~ScopedTable() { live_ = saved_; }

 private:
  Table& live_;
  Table saved_;
};

}  // namespace vantrel::testing
