// The spec window: a combo for each category with their labels, a banner and two picture buttons,
// and two red instruction lines. It is made once the collection pass is over, and shows what the
// pass gave.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "collect/collection_pass.h"
#include "window/combo_category_list.h"
#include "window/gdi_object.h"
#include "window/modal_dialog.h"
#include "window/registry_key.h"
#include "window/resource.h"

namespace vantrel {

class CVantrelDlg : public ModalDialog {
 public:
  explicit CVantrelDlg(CategoryOutcomes outcomes);
  ~CVantrelDlg() override = default;

  const std::wstring& SpecReport() const { return m_specReport; }

 protected:
  void DoDataExchange() override;
  BOOL OnInitDialog() override;
  void OnDestroy() override;
  bool OnPaint() override;
  HCURSOR OnQueryDragIcon() override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind) override;
  bool OnClicked(int controlId) override;

 private:
  void LoadPictures();
  void OnCopyClicked();
  void OnHomepageClicked();

  RegistryKey m_settingsKey;
  std::array<ComboCategoryList, kCategoryCount> m_categoryCombos;
  GdiObject<HBITMAP> m_bannerBitmap;
  GdiObject<HBITMAP> m_copyBitmap;
  GdiObject<HBITMAP> m_homepageBitmap;
  GdiObject<HBRUSH> m_whiteBrush;
  GdiObject<HFONT> m_instructionFont;
  CategoryOutcomes m_outcomes;
  std::wstring m_specReport;
  HICON m_windowIcon;
};

}  // namespace vantrel
