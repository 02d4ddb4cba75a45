/* wizard_buttons.exe next|back|finish|cancel|close|about|about-ok|message-ok|message-exists|select|exists: presses the wizard's
 * buttons with the messages they send, for tools/run and tools/screenshots (a tool, never part of the product). */
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "resources/resource.h"

static HWND found;
static BOOL CALLBACK FindWizard(HWND w, LPARAM want_about) {
    char cls[64] = "", title[128] = "";
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, title, sizeof title);
    if (strcmp(cls, "#32770") != 0 || !IsWindowVisible(w)) return TRUE;
    if (want_about ? strcmp(title, "About setup wizard") == 0 : GetDlgItem(w, ID_WIZNEXT) != NULL) {
        found = w;
        return FALSE;
    }
    return TRUE;
}
static HWND Find(int about) {
    found = NULL;
    EnumWindows(FindWizard, about);
    return found;
}
static void Click(HWND dlg, int id) {
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, id));
}
static BOOL CALLBACK FindList(HWND w, LPARAM out) {
    if (GetDlgCtrlID(w) == IDC_SERIES_LIST) { *(HWND*)out = w; return FALSE; }
    return TRUE;
}
int main(int argc, char** argv) {
    const char* cmd = argc > 1 ? argv[1] : "exists";
    HWND wiz = Find(!strcmp(cmd, "about-ok"));
    if (!wiz) { fprintf(stderr, "robot: no window for %s\n", cmd); return 1; }
    if (!strcmp(cmd, "next")) Click(wiz, ID_WIZNEXT);
    else if (!strcmp(cmd, "back")) Click(wiz, ID_WIZBACK);
    else if (!strcmp(cmd, "finish")) Click(wiz, ID_WIZFINISH);
    else if (!strcmp(cmd, "cancel")) Click(wiz, IDC_CANCEL_BUTTON);
    else if (!strcmp(cmd, "close")) PostMessageA(wiz, WM_SYSCOMMAND, SC_CLOSE, 0);
    else if (!strcmp(cmd, "about")) PostMessageA(wiz, WM_SYSCOMMAND, 0x10, 0);
    else if (!strcmp(cmd, "about-ok")) Click(wiz, IDOK);
    else if (!strcmp(cmd, "message-ok") || !strcmp(cmd, "message-exists")) {
        /* The installation's result message: the visible dialog with an OK button that is not the wizard. */
        HWND w = NULL;
        while ((w = FindWindowExA(NULL, w, "#32770", NULL)) != NULL)
            if (w != wiz && IsWindowVisible(w) && GetDlgItem(w, IDOK) != NULL) break;
        if (!w) return 1;
        if (!strcmp(cmd, "message-ok")) Click(w, IDOK);
    }
    else if (!strcmp(cmd, "select")) {
        HWND list = NULL;
        EnumChildWindows(wiz, FindList, (LPARAM)&list);
        if (!list) return 1;
        SendMessageA(list, LB_SETCURSEL, 0, 0);
        PostMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(IDC_SERIES_LIST, LBN_SELCHANGE), (LPARAM)list);
    } else if (!strcmp(cmd, "exists")) {
        RECT r;
        GetWindowRect(wiz, &r);
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    return 0;
}
