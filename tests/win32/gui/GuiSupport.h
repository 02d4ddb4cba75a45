// Helpers for the dialog tests: language tables on disk, pressing wizard buttons, scripted modal runs,
// in-memory dialog templates.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Dialog.h"

// A language table in the temp directory; g_strLanguageFile names it while the object lives.
class ScopedLanguageTable {
public:
    explicit ScopedLanguageTable(const std::string& content);  // written as is (an INI text)
    ~ScopedLanguageTable();
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
};

// g_strLanguageFile pointing at a file that does not exist.
class ScopedMissingTable {
public:
    ScopedMissingTable();
    ~ScopedMissingTable();

private:
    std::string previous_;
};

std::string TextOf(HWND w);
bool Enabled(HWND dialog, int id);
// BN_CLICKED of control id, as the button sends it.
void Click(HWND dialog, int id);

// Runs dialog modally; every 20 ms the next step runs from the loop. After the last step the run gets at most
// one second to end, after which the run is ended with -2 (a failure of the test that reads the result).
INT_PTR RunModalScript(CDialog& dialog, std::vector<std::function<void()>> steps);

// The visible top-level dialog of this thread whose caption is caption, or null.
HWND FindThreadDialog(const std::string& caption);

struct TemplateItem {
    int id;
    const wchar_t* windowClass;  // L"Static", L"Edit", ...
    const wchar_t* text;
    DWORD style;
};
// A dialog template in memory: classic (16-bit control ids) or extended (32-bit control ids), with the font
// "MS Sans Serif" 8.
std::vector<WORD> BuildDialogTemplate(bool extended, const wchar_t* caption, const std::vector<TemplateItem>& items);
// A modeless dialog from such a template with a dialog procedure that does nothing.
HWND CreateDialogFromTemplate(const std::vector<WORD>& dialogTemplate);
