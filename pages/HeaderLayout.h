// The header of the language and progress pages: the frame (group box IDC_HEADER_FRAME) is stretched so that only
// its bottom line shows, as a separator across the page, and the picture (IDC_HEADER_PICTURE) is pinned near the
// wizard's top-right corner.
#pragma once
#include "framework/Wnd.h"

// mainOuter: the wizard window's outer rectangle in its own client coordinates (left and top negative).
// The frame keeps its bottom and takes mainOuter's left, top and right.
RECT HeaderFrameRect(const RECT& frame, const RECT& mainOuter);
// The picture keeps its size; its top is at 18 and its right edge at mainOuter's right minus 5.
RECT HeaderPictureRect(const RECT& picture, const RECT& mainOuter);

// Moves (and repaints) the page's frame and picture; the wizard is the application's main window, or the
// page's parent while there is none.
void ApplyHeaderLayout(CWnd& page, CWnd& frame, CWnd& picture);
