#include "framework/WinApp.h"

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName) { g_pApp = this; }

CWinApp::~CWinApp() {
    if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

void CWinApp::Delete() {}

CWinApp* AfxGetApp() { return g_pApp; }
