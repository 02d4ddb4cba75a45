// A window is its HWND plus behaviour: nothing here keeps state that Windows already keeps.
#pragma once
#include <windows.h>

#include <string>

class CWnd {
public:
    CWnd() = default;
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    HWND Detach() {
        HWND h = m_hWnd;
        m_hWnd = nullptr;
        return h;
    }
    operator HWND() const { return m_hWnd; }

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    bool IsWindow() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }

    // The ANSI forms by name: the unsuffixed names are macros of <windows.h>.
    void SetWindowTextA(const char* text) { ::SetWindowTextA(m_hWnd, text); }
    std::string GetWindowTextA() const;
    LRESULT SendMessageA(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    LONG GetExStyle() const { return ::GetWindowLongA(m_hWnd, GWL_EXSTYLE); }
    void ModifyExStyle(LONG remove, LONG add) const {
        ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, (GetExStyle() & ~remove) | add);
    }

    BOOL ShowWindow(int cmd) const { return ::ShowWindow(m_hWnd, cmd); }
    BOOL EnableWindow(bool enable) const { return ::EnableWindow(m_hWnd, enable ? TRUE : FALSE); }
    bool IsIconic() const { return ::IsIconic(m_hWnd) != FALSE; }

    void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    // Converts a rectangle from screen coordinates to this window's client coordinates.
    void ScreenToClient(RECT* rect) const;
    void MoveWindow(const RECT& rect, bool repaint = true) const {
        ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     repaint ? TRUE : FALSE);
    }
    BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags) const {
        return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
    }
    // Centres the (top-level) window on its owner, or on the screen without one, inside the screen's work area.
    void CenterWindow() const;
    void Invalidate(bool erase = true) const { ::InvalidateRect(m_hWnd, nullptr, erase ? TRUE : FALSE); }
    void UpdateWindow() const { ::UpdateWindow(m_hWnd); }
    BOOL DestroyWindow();
    HICON SetIcon(HICON icon, bool big) const {
        return reinterpret_cast<HICON>(SendMessageA(WM_SETICON, big ? ICON_BIG : ICON_SMALL,
                                                    reinterpret_cast<LPARAM>(icon)));
    }
    HMENU GetSystemMenu(bool revert) const { return ::GetSystemMenu(m_hWnd, revert ? TRUE : FALSE); }

    HWND m_hWnd = nullptr;
};

// The instance whose resources the windows are built from: the running program.
HINSTANCE AfxGetResourceHandle();
