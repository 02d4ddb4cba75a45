// Own resources, version and directories, the registry below HKEY_LOCAL_MACHINE, hidden processes.
#include "platform/win32/Win32Platform.h"
#include "platform/win32/SystemLibrary.h"

static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA as Windows 2000 knows it");
static_assert(sizeof(STARTUPINFOA) == (sizeof(void*) == 4 ? 68 : 104), "STARTUPINFOA as Windows knows it");

// ---- resources ---------------------------------------------------------------------------------------

bool Win32Resources::LoadOwnerData(std::uint16_t id, Bytes& out) {
    out.clear();
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "OWNER_DATA");
    if (!found) return false;
    HGLOBAL loaded = LoadResource(nullptr, found);
    if (!loaded) return false;
    const void* bytes = LockResource(loaded);
    DWORD size = SizeofResource(nullptr, found);
    if (!bytes && size != 0) {
        FreeResource(loaded);
        return false;
    }
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    out.assign(p, p + size);
    FreeResource(loaded);
    return true;
}

// ---- version, language, directories ------------------------------------------------------------------

std::uint32_t Win32SystemInfo::PackedVersion() { return GetVersion(); }

bool Win32SystemInfo::VersionRecord(OsVersion& v) {
    v = OsVersion{};
    OSVERSIONINFOA info;
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return false;
    v.major = info.dwMajorVersion;
    v.minor = info.dwMinorVersion;
    v.build = info.dwBuildNumber;
    v.platformId = info.dwPlatformId;
    return true;
}

std::uint16_t Win32SystemInfo::SystemDefaultLangId() { return GetSystemDefaultLangID(); }

std::string Win32SystemInfo::ModulePath() {
    char buf[kPathBuffer];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    // A path that filled the whole buffer was cut short (and may lack its terminator): not a usable path.
    if (n == 0 || n >= sizeof buf) return std::string();
    return std::string(buf, n);
}

std::string Win32SystemInfo::WindowsDir() {
    char buf[kPathBuffer];
    UINT n = GetWindowsDirectoryA(buf, sizeof buf);
    if (n == 0 || n >= sizeof buf) return std::string();
    return std::string(buf, n);
}

std::string Win32SystemInfo::SystemDir() {
    char buf[kPathBuffer];
    UINT n = GetSystemDirectoryA(buf, sizeof buf);
    if (n == 0 || n >= sizeof buf) return std::string();
    return std::string(buf, n);
}

std::uint32_t Win32SystemInfo::AnsiCodePage() { return GetACP(); }

bool Win32SystemInfo::IsAdministrator() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators))
        return false;
    BOOL member = FALSE;
    const bool known = CheckTokenMembership(nullptr, administrators, &member) != 0;
    FreeSid(administrators);
    return known && member;
}

bool Win32SystemInfo::RunsUnderWow64() {
    // Windows 2000 and the first XP releases have no IsWow64Process, and no 64-bit Windows either.
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64Process = SystemProc<IsWow64ProcessFn>(GetModuleHandleA("kernel32.dll"), "IsWow64Process");
    if (!isWow64Process) return false;
    BOOL wow64 = FALSE;
    if (!isWow64Process(GetCurrentProcess(), &wow64)) return true;
    return wow64 != FALSE;
}

std::uint16_t Win32SystemInfo::NativeArchitecture() {
    using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
    const auto getNative = SystemProc<GetNativeSystemInfoFn>(GetModuleHandleA("kernel32.dll"), "GetNativeSystemInfo");
    SYSTEM_INFO info;
    ZeroMemory(&info, sizeof info);
    if (getNative) getNative(&info);
    else GetSystemInfo(&info);
    return info.wProcessorArchitecture;
}

std::string Win32SystemInfo::LocalTime() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char text[24];
    wsprintfA(text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return text;
}

std::string Win32SystemInfo::AnsiToUtf8(const std::string& text) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (wide <= 0) return std::string();
    std::vector<wchar_t> units(static_cast<std::size_t>(wide));
    if (MultiByteToWideChar(CP_ACP, 0, text.data(), length, units.data(), wide) != wide) return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, units.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string out(static_cast<std::size_t>(bytes), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, units.data(), wide, &out[0], bytes, nullptr, nullptr) != bytes)
        return std::string();
    return out;
}

// ---- registry ----------------------------------------------------------------------------------------

namespace {
HKEY ToHkey(RegKeyHandle key) { return reinterpret_cast<HKEY>(key); }
}  // namespace

bool Win32Registry::CreateKey(const std::string& path, RegKeyHandle& key) {
    key = 0;
    HKEY created = nullptr;
    LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &created, nullptr);
    if (rc != ERROR_SUCCESS) return false;
    key = reinterpret_cast<RegKeyHandle>(created);
    return true;
}

Status Win32Registry::OpenKey(const std::string& path, RegKeyHandle& key) {
    key = 0;
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &opened);
    if (result != ERROR_SUCCESS) return FailedWith(static_cast<std::uint32_t>(result));
    key = reinterpret_cast<RegKeyHandle>(opened);
    return Status();
}

