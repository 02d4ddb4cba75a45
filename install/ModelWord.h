// Model word: the INF's name and model, the installed printer's base name and the search key for it.
#pragma once

constexpr const char* kModelWord = "KX47";
