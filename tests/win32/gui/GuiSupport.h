// Helpers for the dialog tests: language tables on disk, pressing wizard buttons, scripted modal runs, and
// the real wizard with its four real pages.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pages/CopyDlg.h"
#include "pages/LanguageDlg.h"
#include "pages/SettingDlg.h"
#include "pages/WelcomeDlg.h"
#include "wizard/setupDlg.h"

// A language table in the temp directory that the dialogs' texts come from while the object lives; written as is
// (an INI text), or, for null content, a file that does not exist.
class ScopedLanguageTable {
public:
    explicit ScopedLanguageTable(const char* content);
    ~ScopedLanguageTable();

private:
    std::string path_;
    std::string previous_;
};

std::string TextOf(HWND w);
bool Enabled(HWND dialog, int id);
// BN_CLICKED of control id, as the button sends it.
void Click(HWND dialog, int id);
// The wizard's Back, Next and Finish as "BNF", with '-' for each disabled one.
std::string Buttons(HWND wizard);

// The keyboard as the wizard's loop receives it: a key (WM_KEYDOWN, WM_KEYUP) or Alt plus a character
// (WM_SYSCHAR) posted to the focus, Shift held or released for the keys the loop takes next.
void PostKey(WPARAM key);
void PostAlt(char c);
void HoldShift(bool down);
// The focus is on a visible control of the wizard that is enabled, as are the windows between them.
bool FocusUsable(HWND wizard);
// DM_GETDEFID names an enabled button of the wizard: its id, else 0.
int EnabledDefault(HWND wizard);

// The window's rectangle in the parent's client coordinates.
RECT RectIn(HWND window, HWND parent);

// Runs dialog modally; every 20 ms the next step runs from the loop. After the last step the run gets at most
// one second to end, after which the run is ended with -2 (a failure of the test that reads the result).
INT_PTR RunModalScript(CDialog& dialog, std::vector<std::function<void()>> steps);

// The visible dialog whose caption is caption, or null.
HWND FindVisibleDialog(const char* caption);

// The real wizard window with the four real pages, created modeless on an English language table.
class RealWizardTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    template <class... Ids>
    void Press(Ids... ids) { (Click(hwnd, ids), ...); }  // the buttons in turn
    // Selects the series on the settings page as a click does.
    void SelectSeries();
    void ToProgressPage();

    std::unique_ptr<ScopedLanguageTable> table;
    CSetupDlg wizard;
    CWelcomeDlg welcome;
    CLanguageDlg language;
    CSettingDlg setting;
    CCopyDlg copy;
    HWND hwnd = nullptr;
};
