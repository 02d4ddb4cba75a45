// Replaces a dialog's caption and its direct children's texts from the language table in use, and gives the
// children an Arial font when the system's default language is English.
#pragma once
#include <string>

#include "framework/Wnd.h"

// The language table the texts come from (start-up's choice); empty: none, the templates' texts stay.
void SetDialogStringsTable(const std::string& tablePath);
const std::string& DialogStringsTable();

// dialogId: the template the dialog was built from; it forms the keys "IDD<id>_Title" and "IDD<id>_<control>".
void g_SetDialogStrings(CWnd* dialog, int dialogId);

// The decisions it makes, as plain functions.
std::string DialogCaptionKey(int dialogId);
std::string DialogControlKey(int dialogId, int controlId);
// Arial for the controls: the low byte of the system's default language id is 9 (English, any region).
bool UsesArialControlFont(unsigned short systemLangId);
