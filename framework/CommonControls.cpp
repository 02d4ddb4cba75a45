#include "framework/CommonControls.h"

#include <windows.h>
#include <commctrl.h>

#include "platform/win32/SystemLibrary.h"

bool EnableDialogControls() {
    // Kept loaded for the life of the process: the registered classes live in it.
    static HMODULE comctl = LoadSystemLibrary("comctl32.dll");
    if (comctl == nullptr) return false;
    using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    using Init = void(WINAPI*)();
    if (InitEx initEx = SystemProc<InitEx>(comctl, "InitCommonControlsEx")) {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
        if (initEx(&icc)) return true;
    }
    if (Init init = SystemProc<Init>(comctl, "InitCommonControls")) {
        init();
        return true;
    }
    return false;
}
