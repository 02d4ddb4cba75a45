#include "pages/HeaderLayout.h"

#include "framework/WinApp.h"

RECT HeaderFrameRect(const RECT& frame, const RECT& mainOuter) {
    return RECT{mainOuter.left, mainOuter.top, mainOuter.right, frame.bottom};
}

RECT HeaderPictureRect(const RECT& picture, const RECT& mainOuter) {
    LONG width = picture.right - picture.left;
    LONG height = picture.bottom - picture.top;
    LONG right = mainOuter.right - 5;
    return RECT{right - width, 18, right, 18 + height};
}

void ApplyHeaderLayout(CWnd& page, CWnd& frame, CWnd& picture) {
    HWND wizard = nullptr;
    if (CWinApp* app = AfxGetApp())
        if (app->m_pMainWnd != nullptr && app->m_pMainWnd->IsWindow()) wizard = app->m_pMainWnd->m_hWnd;
    if (wizard == nullptr) wizard = page.GetParent();
    if (wizard == nullptr || !frame.IsWindow() || !picture.IsWindow()) return;

    CWnd main(wizard);
    RECT mainOuter;
    main.GetWindowRect(&mainOuter);
    main.ScreenToClient(&mainOuter);
    main.Detach();

    RECT rect;
    frame.GetWindowRect(&rect);
    page.ScreenToClient(&rect);
    frame.MoveWindow(HeaderFrameRect(rect, mainOuter), true);

    picture.GetWindowRect(&rect);
    page.ScreenToClient(&rect);
    picture.MoveWindow(HeaderPictureRect(rect, mainOuter), true);
}
