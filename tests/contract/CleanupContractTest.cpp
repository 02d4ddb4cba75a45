// The clean-up before an installation and the uninstall entry, against each platform: the entry lands below
// HKEY_LOCAL_MACHINE with the exact texts, and stale OEM INF copies go while others stay.
#include <cstring>

#include "app/globals.h"
#include "app/setup.h"
#include "system/Cleanup.h"
#include "system/OemInfScan.h"
#include "tests/support/ContractPlatforms.h"

namespace {

// A name that no local printer carries, and its uninstall key.
const std::string kName = "SetupCleanupContract";
const std::string kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + kName + " printer";
const std::string kStaleInf = "[Version]\r\nClass=Printer\r\n[Manufacturer]\r\n\"W36\"=W36.GPD\r\n";

class CleanupContract : public ContractTest {
protected:
    void SetUp() override {
        ContractTest::SetUp();
        app_.reset(new CSetupApp(os()));
        std::memset(g_szScratch, 0, sizeof g_szScratch);
        std::memset(g_szPrinterName, 0, sizeof g_szPrinterName);
        std::memcpy(g_szPrinterName, kName.data(), kName.size());
        host().RemoveRegistryTree(kUninstallKey);
    }
    void TearDown() override {
        for (const std::string& path : created_) os().files.RemoveFile(path);
        host().RemoveRegistryTree(kUninstallKey);
        app_.reset();
        std::memset(g_szPrinterName, 0, sizeof g_szPrinterName);
        std::memset(g_szScratch, 0, sizeof g_szScratch);
        ContractTest::TearDown();
    }
    std::string Text(const std::string& name) {
        std::uint32_t type = 0;
        Bytes data;
        if (!host().QueryValue(kUninstallKey, name, type, data)) return "<missing>";
        if (type != kRegSz || data.empty() || data.back() != 0) return "<not a terminated REG_SZ>";
        return std::string(data.begin(), data.end() - 1);
    }
    // The OEM INF copy of that index (or its precompiled file); a file put there is removed after the case.
    std::string OemPath(int index, bool pnf, const Bytes& put = Bytes()) {
        std::string inf, pnfPath;
        EXPECT_TRUE(OemInfPaths(os().system.WindowsDir(), index, inf, pnfPath));
        const std::string& path = pnf ? pnfPath : inf;
        if (!put.empty()) {
            os().files.RemoveFile(path);
            created_.push_back(path);
            EXPECT_TRUE(os().files.WriteWholeFile(path, put)) << path;
        }
        return path;
    }

    std::unique_ptr<CSetupApp> app_;
    std::vector<std::string> created_;
};

TEST_P(CleanupContract, UninstallEntryLandsWithTheExactTextsAndIsRewrittenUnchanged) {
    std::string driverDir;
    const bool haveDriverDir = os().spooler.DriverDirectory(driverDir) && !driverDir.empty();
    const std::string command = haveDriverDir ? driverDir + "\\uninstall" + kName + ".exe" : "<missing>";
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        app_->Delete();
        EXPECT_EQ(Text("DisplayName"), kName + " printer driver uninstall");
        EXPECT_EQ(Text("Publisher"), kName + " printer");
        EXPECT_EQ(Text("UninstallString"), command);
        EXPECT_EQ(Text("DisplayIcon"), haveDriverDir ? command + ",-0" : "<missing>");
        EXPECT_EQ(host().RegistryValueCount(kUninstallKey), haveDriverDir ? 4 : 2);
    }
}

TEST_P(CleanupContract, StaleOemInfCopiesGoAndOthersStay) {
    Bytes wide = {0xFF, 0xFE};
    for (char c : kStaleInf) wide.insert(wide.end(), {static_cast<unsigned char>(c), 0});
    // High indexes, so that the system's own copies are not in the way.
    const struct {
        int index;
        bool pnf;
        Bytes data;
        bool stays;
    } files[] = {{97, false, ToBytes(kStaleInf), false},
                 {97, true, ToBytes("precompiled"), false},
                 {98, false, ToBytes("W36\r\n[Version]\r\nClass=Printer\r\n[Manufacturer]\r\nx.GPD\r\n"), true},
                 {98, true, ToBytes("precompiled"), true},
                 {96, false, wide, true}};
    for (const auto& f : files) OemPath(f.index, f.pnf, f.data);
    RemoveStaleOemInf(os());
    Bytes data;
    for (const auto& f : files) EXPECT_EQ(os().files.ReadWholeFile(OemPath(f.index, f.pnf), data), f.stays) << f.index;
}

SETUP_CONTRACT_SUITE(CleanupContract);

}  // namespace
