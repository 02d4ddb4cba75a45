// Dialog data exchange: one function per dialog lists each bound control once, for both directions.
#pragma once
#include <string>

#include "framework/Wnd.h"

class CDialog;

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, bool saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    HWND Control(int id) const;

    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;  // true: controls to members; false: members to controls
};

// Binds control id to the wrapper (either direction); a wrapper already bound to that window is left alone.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// A radio group from its first button (the one with WS_GROUP) up to the next WS_GROUP control:
// the index of the checked radio button among the group's radio buttons, -1 for none.
void DDX_Radio(CDataExchange* pDX, int firstId, int& index);
// A check box's state: 0 clear, 1 checked, 2 indeterminate.
void DDX_Check(CDataExchange* pDX, int id, int& state);
// A control's text.
void DDX_Text(CDataExchange* pDX, int id, std::string& text);
