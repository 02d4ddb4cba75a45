// The common-controls library (progress bar class), loaded from the system directory at run time.
#pragma once

// Loads comctl32.dll by its full system path and registers the progress bar class (InitCommonControlsEx
// when the library has it, else InitCommonControls). True when the class is registered. Safe to call again.
bool EnableDialogControls();
