// The product's version and names: the one place a vendor edits them. The version resources of setup.exe and
// of the uninstaller (resources/version.rc) and the uninstall entry's DisplayVersion are made from it.
// Read by the resource compiler and the C++ compiler alike: plain #defines only.
#pragma once

#define PRODUCT_VERSION_MAJOR 1
#define PRODUCT_VERSION_MINOR 0
#define PRODUCT_VERSION_PATCH 0
#define PRODUCT_VERSION_BUILD 0

#define PRODUCT_COMPANY_NAME "KX47 printer"
#define PRODUCT_NAME "KX47 printer driver"
#define PRODUCT_COPYRIGHT "Copyright (C) 2010"
#define PRODUCT_SETUP_DESCRIPTION "KX47 printer driver setup"
#define PRODUCT_UNINSTALL_DESCRIPTION "KX47 printer driver uninstall"

// "1.0.0.0": the version as text, made from the numbers above.
#define PRODUCT_STRINGIFY_(text) #text
#define PRODUCT_STRINGIFY(text) PRODUCT_STRINGIFY_(text)
#define PRODUCT_VERSION_TEXT \
    PRODUCT_STRINGIFY(PRODUCT_VERSION_MAJOR.PRODUCT_VERSION_MINOR.PRODUCT_VERSION_PATCH.PRODUCT_VERSION_BUILD)
