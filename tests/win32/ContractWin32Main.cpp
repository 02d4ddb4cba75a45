// The Windows contract test program: the in-memory Windows and the Win32 platform side by side. Each Win32
// case works in a fresh directory below the temporary directory and a registry key of its own, both removed
// afterwards. Started with --contract-sleep=<ms> the program only sleeps (the processes cases use that).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "tests/support/ContractPlatforms.h"

// Declared by the headers only for newer targets than the product's; Wine and Windows since Vista have it.
extern "C" WINADVAPI LONG WINAPI RegDeleteTreeA(HKEY root, LPCSTR subKey);

namespace {

namespace fs = std::filesystem;
const char kSleepOption[] = "--contract-sleep=";
const char kPortsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

bool RunningOnWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

class Win32ContractHost : public ContractHost {
public:
    Win32ContractHost() {
        static unsigned counter = 0;
        const std::string id = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
        std::error_code ec;
        scratch_ = (fs::temp_directory_path(ec) / ("setup-contract-" + id)).string();
        fs::remove_all(scratch_, ec);
        if (!fs::create_directory(scratch_, ec)) ADD_FAILURE() << "cannot create " << scratch_;
        previousDir_ = fs::current_path(ec);
        SetCurrentDirectoryA(scratch_.c_str());
        registryKey_ = "SOFTWARE\\ReceiptPrinterSetupContract-" + id;
        RemoveRegistryTree(registryKey_);
    }
    ~Win32ContractHost() override {
        for (HANDLE h : held_) CloseHandle(h);
        for (const std::string& path : marked_) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        std::error_code ec;
        fs::current_path(previousDir_, ec);
        RemoveRegistryTree(registryKey_);
        if (!printerKey_.empty()) RemoveRegistryTree(printerKey_);
        HKEY ports = nullptr;
        if (!pluggedPorts_.empty() && RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_SET_VALUE, &ports) == ERROR_SUCCESS) {
            for (const std::string& name : pluggedPorts_) RegDeleteValueA(ports, name.c_str());
            RegCloseKey(ports);
        }
        // A child that still has the directory as its current one may hold it for a moment.
        for (int attempt = 0; attempt < 50; ++attempt) {
            fs::remove_all(scratch_, ec);
            if (GetFileAttributesA(scratch_.c_str()) == INVALID_FILE_ATTRIBUTES) return;
            Sleep(100);
        }
        ADD_FAILURE() << "cannot remove " << scratch_;
    }
    Platform& platform() override { return HostPlatform(); }
    std::string ScratchDir() const override { return scratch_; }
    std::string RegistryTestKey() const override { return registryKey_; }
    void RemoveRegistryTree(const std::string& path) override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str()); }
    int RegistryValueCount(const std::string& path) override {
        HKEY key;
        DWORD values = 0;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
        LONG rc = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                                   nullptr, nullptr, nullptr);
        RegCloseKey(key);
        return rc == ERROR_SUCCESS ? static_cast<int>(values) : -1;
    }
    bool CrtTextPieces(const std::string& path, std::size_t bufferSize, std::vector<std::string>& pieces) override {
        pieces.clear();
        FILE* f = std::fopen(path.c_str(), "rt");
        if (!f) return false;
        std::vector<char> buf(bufferSize + 1, '\0');
        while (std::fgets(buf.data(), static_cast<int>(bufferSize), f)) pieces.push_back(buf.data());
        std::fclose(f);
        return true;
    }
    std::string SleepingCommand(std::uint32_t ms) const override {
        char self[MAX_PATH];
        DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
        return "\"" + std::string(self, n < sizeof self ? n : 0) + "\" " + kSleepOption + std::to_string(ms);
    }
    // Wine lists the printers recorded in its registry; a record there is enough for the enumeration.
    std::string StandInPrinter() override {
        if (!RunningOnWine()) return std::string();
        const std::string name = "Setup Contract Printer " + std::to_string(GetCurrentProcessId());
        printerKey_ = "System\\CurrentControlSet\\Control\\Print\\Printers\\" + name;
        IRegistry& registry = HostPlatform().registry;
        RegKeyHandle key = 0;
        if (!registry.CreateKey(printerKey_, key)) return std::string();
        // As the printui stand-in records one: with these Wine's spooler also opens it for deletion.
        const std::string values[][2] = {{"Name", name}, {"Port", "LPT1:"}, {"Printer Driver", "Generic / Text Only"},
                                         {"Print Processor", "WinPrint"}, {"Datatype", "RAW"}};
        for (const auto& v : values)
            registry.SetValue(key, v[0], kRegSz, reinterpret_cast<const unsigned char*>(v[1].c_str()), v[1].size() + 1);
        const DWORD attributes = PRINTER_ATTRIBUTE_LOCAL;
        registry.SetValue(key, "Attributes", REG_DWORD, reinterpret_cast<const unsigned char*>(&attributes), sizeof attributes);
        registry.CloseKey(key);
        return name;
    }
    // Wine's spooler lists the ports named in the system's Ports key (Windows reads it only at its start).
    bool PlugInPort(const std::string& name) override {
        if (!RunningOnWine()) return false;
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPortsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return false;
        const bool set = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1) == ERROR_SUCCESS;
        RegCloseKey(key);
        if (set) pluggedPorts_.push_back(name);
        return set;
    }
    bool MakeHardLink(const std::string& existing, const std::string& link) override {
        return CreateHardLinkA(link.c_str(), existing.c_str(), nullptr) != 0;
    }
    bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
        marked_.push_back(path);
        return SetFileAttributesA(path.c_str(), attributes) != 0;
    }
    bool HoldOpen(const std::string& path, unsigned share) override {
        const DWORD mode = ((share & 1) ? FILE_SHARE_READ : 0) | ((share & 2) ? FILE_SHARE_WRITE : 0) |
                           ((share & 4) ? FILE_SHARE_DELETE : 0);
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, mode, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        held_.push_back(h);
        return true;
    }
    bool OtherWrite(const std::string& path, const Bytes& data) override {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        DWORD put = 0;
        const bool ok = WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &put, nullptr) && put == data.size();
        CloseHandle(h);
        return ok;
    }
    bool OtherReplace(const std::string& path, const Bytes& data) override {
        if (!DeleteFileA(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        DWORD put = 0;
        const bool ok = WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &put, nullptr) && put == data.size();
        CloseHandle(h);
        return ok;
    }
    bool OtherRename(const std::string& from, const std::string& to) override {
        return MoveFileA(from.c_str(), to.c_str()) != 0;
    }
    std::string CurrentDir() override {
        char buf[MAX_PATH];
        DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
        if (n == 0 || n >= sizeof buf) return std::string();  // failed, or the answer is the size it would need
        return std::string(buf, n);
    }
    bool QueryValue(const std::string& path, const std::string& name, std::uint32_t& type, Bytes& data) override {
        data.clear();
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
        bool ok = false;
        DWORD t = 0, size = 0;
        if (RegQueryValueExA(key, name.c_str(), nullptr, &t, nullptr, &size) == ERROR_SUCCESS) {
            Bytes buf(size);
            DWORD got = size;
            if (RegQueryValueExA(key, name.c_str(), nullptr, &t, size ? buf.data() : nullptr, &got) == ERROR_SUCCESS &&
                got <= size) {
                buf.resize(got);
                data = buf;
                type = t;
                ok = true;
            }
        }
        RegCloseKey(key);
        return ok;
    }
    std::string Limitation(const std::string& what) const override {
        if (!RunningOnWine()) return std::string();
        if (what == "DeleteFormA") return "Wine's DeleteFormA is a stub that reports success for every form name";
        // Wine leaves these to the Unix permissions, which do not stop root.
        if (what == "writing read-only files") return "Wine opens a read-only file for writing when run as root";
        if (what == "hidden files") return "Wine opens a hidden file with CREATE_ALWAYS and normal attributes";
        if (what == "Standard TCP/IP Port")
            return "Wine has no Standard TCP/IP Port monitor: the case runs on the in-memory Windows only";
        return std::string();
    }

private:
    std::string scratch_;
    fs::path previousDir_;
    std::string registryKey_;
    std::string printerKey_;
    std::vector<HANDLE> held_;
    std::vector<std::string> marked_;
    std::vector<std::string> pluggedPorts_;
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
    ContractPlatforms().push_back({"Win32", [] { return std::unique_ptr<ContractHost>(new Win32ContractHost()); }});
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
