// CDialog over the dialog stand-in: the template resource, the object attached from the
// start, data exchange, the OK and Cancel commands and the end of the modal run.
#include "../support/dialogtesting.h"

#include <afxwin.h>
#include <platform/dialogresource.h>

namespace dialogtesting {
namespace {

enum { kTemplateId = 9001, kNoListTemplateId = 9002, kMissingTemplateId = 9003 };

const platform::DialogTemplate kTemplate = ChooserLikeTemplate();
const platform::DialogTemplate kNoListTemplate = [] {
  platform::DialogTemplate tmpl = ChooserLikeTemplate();
  tmpl.items.pop_back();
  return tmpl;
}();
platform::DialogResource g_template(kTemplateId, kTemplate);
platform::DialogResource g_noListTemplate(kNoListTemplateId, kNoListTemplate);

class CTestDlg : public CDialog {
 public:
  explicit CTestDlg(UINT nIDTemplate = kTemplateId) : CDialog(nIDTemplate) {}

  BOOL OnInitDialog() override {
    m_bAttachedAtInit = CWnd::FromHandlePermanent(m_hWnd) == this;
    CDialog::OnInitDialog();
    m_bListBound = m_list.m_hWnd != nullptr && CWnd::FromHandlePermanent(m_list.m_hWnd) == &m_list;
    m_list.AddString("second");
    m_list.AddString("first");
    m_list.SetCurSel(0);
    return TRUE;
  }

  CListBox m_list;
  std::vector<std::string> m_calls;
  bool m_bAttachedAtInit = false;
  bool m_bListBound = false;
  bool m_bCancelEnds = true;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    CDialog::DoDataExchange(pDX);
    m_calls.push_back(pDX->m_bSaveAndValidate ? "exchange save" : "exchange show");
    DDX_Control(pDX, kListId, m_list);
  }
  void OnOK() override {
    CString text;
    m_list.GetText(m_list.GetCurSel(), text);
    m_calls.push_back("OnOK " + std::string(text));
    CDialog::OnOK();
  }
  void OnCancel() override {
    m_calls.push_back("OnCancel");
    if (m_bCancelEnds) CDialog::OnCancel();
  }
  afx_msg void OnDblclkList() { m_calls.push_back("double click"); }

  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDlg, CDialog)
  ON_LBN_DBLCLK(kListId, OnDblclkList)
END_MESSAGE_MAP()

using CDialogTest = DialogTest;

TEST_F(CDialogTest, RunsFromItsTemplateWithTheObjectAttachedFromTheStart) {
  HWND seen = nullptr;
  ScriptedPerson person([&](platform::DialogView& view) {
    seen = view.Handle();
    view.DoubleClickItem(kListId, 1);
    view.Click(IDOK);
  });
  CTestDlg dlg;
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_TRUE(dlg.m_bAttachedAtInit);
  EXPECT_TRUE(dlg.m_bListBound);
  EXPECT_EQ(dlg.m_calls, (std::vector<std::string>{"exchange show", "double click", "OnOK second",
                                                   "exchange save"}));
  // Gone, and both objects let go of their windows.
  EXPECT_FALSE(IsWindow(seen));
  EXPECT_EQ(dlg.m_hWnd, nullptr);
  EXPECT_EQ(dlg.m_list.m_hWnd, nullptr);
  EXPECT_TRUE(platform::TopLevelWindows().empty());
}

TEST_F(CDialogTest, EnterEscapeAndTheCloseBoxReachOnOkAndOnCancel) {
  const std::vector<std::pair<std::function<void(platform::DialogView&)>, int>> cases = {
      {[](platform::DialogView& v) { v.PressKey(VK_RETURN, kListId); }, IDOK},
      {[](platform::DialogView& v) { v.PressKey(VK_ESCAPE); }, IDCANCEL},
      {[](platform::DialogView& v) { v.Close(); }, IDCANCEL},
      {[](platform::DialogView& v) { v.Click(IDCANCEL); }, IDCANCEL},
      {[](platform::DialogView&) {}, IDCANCEL}};  // left open: the close box
  for (const auto& [script, result] : cases) {
    ScriptedPerson person(script);
    CTestDlg dlg;
    EXPECT_EQ(dlg.DoModal(), result);
    EXPECT_EQ(dlg.m_calls.back(), result == IDOK ? "exchange save" : "OnCancel");
  }
}

TEST_F(CDialogTest, ADialogThatWillNotCloseIsEndedAllTheSame) {
  ScriptedPerson person([](platform::DialogView& v) { v.PressKey(VK_ESCAPE); });
  CTestDlg dlg;
  dlg.m_bCancelEnds = false;
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.m_calls, (std::vector<std::string>{"exchange show", "OnCancel", "OnCancel"}));
}

TEST_F(CDialogTest, FailsWithoutTemplateOrControlBeforeThePersonSeesIt) {
  ScriptedPerson person;
  CTestDlg missing(kMissingTemplateId);
  EXPECT_EQ(missing.DoModal(), -1);
  CTestDlg noList(kNoListTemplateId);
  EXPECT_EQ(noList.DoModal(), -1);
  EXPECT_FALSE(noList.m_bListBound);
  EXPECT_EQ(person.m_runs, 0);
  EXPECT_TRUE(platform::TopLevelWindows().empty());
}

}  // namespace
}  // namespace dialogtesting
