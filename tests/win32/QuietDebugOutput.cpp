// GoogleTest copies every result it reports (a failure, a skip) to the debugger with OutputDebugStringA,
// and with the first such result it also starts a thread that watches for the end of the test thread. Wine's
// OutputDebugStringA raises an exception to look for a debugger. Where 32-bit Windows programs run under
// qemu-user, Wine cannot tell what a hardware fault was, and an exception dispatched while a second thread
// exists ends the process ("Unhandled exception 0x80000003 ... starting debugger") instead of reporting the
// result. No debugger reads these copies, so the Windows test programs bind the import that GoogleTest
// calls to a function that drops the text: reporting a result raises nothing.
extern "C" {

static void __stdcall DropDebugString(const char*) {}

#ifdef _WIN64
void(__stdcall* __imp_OutputDebugStringA)(const char*) = DropDebugString;
#else
void(__stdcall* ImportedOutputDebugStringA)(const char*) __asm__("__imp__OutputDebugStringA@4") = DropDebugString;
#endif

}  // extern "C"
