// The standard controls the pages bind, as thin wrappers over their messages.
#pragma once
#include "framework/Wnd.h"

#include <commctrl.h>

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessageA(BM_GETCHECK)); }
    void SetCheck(int state) const { SendMessageA(BM_SETCHECK, static_cast<WPARAM>(state)); }
};

class CStatic : public CWnd {
public:
    HBITMAP GetBitmap() const { return reinterpret_cast<HBITMAP>(SendMessageA(STM_GETIMAGE, IMAGE_BITMAP)); }
};

class CListBox : public CWnd {
public:
    int AddString(const char* text) const {
        return static_cast<int>(SendMessageA(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int GetCount() const { return static_cast<int>(SendMessageA(LB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessageA(LB_GETCURSEL)); }
    int SetCurSel(int index) const { return static_cast<int>(SendMessageA(LB_SETCURSEL, static_cast<WPARAM>(index))); }
    std::string GetText(int index) const;
};

class CProgressCtrl : public CWnd {
public:
    int SetPos(int pos) const { return static_cast<int>(SendMessageA(PBM_SETPOS, static_cast<WPARAM>(pos))); }
    int GetPos() const { return static_cast<int>(SendMessageA(PBM_GETPOS)); }
};
