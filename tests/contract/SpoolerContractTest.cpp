// The print spooler: driver directory, the two-call printer enumeration, the print server and forms.
#include <algorithm>

#include "tests/support/ContractPlatforms.h"

namespace {

class SpoolerContract : public ContractTest {};

TEST_P(SpoolerContract, EnumerationTakesTheSizeOfTheFirstCall) {
    const std::string standIn = host().StandInPrinter();
    const std::uint32_t bytes = os().spooler.LocalPrintersBytesNeeded();
    EXPECT_EQ(os().spooler.LocalPrintersBytesNeeded(), bytes);
    std::vector<std::string> names{"stale"};
    std::uint32_t error = 99;
    ASSERT_TRUE(os().spooler.EnumLocalPrinters(bytes, names, error)) << "error " << error;
    EXPECT_EQ(error, 0u);
    if (bytes == 0) {
        EXPECT_TRUE(standIn.empty()) << standIn << " is not listed";
        EXPECT_TRUE(names.empty());
        return;
    }
    ASSERT_FALSE(names.empty());
    if (!standIn.empty()) { EXPECT_NE(std::find(names.begin(), names.end(), standIn), names.end()) << standIn; }
    for (const std::string& name : names) EXPECT_FALSE(name.empty());
    std::vector<std::string> again;
    EXPECT_FALSE(os().spooler.EnumLocalPrinters(bytes - 1, again, error));
    EXPECT_EQ(error, 122u);  // ERROR_INSUFFICIENT_BUFFER
    EXPECT_TRUE(again.empty());
}

TEST_P(SpoolerContract, DriverDirectoryIsKnownAndThePrintServerOpens) {
    std::string dir;
    ASSERT_TRUE(os().spooler.DriverDirectory(dir));
    EXPECT_FALSE(dir.empty());
    EXPECT_LT(dir.size(), kPathBuffer);
    EXPECT_EQ(dir.find('\0'), std::string::npos);
    for (std::uint32_t access : {kServerAccessAdminister, std::uint32_t(0)}) {
        PrinterHandle handle = 0;
        ASSERT_TRUE(os().spooler.OpenLocalServer(access, handle)) << access;
        EXPECT_NE(handle, 0u);
        os().spooler.ClosePrinterHandle(handle);
    }
}

// Each driver environment has its own driver directory: "w32x86" for "Windows NT x86", "x64" for "Windows
// x64"; the drivers of either can be listed; the environment chosen last is the one asked.
TEST_P(SpoolerContract, TheDriverDirectoryFollowsTheEnvironment) {
    auto endsWith = [](const std::string& text, const std::string& tail) {
        return text.size() > tail.size() && EqualNoCase(text.substr(text.size() - tail.size()), tail);
    };
    std::string x86, x64, again;
    std::vector<InstalledDriver> drivers;
    os().spooler.UseEnvironment(kEnvironmentX64);
    ASSERT_TRUE(os().spooler.DriverDirectory(x64));
    EXPECT_TRUE(endsWith(x64, "\\x64")) << x64;
    EXPECT_TRUE(os().spooler.EnumInstalledDrivers(drivers));
    os().spooler.UseEnvironment(kEnvironmentX86);
    ASSERT_TRUE(os().spooler.DriverDirectory(x86));
    EXPECT_TRUE(endsWith(x86, "\\w32x86")) << x86;
    EXPECT_EQ(x86.substr(0, x86.size() - 6), x64.substr(0, x64.size() - 3));
    EXPECT_TRUE(os().spooler.EnumInstalledDrivers(drivers));
    EXPECT_FALSE(os().spooler.DeleteDriver("no such driver 5813"));
    os().spooler.UseEnvironment(kEnvironmentX64);
    ASSERT_TRUE(os().spooler.DriverDirectory(again));
    EXPECT_EQ(again, x64);
}

TEST_P(SpoolerContract, RemovingAnAbsentFormFails) {
    if (const std::string why = host().Limitation("DeleteFormA"); !why.empty()) GTEST_SKIP() << why;
    PrinterHandle handle = 0;
    ASSERT_TRUE(os().spooler.OpenLocalServer(kServerAccessAdminister, handle));
    EXPECT_FALSE(os().spooler.RemoveForm(handle, "no such form 5813"));
    os().spooler.ClosePrinterHandle(handle);
}

// The records of the same enumeration name each printer's driver; a printer the host arranged can be
// deleted and is then not listed; what is not there cannot be deleted.
TEST_P(SpoolerContract, PrintersAndDriversAreListedAndDeleted) {
    const std::string standIn = host().StandInPrinter();
    std::vector<InstalledDriver> drivers;
    ASSERT_TRUE(os().spooler.EnumInstalledDrivers(drivers));
    for (const InstalledDriver& driver : drivers) EXPECT_FALSE(driver.name.empty());
    EXPECT_FALSE(os().spooler.DeleteLocalPrinter("no such printer 5813"));
    EXPECT_FALSE(os().spooler.DeleteDriver("no such driver 5813"));
    if (standIn.empty()) GTEST_SKIP() << "this host arranges no printer";
    std::uint32_t error = 0;
    std::vector<LocalPrinter> records;
    ASSERT_TRUE(os().spooler.EnumLocalPrinterRecords(os().spooler.LocalPrintersBytesNeeded(), records, error)) << error;
    auto listed = [&](const std::string& name) {
        std::vector<std::string> names;
        EXPECT_TRUE(os().spooler.EnumLocalPrinters(os().spooler.LocalPrintersBytesNeeded(), names, error) || names.empty());
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    auto record = std::find_if(records.begin(), records.end(), [&](const LocalPrinter& p) { return p.name == standIn; });
    ASSERT_NE(record, records.end());
    EXPECT_EQ(record->driver, "Generic / Text Only");
    EXPECT_EQ(record->port, "LPT1:");
    ASSERT_TRUE(listed(standIn));
    EXPECT_TRUE(os().spooler.DeleteLocalPrinter(standIn));
    EXPECT_FALSE(listed(standIn));
}

bool Lists(const std::vector<std::string>& ports, const std::string& name) {
    return std::any_of(ports.begin(), ports.end(), [&](const std::string& p) { return EqualNoCase(p, name); });
}

// EnumPorts level 1 names the machine's ports, the parallel port and the file port among them; a port the
// system makes when a printer is plugged in is listed from then on.
TEST_P(SpoolerContract, PortsAreListedByName) {
    std::vector<std::string> ports{"stale"};
    ASSERT_TRUE(os().spooler.EnumPortNames(ports));
    EXPECT_TRUE(Lists(ports, "LPT1:"));
    EXPECT_TRUE(Lists(ports, "FILE:"));
    EXPECT_FALSE(Lists(ports, "stale"));
    for (const std::string& port : ports) EXPECT_FALSE(port.empty());
    EXPECT_FALSE(Lists(ports, "USB217"));
    if (!host().PlugInPort("USB217")) GTEST_SKIP() << "this host cannot add a port";
    ASSERT_TRUE(os().spooler.EnumPortNames(ports));
    EXPECT_TRUE(Lists(ports, "USB217"));
}

// The Standard TCP/IP Port monitor makes a raw port under the given name and deletes it again; it refuses a
// second port of the same name and the deletion of a port it does not have.
TEST_P(SpoolerContract, StandardTcpIpPortsAreAddedAndDeleted) {
    if (const std::string why = host().Limitation("Standard TCP/IP Port"); !why.empty()) GTEST_SKIP() << why;
    const std::string name = "IP_192.0.2.213";
    std::vector<std::string> ports;
    ASSERT_TRUE(os().spooler.EnumPortNames(ports));
    ASSERT_FALSE(Lists(ports, name)) << "left over from an earlier run";
    std::uint32_t error = 0;
    ASSERT_TRUE(os().spooler.AddTcpIpPort(name, "192.0.2.213", 9100, error)) << "error " << error;
    ASSERT_TRUE(os().spooler.EnumPortNames(ports));
    EXPECT_TRUE(Lists(ports, name));
    EXPECT_FALSE(os().spooler.AddTcpIpPort(name, "192.0.2.213", 9100, error));
    EXPECT_NE(error, 0u);
    EXPECT_TRUE(os().spooler.DeleteTcpIpPort(name, error)) << "error " << error;
    ASSERT_TRUE(os().spooler.EnumPortNames(ports));
    EXPECT_FALSE(Lists(ports, name));
    EXPECT_FALSE(os().spooler.DeleteTcpIpPort(name, error));
    EXPECT_NE(error, 0u);
}

SETUP_CONTRACT_SUITE(SpoolerContract);

}  // namespace
