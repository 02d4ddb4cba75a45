#include "framework/DataExchange.h"

#include "framework/Dialog.h"

HWND CDataExchange::Control(int id) const { return ::GetDlgItem(m_pDlgWnd->m_hWnd, id); }

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    HWND item = pDX->Control(id);
    if (item != nullptr && control.m_hWnd != item) control.Attach(item);
}

namespace {
bool IsRadioButton(HWND button) {
    return (::SendMessageA(button, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}
}  // namespace

void DDX_Radio(CDataExchange* pDX, int firstId, int& index) {
    HWND button = pDX->Control(firstId);
    if (button == nullptr) return;
    if (pDX->m_bSaveAndValidate) index = -1;
    int position = 0;
    do {
        if (IsRadioButton(button)) {
            if (pDX->m_bSaveAndValidate) {
                if (index == -1 && ::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED) index = position;
            } else {
                ::SendMessageA(button, BM_SETCHECK, position == index ? BST_CHECKED : BST_UNCHECKED, 0);
            }
            ++position;
        }
        button = ::GetWindow(button, GW_HWNDNEXT);
    } while (button != nullptr && (::GetWindowLongA(button, GWL_STYLE) & WS_GROUP) == 0);
}

void DDX_Check(CDataExchange* pDX, int id, int& state) {
    HWND box = pDX->Control(id);
    if (box == nullptr) return;
    if (pDX->m_bSaveAndValidate)
        state = static_cast<int>(::SendMessageA(box, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(box, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void DDX_Text(CDataExchange* pDX, int id, std::string& text) {
    HWND item = pDX->Control(id);
    if (item == nullptr) return;
    CWnd wnd(item);
    if (pDX->m_bSaveAndValidate)
        text = wnd.GetWindowTextA();
    else
        wnd.SetWindowTextA(text.c_str());
    wnd.Detach();
}
