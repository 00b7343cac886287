// CDialog: creation from a template resource with the object attached, the modal run,
// data exchange, and the OK and Cancel commands.
#include <afxwin.h>

#include <platform/dialogresource.h>
#include <platform/dialogview.h>

#include <utility>

namespace {

// The dialog object whose window is being made, until the creation hook attaches it.
thread_local CDialog* t_pDlgInit = nullptr;

// The thread's dialog creation hook, installed by the outermost creation only: a
// dialog made from inside another's creation (in OnInitDialog) uses it too.
thread_local HHOOK t_hHookDlgCreate = nullptr;

LRESULT CALLBACK AfxDlgCreateHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && t_pDlgInit != nullptr) {
    std::exchange(t_pDlgInit, nullptr)->SubclassWindow(reinterpret_cast<HWND>(wParam));
  }
  return ::CallNextHookEx(t_hHookDlgCreate, code, wParam, lParam);
}

// The dialog window with pDlg attached from its first message; FALSE when it could
// not be made or the object did not end up attached to it.
BOOL CreateDlgIndirect(CDialog* pDlg, const platform::DialogTemplate& dialogTemplate,
                       HWND hWndParent) {
  CDialog* pOuterInit = std::exchange(t_pDlgInit, pDlg);
  const bool bInstalled = t_hHookDlgCreate == nullptr;
  if (bInstalled) t_hHookDlgCreate = ::SetWindowsHookExA(WH_CBT, AfxDlgCreateHook, nullptr, 0);
  HWND hWnd = ::CreateDialogIndirectParamA(nullptr, &dialogTemplate, hWndParent, AfxDlgProc, 0);
  if (bInstalled) {
    ::UnhookWindowsHookEx(t_hHookDlgCreate);
    t_hHookDlgCreate = nullptr;
  }
  t_pDlgInit = pOuterInit;
  return hWnd != nullptr && pDlg->m_hWnd == hWnd;
}

}  // namespace

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, OnOK)
  ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  auto* pDlg = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(hWnd));
  return pDlg != nullptr ? pDlg->OnInitDialog() : TRUE;
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() = default;

int CDialog::DoModal() {
  const platform::DialogTemplate* lpDialogTemplate =
      platform::FindDialogResource(static_cast<int>(m_nIDHelp));
  if (lpDialogTemplate == nullptr || m_hWnd != nullptr) return -1;
  HWND hWndParent = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : nullptr;
  if (!CreateDlgIndirect(this, *lpDialogTemplate, hWndParent)) return -1;
  const int nResult = static_cast<int>(platform::RunModalDialog(m_hWnd));
  DestroyWindow();
  return nResult;
}

void CDialog::EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange dx(this, bSaveAndValidate);
  try {
    DoDataExchange(&dx);
  } catch (CUserException* e) {
    e->Delete();
    return FALSE;
  }
  return TRUE;
}

BOOL CDialog::OnInitDialog() {
  if (!UpdateData(FALSE)) EndDialog(-1);
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }
