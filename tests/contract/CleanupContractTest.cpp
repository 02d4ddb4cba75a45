// The clean-up before an installation and the uninstall entry, against each platform: the entry lands below
// HKEY_LOCAL_MACHINE with the exact texts, and stale OEM INF copies go while others stay.
#include <cstring>

#include "app/globals.h"
#include "app/setup.h"
#include "system/OemInfScan.h"
#include "tests/support/ContractPlatforms.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

const std::string kUninstallRoot = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// A name that no local printer carries.
const std::string kUnusedName = "SetupCleanupContract";
// High indexes, so that the system's own copies are not in the way.
constexpr int kStaleIndex = 97;
constexpr int kKeptIndex = 98;
constexpr int kWideIndex = 96;
const std::string kStaleInf = "[Version]\r\nClass=Printer\r\n[Manufacturer]\r\n\"W36\"=W36.GPD\r\n";

void SetPrinterName(const std::string& name) {
    std::memset(g_szPrinterName, 0, sizeof g_szPrinterName);
    std::memcpy(g_szPrinterName, name.data(), name.size());
}

class CleanupContract : public ContractTest {
protected:
    void SetUp() override {
        ContractTest::SetUp();
        app_.reset(new CSetupApp(os()));
        SetPrinterName(kUnusedName);
        std::memset(g_szScratch, 0, sizeof g_szScratch);
    }
    void TearDown() override {
        for (const std::string& path : created_) os().files.RemoveFile(path);
        for (const std::string& name : names_) RemoveKey(KeyFor(name));
#ifdef _WIN32
        for (auto it = madeDirs_.rbegin(); it != madeDirs_.rend(); ++it) RemoveDirectoryA(it->c_str());
#endif
        app_.reset();
        std::memset(g_szPrinterName, 0, sizeof g_szPrinterName);
        std::memset(g_szScratch, 0, sizeof g_szScratch);
        ContractTest::TearDown();
    }

    static std::string KeyFor(const std::string& name) { return kUninstallRoot + "\\" + name + " printer"; }

    // Uses name for this case; its uninstall key is removed before and after.
    void UseName(const std::string& name) {
        SetPrinterName(name);
        names_.push_back(name);
        RemoveKey(KeyFor(name));
    }

    void RemoveKey(const std::string& path) {
#ifdef _WIN32
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
#else
        (void)path;  // each in-memory case starts from an empty registry
#endif
    }

    // Makes the directory and any missing ones above it; those made here are removed after the case.
    void MakeDirectory(const std::string& dir) {
        for (std::size_t slash = dir.find('\\', 3);; slash = dir.find('\\', slash + 1)) {
            const std::string part = dir.substr(0, slash);
            if (os().files.MakeDirectory(part)) madeDirs_.push_back(part);
            if (slash == std::string::npos) break;
        }
    }
    // Writes a file that the case expects to be removed or kept; removed after the case in any event.
    void Put(const std::string& path, const Bytes& data) {
        os().files.RemoveFile(path);
        created_.push_back(path);
        ASSERT_TRUE(os().files.WriteWholeFile(path, data)) << path;
    }
    bool Exists(const std::string& path) {
        Bytes data;
        return os().files.ReadWholeFile(path, data);
    }
    std::string Text(const std::string& key, const std::string& name) {
        std::uint32_t type = 0;
        Bytes data;
        if (!os().registry.QueryValue(key, name, type, data)) return "<missing>";
        if (type != kRegSz || data.empty() || data.back() != 0) return "<not a terminated REG_SZ>";
        return std::string(data.begin(), data.end() - 1);
    }
    // Number of values in the key, where the platform can tell; -1 otherwise.
    int ValueCount(const std::string& key) {
#ifdef _WIN32
        if (GetParam().name == "Win32") {
            HKEY handle;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return 0;
            DWORD values = 0;
            LONG rc = RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                                       nullptr, nullptr, nullptr);
            RegCloseKey(handle);
            return rc == ERROR_SUCCESS ? static_cast<int>(values) : -1;
        }
#endif
        (void)key;
        return -1;
    }
    std::string OemPath(int index, bool pnf) {
        std::string inf, pnfPath;
        EXPECT_TRUE(OemInfPaths(os().system.WindowsDir(), index, inf, pnfPath));
        return pnf ? pnfPath : inf;
    }

    std::unique_ptr<CSetupApp> app_;
    std::vector<std::string> created_;
    std::vector<std::string> names_;
    std::vector<std::string> madeDirs_;
};

TEST_P(CleanupContract, UninstallEntryLandsWithTheExactTextsAndIsRewrittenUnchanged) {
    UseName(kUnusedName);
    const std::string key = KeyFor(kUnusedName);
    std::string driverDir;
    const bool haveDriverDir = os().spooler.DriverDirectory(driverDir) && !driverDir.empty();
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        app_->Delete();
        EXPECT_EQ(Text(key, "DisplayName"), kUnusedName + " printer driver uninstall");
        EXPECT_EQ(Text(key, "Publisher"), kUnusedName + " printer");
        if (haveDriverDir) {
            const std::string command = driverDir + "\\uninstall" + kUnusedName + ".exe";
            EXPECT_EQ(Text(key, "UninstallString"), command);
            EXPECT_EQ(Text(key, "DisplayIcon"), command + ",-0");
        } else {
            EXPECT_EQ(Text(key, "UninstallString"), "<missing>");
            EXPECT_EQ(Text(key, "DisplayIcon"), "<missing>");
        }
        const int count = ValueCount(key);
        if (count >= 0) {
            EXPECT_EQ(count, haveDriverDir ? 4 : 2);
        }
    }
}

TEST_P(CleanupContract, StaleOemInfCopiesGoAndOthersStay) {
    const std::string windowsDir = os().system.WindowsDir();
    ASSERT_FALSE(windowsDir.empty());
    MakeDirectory(windowsDir + "\\inf");
    Put(OemPath(kStaleIndex, false), ToBytes(kStaleInf));
    Put(OemPath(kStaleIndex, true), ToBytes("precompiled"));
    Put(OemPath(kKeptIndex, false), ToBytes("W36\r\n[Version]\r\nClass=Printer\r\n[Manufacturer]\r\nx.GPD\r\n"));
    Put(OemPath(kKeptIndex, true), ToBytes("precompiled"));
    Bytes wide = {0xFF, 0xFE};
    for (char c : kStaleInf) {
        wide.push_back(static_cast<unsigned char>(c));
        wide.push_back(0);
    }
    Put(OemPath(kWideIndex, false), wide);

    app_->RemoveStaleOemInf();
    EXPECT_FALSE(Exists(OemPath(kStaleIndex, false)));
    EXPECT_FALSE(Exists(OemPath(kStaleIndex, true)));
    EXPECT_TRUE(Exists(OemPath(kKeptIndex, false)));
    EXPECT_TRUE(Exists(OemPath(kKeptIndex, true)));
    EXPECT_TRUE(Exists(OemPath(kWideIndex, false)));
}

SETUP_CONTRACT_SUITE(CleanupContract);

}  // namespace
