#include "framework/Dialog.h"

#include <iterator>

#include "framework/DataExchange.h"
#include "framework/WinApp.h"

const MessageMapEntry CDialog::kMessageEntries[] = {
    OnCommand(BN_CLICKED, IDOK, &CDialog::OnOK),          // virtual: the most derived OnOK runs
    OnCommand(BN_CLICKED, IDCANCEL, &CDialog::OnCancel),  // virtual: the most derived OnCancel runs
};
const MessageMap CDialog::kMessageMap = {nullptr, kMessageEntries, static_cast<int>(std::size(kMessageEntries))};
const MessageMap* CDialog::GetMessageMap() const { return &kMessageMap; }

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    // A window still open when its object goes must not call back into it.
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
        ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
        ::DestroyWindow(m_hWnd);
    }
    m_hWnd = nullptr;
}

INT_PTR CDialog::DoModal() {
    HWND owner = nullptr;
    if (m_pParentWnd != nullptr) {
        owner = m_pParentWnd->m_hWnd;
    } else if (CWinApp* app = AfxGetApp()) {
        // Like any modal box, one without a parent belongs to the main window, which it disables meanwhile.
        if (app->m_pMainWnd != nullptr && app->m_pMainWnd != this && app->m_pMainWnd->IsWindow())
            owner = app->m_pMainWnd->m_hWnd;
    }
    m_bEnded = false;
    m_nModalResult = -1;
    m_bInModalLoop = true;
    HWND hWnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), owner,
                                     &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (hWnd == nullptr) {
        m_bInModalLoop = false;
        return -1;
    }
    bool ownerDisabled = owner != nullptr && ::IsWindowEnabled(owner);
    if (ownerDisabled) ::EnableWindow(owner, FALSE);
    if (!m_bEnded && !::IsWindowVisible(hWnd)) ::ShowWindow(hWnd, SW_SHOWNORMAL);

    // Our own loop rather than the system's, so that the dialog may look at a message before the dialog
    // manager does (PreTranslateMessage).
    MSG msg;
    while (!m_bEnded) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));  // the caller's loop (if any) sees it too
            m_nModalResult = -1;
            break;
        }
        if (got == -1) break;
        if (!PreTranslateMessage(&msg) && !::IsDialogMessageA(hWnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    m_bInModalLoop = false;
    if (ownerDisabled) ::EnableWindow(owner, TRUE);
    if (owner != nullptr && ::GetActiveWindow() == hWnd) ::SetActiveWindow(owner);
    if (::IsWindow(hWnd)) ::DestroyWindow(hWnd);
    m_hWnd = nullptr;
    return m_nModalResult;
}

bool CDialog::Create(UINT templateId, CWnd* parent) {
    if (parent != nullptr) m_pParentWnd = parent;
    parent = m_pParentWnd;
    HWND hWnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(templateId),
                                     parent != nullptr ? parent->m_hWnd : nullptr, &CDialog::DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    if (hWnd == nullptr) return false;
    m_hWnd = hWnd;
    return true;
}

void CDialog::EndDialog(INT_PTR result) {
    if (m_bInModalLoop) {
        m_bEnded = true;
        m_nModalResult = result;
    }
    ::EndDialog(m_hWnd, result);  // hides the window; the modal loop then destroys it
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return true;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(true);
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}

HBRUSH CDialog::DefaultCtlColor(HDC dc, HWND control, UINT kind) const {
    return reinterpret_cast<HBRUSH>(::DefWindowProcA(m_hWnd, WM_CTLCOLORMSGBOX + kind, reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(control)));
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hWnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->m_hWnd = hWnd;
    } else {
        self = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    }
    if (self == nullptr) return FALSE;  // messages before WM_INITDIALOG, or after the object let go

    INT_PTR result = FALSE;
    try {
        if (!self->Dispatch(message, wParam, lParam, result)) result = FALSE;
    } catch (...) {
        result = FALSE;  // nothing may unwind into the system's code
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        if (self->m_hWnd == hWnd) self->m_hWnd = nullptr;
    }
    return result;
}

bool CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (message == WM_INITDIALOG) {
        result = OnInitDialog();
        return true;
    }
    for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base) {
        for (const MessageMapEntry* e = map->entries; e != map->entries + map->count; ++e) {
            if (message < e->first || message > e->last) continue;
            if (message == WM_COMMAND && (HIWORD(wParam) != e->code || LOWORD(wParam) != e->id)) continue;
            result = e->call(*this, e->handler, message, wParam, lParam);
            return true;
        }
    }
    return false;
}

namespace message_map_detail {
namespace {
template <class Handler>
Handler As(MessageHandler h) { return Recast<Handler>(h); }
}  // namespace

INT_PTR CallCommand(CDialog& d, MessageHandler h, UINT, WPARAM, LPARAM) {
    (d.*h)();
    return TRUE;
}
INT_PTR CallVoid(CDialog& d, MessageHandler h, UINT, WPARAM, LPARAM) {
    (d.*h)();
    return FALSE;
}
INT_PTR CallBool(CDialog& d, MessageHandler h, UINT, WPARAM, LPARAM) {
    return (d.*As<bool (CDialog::*)()>(h))() ? TRUE : FALSE;
}
INT_PTR CallShowWindow(CDialog& d, MessageHandler h, UINT, WPARAM wParam, LPARAM lParam) {
    (d.*As<void (CDialog::*)(BOOL, UINT)>(h))(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
    return FALSE;
}
INT_PTR CallSysCommand(CDialog& d, MessageHandler h, UINT, WPARAM wParam, LPARAM lParam) {
    return (d.*As<bool (CDialog::*)(UINT, LPARAM)>(h))(static_cast<UINT>(wParam), lParam) ? TRUE : FALSE;
}
INT_PTR CallCtlColor(CDialog& d, MessageHandler h, UINT message, WPARAM wParam, LPARAM lParam) {
    return reinterpret_cast<INT_PTR>((d.*As<HBRUSH (CDialog::*)(HDC, HWND, UINT)>(h))(
        reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message - WM_CTLCOLORMSGBOX));
}
INT_PTR CallEraseBkgnd(CDialog& d, MessageHandler h, UINT, WPARAM wParam, LPARAM) {
    d.SetMsgResult((d.*As<BOOL (CDialog::*)(HDC)>(h))(reinterpret_cast<HDC>(wParam)));
    return TRUE;
}
INT_PTR CallQueryDragIcon(CDialog& d, MessageHandler h, UINT, WPARAM, LPARAM) {
    return reinterpret_cast<INT_PTR>((d.*As<HCURSOR (CDialog::*)()>(h))());
}
INT_PTR CallTimer(CDialog& d, MessageHandler h, UINT, WPARAM wParam, LPARAM) {
    (d.*As<void (CDialog::*)(UINT_PTR)>(h))(static_cast<UINT_PTR>(wParam));
    return FALSE;
}
}  // namespace message_map_detail
