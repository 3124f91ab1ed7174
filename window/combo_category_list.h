// A category's lines in a read-only drop-down list control.
#pragma once

#include <windows.h>

#include "collect/category_list.h"

namespace vantrel {

class ComboCategoryList final : public CategoryList {
 public:
  void Attach(HWND combo) { combo_ = combo; }
  HWND Handle() const { return combo_; }

  void RemoveAll() override;
  void Append(const std::wstring& line) override;
  std::size_t Count() const override;
  void SelectFirst() override;

  // Widens the opened list to its longest line, in the combo's font, but never past the screen
  // the combo is on; never narrower than the closed field.
  void FitDropDownToLines();

 private:
  HWND combo_ = nullptr;
};

}  // namespace vantrel
