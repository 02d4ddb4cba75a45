// The Windows contract test program: the in-memory Windows and the Win32 platform side by side. Each Win32
// case works in a fresh directory below the temporary directory and a registry key of its own, both removed
// afterwards. Started with --contract-sleep=<ms> the program only sleeps (the processes cases use that).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/BoundedFormat.h"
#include "tests/support/ContractPlatforms.h"

namespace {

const char kSleepOption[] = "--contract-sleep=";
const char kWinePrinters[] = "System\\CurrentControlSet\\Control\\Print\\Printers";

void RemoveTree(const std::string& dir) {
    std::string pattern;
    if (!JoinPath(pattern, dir, "*")) return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string path;
            if (!JoinPath(path, dir, name)) continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(dir.c_str());
}

void DeleteRegistryTree(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        char name[256];
        for (;;) {
            DWORD size = sizeof name;
            if (RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            std::string sub = path + "\\" + name;
            DeleteRegistryTree(root, sub);
            HKEY probe;
            if (RegOpenKeyExA(root, sub.c_str(), 0, KEY_READ, &probe) == ERROR_SUCCESS) {  // could not be removed
                RegCloseKey(probe);
                break;
            }
        }
        RegCloseKey(key);
    }
    RegDeleteKeyA(root, path.c_str());
}

bool RunningOnWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

class Win32ContractHost : public ContractHost {
public:
    Win32ContractHost() {
        static unsigned counter = 0;
        char temp[MAX_PATH];
        DWORD n = GetTempPathA(sizeof temp, temp);
        std::string base(temp, n < sizeof temp ? n : 0);
        if (!base.empty() && base.back() == '\\') base.pop_back();
        char leaf[64];
        std::snprintf(leaf, sizeof leaf, "setup-contract-%lu-%u", GetCurrentProcessId(), ++counter);
        JoinPath(scratch_, base, leaf);
        RemoveTree(scratch_);
        if (!CreateDirectoryA(scratch_.c_str(), nullptr)) ADD_FAILURE() << "cannot create " << scratch_;
        char cwd[MAX_PATH];
        DWORD c = GetCurrentDirectoryA(sizeof cwd, cwd);
        previousDir_.assign(cwd, c < sizeof cwd ? c : 0);
        SetCurrentDirectoryA(scratch_.c_str());
        registryKey_ = "SOFTWARE\\ReceiptPrinterSetupContract-" + std::to_string(GetCurrentProcessId()) + "-" +
                       std::to_string(counter);
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, registryKey_);
    }
    ~Win32ContractHost() override {
        SetCurrentDirectoryA(previousDir_.c_str());
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, registryKey_);
        if (!printerKey_.empty()) DeleteRegistryTree(HKEY_LOCAL_MACHINE, printerKey_);
        // A child that still has the directory as its current one may hold it for a moment.
        for (int attempt = 0; attempt < 50; ++attempt) {
            RemoveTree(scratch_);
            if (GetFileAttributesA(scratch_.c_str()) == INVALID_FILE_ATTRIBUTES) return;
            Sleep(100);
        }
        ADD_FAILURE() << "cannot remove " << scratch_;
    }
    Platform& platform() override { return HostPlatform(); }
    std::string ScratchDir() const override { return scratch_; }
    std::string RegistryTestKey() const override { return registryKey_; }
    bool CrtTextPieces(const std::string& path, std::size_t bufferSize, std::vector<std::string>& pieces) override {
        pieces.clear();
        FILE* f = std::fopen(path.c_str(), "rt");
        if (!f) return false;
        std::vector<char> buf(bufferSize + 1, '\0');
        while (std::fgets(buf.data(), static_cast<int>(bufferSize), f)) pieces.push_back(buf.data());
        std::fclose(f);
        return true;
    }
    std::string QuickCommand() const override { return "cmd.exe /c exit 0"; }
    std::string SleepingCommand(std::uint32_t ms) const override {
        char self[MAX_PATH];
        DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
        return "\"" + std::string(self, n < sizeof self ? n : 0) + "\" " + kSleepOption + std::to_string(ms);
    }
    std::string MissingProgramCommand() const override { return "C:\\no-such-directory\\no-such-program.exe"; }
    // Wine lists the printers recorded in its registry; a record there is enough for the enumeration.
    std::string StandInPrinter() override {
        if (!RunningOnWine()) return std::string();
        const std::string name = "Setup Contract Printer " + std::to_string(GetCurrentProcessId());
        printerKey_ = std::string(kWinePrinters) + "\\" + name;
        HKEY key;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, printerKey_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return std::string();
        const std::pair<const char*, const char*> values[] = {
            {"Name", name.c_str()}, {"Port", "LPT1:"}, {"Printer Driver", "Generic / Text Only"}};
        for (const auto& v : values)
            RegSetValueExA(key, v.first, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.second),
                           static_cast<DWORD>(std::strlen(v.second) + 1));
        RegCloseKey(key);
        return name;
    }
    std::string Limitation(const std::string& what) const override {
        if (what == "DeleteFormA" && RunningOnWine())
            return "Wine's DeleteFormA is a stub that reports success for every form name";
        return std::string();
    }

private:
    std::string scratch_;
    std::string previousDir_;
    std::string registryKey_;
    std::string printerKey_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strncmp(argv[1], kSleepOption, sizeof kSleepOption - 1) == 0) {
        // Leave the caller's scratch directory free before sleeping.
        char windows[MAX_PATH];
        if (GetWindowsDirectoryA(windows, sizeof windows)) SetCurrentDirectoryA(windows);
        Sleep(static_cast<DWORD>(std::strtoul(argv[1] + sizeof kSleepOption - 1, nullptr, 10)));
        return 0;
    }
    AddContractPlatform({"Win32", [] { return std::unique_ptr<ContractHost>(new Win32ContractHost()); }});
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
