// The application object: start-up entry, main-window pointer, global application pointer.
// This header is portable so that the engine's application class also builds natively.
#pragma once

#ifndef _WIN32
typedef int BOOL;
#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif
#else
#include <windows.h>
#endif

class CWnd;

class CWinApp {
public:
    // appName: the application's title; null takes the framework's default, the program file's base name.
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Called once by the framework after static initialisation; FALSE ends the program right after it.
    virtual BOOL InitInstance();
    // The program's exit code once InitInstance has returned FALSE.
    virtual int ExitInstance();
    // The thread object's clean-up hook; the framework never calls it for the application object.
    virtual void Delete();

    CWnd* m_pMainWnd = nullptr;
    const char* m_pszAppName = nullptr;  // set by the framework before InitInstance
    const char* m_lpCmdLine = "";        // the command line after the program name, set before InitInstance
};

// The running application object (the last one constructed), or null.
CWinApp* AfxGetApp();
