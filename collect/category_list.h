// What the collection pass needs of a category's list of lines: a combo box in the window,
// lines in memory elsewhere.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vantrel {

class CategoryList {
 public:
  virtual ~CategoryList() = default;
  virtual void RemoveAll() = 0;
  virtual void Append(const std::wstring& line) = 0;  // at the end: lines are never sorted
  virtual std::size_t Count() const = 0;
  virtual void SelectFirst() = 0;
};

// Lines kept in order in memory, with the selected index (-1 before any selection).
class MemoryCategoryList final : public CategoryList {
 public:
  void RemoveAll() override;
  void Append(const std::wstring& line) override;
  std::size_t Count() const override { return lines_.size(); }
  void SelectFirst() override;

  const std::vector<std::wstring>& Lines() const { return lines_; }
  int Selected() const { return selected_; }

 private:
  std::vector<std::wstring> lines_;
  int selected_ = -1;
};

}  // namespace vantrel
