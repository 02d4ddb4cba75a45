// The platform interfaces implemented with the Win32 API.
#pragma once
#include <windows.h>

#include <functional>

#include "platform/Platform.h"

// The thread's last error, taken at once after the call that failed, before any clean-up call can replace it.
inline Status LastFailure() { return FailedWith(GetLastError()); }
// The code a call returned (the Reg* functions, WinExec's small results), ERROR_SUCCESS being success.
inline Status ReturnedError(std::uint32_t code) { return Status{code}; }

class Win32FileSystem : public IFileSystem {
public:
    Status MakeDirectory(const std::string& path) override;
    Status RemoveFile(const std::string& path) override;
    Status RemoveAtRestart(const std::string& path) override;
    bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) override;
    bool ReadWholeFile(const std::string& path, Bytes& out) override;
    bool WriteWholeFile(const std::string& path, const Bytes& data) override;
    Status WriteNewFile(const std::string& path, const Bytes& data) override;
    Status Inspect(const std::string& path, PathState& state) override;
    bool FindFiles(const std::string& pattern, std::vector<FoundFile>& out) override;
    bool SetCurrentDir(const std::string& path) override;
    bool HoldDirectory(const std::string& path, HeldHandle& held) override;
    Status HoldFile(const std::string& path, bool forDelete, HeldHandle& held, PathState& state) override;
    Status ReadHeld(HeldHandle held, Bytes& out) override;
    Status DeleteHeld(HeldHandle held) override;
    bool CreateHeldFile(const std::string& path, HeldHandle& held) override;
    bool AppendHeld(HeldHandle held, const Bytes& data) override;
    void Release(HeldHandle held) override;
};

class Win32Profile : public IProfile {
public:
    std::uint32_t ReadString(const std::string& section, const std::string& key, const std::string& def,
                             std::string& out, std::uint32_t bufferSize, const std::string& file) override;
    bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& file) override;
};

class Win32Resources : public IResources {
public:
    bool LoadOwnerData(std::uint16_t id, Bytes& out) override;
};

class Win32SystemInfo : public ISystemInfo {
public:
    std::uint32_t PackedVersion() override;
    bool VersionRecord(OsVersion& v) override;
    std::uint16_t SystemDefaultLangId() override;
    std::string ModulePath() override;
    std::string WindowsDir() override;
    std::string SystemDir() override;
    std::uint32_t AnsiCodePage() override;
    bool IsAdministrator() override;
    bool RunsUnderWow64() override;
    std::uint16_t NativeArchitecture() override;
    std::string AnsiToUtf8(const std::string& text) override;
    std::string LocalTime() override;
};

class Win32Registry : public IRegistry {
public:
    bool CreateKey(const std::string& path, RegKeyHandle& key) override;
    Status OpenKey(const std::string& path, RegKeyHandle& key) override;
    Status SetValue(RegKeyHandle key, const std::string& name, std::uint32_t type, const unsigned char* data,
                    std::uint32_t size) override;
    Status DeleteValue(RegKeyHandle key, const std::string& name) override;
    void CloseKey(RegKeyHandle key) override;
    bool ReadString(const std::string& path, const std::string& name, std::string& text) override;
    Status DeleteKey(const std::string& path) override;
};

// winspool.drv is loaded from the system directory on first use; every call fails when it cannot be loaded.
class Win32Spooler : public ISpooler {
public:
    void UseEnvironment(const std::string& environment) override;
    Status DriverDirectory(std::string& dir) override;
    std::uint32_t LocalPrintersBytesNeeded() override;
    bool EnumLocalPrinters(std::uint32_t bytes, std::vector<std::string>& names, std::uint32_t& lastError) override;
    bool EnumLocalPrinterRecords(std::uint32_t bytes, std::vector<LocalPrinter>& printers,
                                 std::uint32_t& lastError) override;
    Status EnumInstalledDrivers(std::vector<InstalledDriver>& drivers) override;
    Status DeleteLocalPrinter(const std::string& name) override;
    Status DeleteDriver(const std::string& name) override;
    bool OpenLocalServer(std::uint32_t desiredAccess, PrinterHandle& handle) override;
    bool RemoveForm(PrinterHandle handle, const std::string& form) override;
    void ClosePrinterHandle(PrinterHandle handle) override;
    Status EnumPortNames(std::vector<std::string>& ports) override;
    bool AddTcpIpPort(const std::string& name, const std::string& address, std::uint32_t portNumber,
                      std::uint32_t& error) override;
    bool DeleteTcpIpPort(const std::string& name, std::uint32_t& error) override;

private:
    std::string environment_ = kEnvironmentX86;  // passed as the APIs' non-const string; they do not write it
};

class Win32Processes : public IProcesses {
public:
    RunOutcome RunHidden(const std::string& commandLine, std::uint32_t timeoutMs, std::uint32_t& error) override;
    RunOutcome RunHiddenNative(const std::string& commandLine, std::uint32_t timeoutMs, std::uint32_t& error) override;
    Status StartHidden(const std::string& commandLine) override;
    void Pause(std::uint32_t ms) override;
};

class Win32UserInterface : public IUserInterface {
public:
    void ShowAppMessage(const std::string& text) override;
    void ShowMessage(const std::string& text, const std::string& caption, std::uint32_t flags) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    std::string SystemMessageText(std::uint32_t code) override;
    void PostQuitToMainWindow() override;
};

// The window that owns application messages and receives the quit message. The GUI layer installs a provider
// that answers the application's main window; until then (or after an empty provider) it is GetActiveWindow().
void SetMainWindowProvider(std::function<HWND()> provider);
HWND MainWindowHandle();

// The application's title: the name the program's entry set, else the program file's base name without
// extension.
void SetApplicationTitle(const std::string& title);
std::string ApplicationTitle();