Status Win32Registry::SetValue(RegKeyHandle key, const std::string& name, std::uint32_t type, const unsigned char* data,
                               std::uint32_t size) {
    if (key == 0) return FailedWith(ERROR_INVALID_HANDLE);
    // For a string whose last byte is not NUL, RegSetValueExA looks at the byte after the data and counts it
    // as the terminator when it is NUL (as NT does): one byte is read past what was given, and what is
    // stored depends on it. The copy is followed by a byte that is not NUL, so the value keeps exactly the
    // bytes given.
    Bytes copy(data, data + size);
    copy.push_back(0xFF);
    return ReturnedError(static_cast<std::uint32_t>(RegSetValueExA(ToHkey(key), name.c_str(), 0, type, copy.data(), size)));
}

Status Win32Registry::DeleteValue(RegKeyHandle key, const std::string& name) {
    if (key == 0) return FailedWith(ERROR_INVALID_HANDLE);
    const LONG result = RegDeleteValueA(ToHkey(key), name.c_str());
    return result == ERROR_FILE_NOT_FOUND ? Status() : ReturnedError(static_cast<std::uint32_t>(result));
}

void Win32Registry::CloseKey(RegKeyHandle key) {
    if (key != 0) RegCloseKey(ToHkey(key));
}

bool Win32Registry::ReadString(const std::string& path, const std::string& name, std::string& text) {
    text.clear();
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    BYTE buf[kPathBuffer + 1] = {};
    DWORD type = 0, size = kPathBuffer;  // one byte more stays zero: the value is always terminated
    const bool read = RegQueryValueExA(key, name.c_str(), nullptr, &type, buf, &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (!read || type != REG_SZ || size > kPathBuffer) return false;
    std::size_t n = 0;
    while (n < size && buf[n] != 0) ++n;
    if (n >= kPathBuffer) return false;
    text.assign(reinterpret_cast<const char*>(buf), n);
    return true;
}

Status Win32Registry::DeleteKey(const std::string& path) {
    if (path.empty()) return FailedWith(ERROR_INVALID_PARAMETER);  // RegDeleteKeyA would take it as the root key
    return ReturnedError(static_cast<std::uint32_t>(RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str())));
}

// ---- processes ---------------------------------------------------------------------------------------

namespace {

constexpr DWORD kEndedProcessWaitMs = 10000;  // for a process that was told to end

// CreateProcessA (hidden window), then afterCreate whatever came of it, then the bounded wait.
template <typename AfterCreate>
RunOutcome RunHiddenProcess(const std::string& commandLine, std::uint32_t timeoutMs, std::uint32_t& error,
                            AfterCreate afterCreate) {
    error = 0;
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    std::vector<char> command(commandLine.begin(), commandLine.end());  // CreateProcessA may write into it
    command.push_back('\0');
    const BOOL created =
        CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    const Status createStatus = created ? Status() : LastFailure();
    afterCreate();
    if (!created) {
        error = createStatus.error;
        return RunOutcome::NotCreated;
    }
    DWORD wait = WaitForSingleObject(process.hProcess, timeoutMs);
    if (wait != WAIT_OBJECT_0) {
        // It must not go on working on files that the caller is about to let go: it is ended, and waited for.
        TerminateProcess(process.hProcess, ERROR_TIMEOUT);
        WaitForSingleObject(process.hProcess, kEndedProcessWaitMs);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return wait == WAIT_OBJECT_0 ? RunOutcome::Ended : RunOutcome::TimedOut;
}

}  // namespace

RunOutcome Win32Processes::RunHidden(const std::string& commandLine, std::uint32_t timeoutMs, std::uint32_t& error) {
    return RunHiddenProcess(commandLine, timeoutMs, error, [] {});
}

RunOutcome Win32Processes::RunHiddenNative(const std::string& commandLine, std::uint32_t timeoutMs,
                                           std::uint32_t& error) {
    // Only CreateProcessA runs with redirection off: anything else this thread does (loading a DLL by name
    // among them) would be redirected to 64-bit files a 32-bit process cannot use.
    using DisableFn = BOOL(WINAPI*)(PVOID*);
    using RevertFn = BOOL(WINAPI*)(PVOID);
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto disable = SystemProc<DisableFn>(kernel, "Wow64DisableWow64FsRedirection");
    const auto revert = SystemProc<RevertFn>(kernel, "Wow64RevertWow64FsRedirection");
    PVOID old = nullptr;
    if (!disable || !revert) {
        error = ERROR_PROC_NOT_FOUND;
        return RunOutcome::NotCreated;
    }
    if (!disable(&old)) {
        error = LastFailure().error;
        return RunOutcome::NotCreated;
    }
    return RunHiddenProcess(commandLine, timeoutMs, error, [&] { revert(old); });
}

Status Win32Processes::StartHidden(const std::string& commandLine) {
    // Above 31 it started; below, the result is the error (0: out of memory or resources).
    const UINT result = WinExec(commandLine.c_str(), SW_HIDE);
    if (result > 31) return Status();
    return FailedWith(result != 0 ? result : ERROR_NOT_ENOUGH_MEMORY);
}

void Win32Processes::Pause(std::uint32_t ms) { Sleep(ms); }
