#include "wizard/setupDlg.h"

#include <iterator>

#include "localization/win32/DialogStrings.h"
#include "resources/resource.h"

const MessageMapEntry CSetupDlg::kMessageEntries[] = {
    OnSysCommandMsg(&CSetupDlg::OnSysCommand),
    OnMessageBool(WM_PAINT, &CSetupDlg::OnPaint),
    OnQueryDragIconMsg(&CSetupDlg::OnQueryDragIcon),
    OnCommand(BN_CLICKED, IDC_CANCEL_BUTTON, &CSetupDlg::OnCancel),
};
const MessageMap CSetupDlg::kMessageMap = {&CNewWizDialog::kMessageMap, kMessageEntries,
                                           static_cast<int>(std::size(kMessageEntries))};
const MessageMap* CSetupDlg::GetMessageMap() const { return &kMessageMap; }

CSetupDlg::CSetupDlg(CWnd* parent)
    : CNewWizDialog(IDD_SETUP_DIALOG, parent),
      m_hIcon(::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

BOOL CSetupDlg::OnInitDialog() {
    SetPlaceholderID(IDC_PLACEHOLDER);
    SetCancelID(IDC_CANCEL_BUTTON);
    CNewWizDialog::OnInitDialog();

    if (HMENU menu = GetSystemMenu(false)) {
        char text[256] = {};
        if (::LoadStringA(AfxGetResourceHandle(), IDS_ABOUTBOX, text, sizeof text) > 0 && text[0] != '\0') {
            ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, text);
        }
    }
    SetIcon(m_hIcon, true);
    SetIcon(m_hIcon, false);

    g_SetDialogStrings(this, IDD_SETUP_DIALOG);
    return FALSE;  // the container has set the focus
}

void CSetupDlg::OnCancel() { CNewWizDialog::OnCancel(); }

bool CSetupDlg::OnSysCommand(UINT id, LPARAM) {
    if ((id & ~0xFu) != IDM_ABOUTBOX) return false;
    CAboutDlg about;
    about.DoModal();
    return true;
}

bool CSetupDlg::OnPaint() {
    if (!IsIconic()) return false;
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    SendMessageA(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    int cxIcon = ::GetSystemMetrics(SM_CXICON);
    int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    int x = (rect.right - rect.left - cxIcon + 1) / 2;
    int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    ::EndPaint(m_hWnd, &ps);
    return true;
}

HCURSOR CSetupDlg::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(m_hIcon); }

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX, nullptr) {}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    g_SetDialogStrings(this, IDD_ABOUTBOX);
    CenterWindow();  // on the wizard that owns it
    return TRUE;
}

void CAboutDlg::OnOK() { CDialog::OnOK(); }
