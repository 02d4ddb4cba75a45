#include "framework/Wnd.h"

std::string CWnd::GetWindowTextA() const {
    int length = ::GetWindowTextLengthA(m_hWnd);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(m_hWnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

void CWnd::ScreenToClient(RECT* rect) const {
    POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
    ::ScreenToClient(m_hWnd, &corners[0]);
    ::ScreenToClient(m_hWnd, &corners[1]);
    *rect = RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == nullptr) return FALSE;
    HWND h = m_hWnd;
    BOOL ok = ::DestroyWindow(h);
    if (ok && m_hWnd == h) m_hWnd = nullptr;
    return ok;
}

HINSTANCE AfxGetResourceHandle() { return ::GetModuleHandleA(nullptr); }
