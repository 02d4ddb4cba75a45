// The standard controls the pages bind, as thin wrappers over their messages.
#pragma once
#include "framework/Wnd.h"

#include <commctrl.h>

class CButton : public CWnd {};

class CStatic : public CWnd {};

class CListBox : public CWnd {
public:
    int AddString(const char* text) const {
        return static_cast<int>(SendMessageA(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int GetCurSel() const { return static_cast<int>(SendMessageA(LB_GETCURSEL)); }
};

class CProgressCtrl : public CWnd {
public:
    int SetPos(int pos) const { return static_cast<int>(SendMessageA(PBM_SETPOS, static_cast<WPARAM>(pos))); }
};
