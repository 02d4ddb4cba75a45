// The print spooler: driver directory, the two-call printer enumeration, the print server and forms.
#include <algorithm>

#include "tests/support/ContractPlatforms.h"

namespace {

class SpoolerContract : public ContractTest {
protected:
    ISpooler& spooler() { return os().spooler; }
};

TEST_P(SpoolerContract, DriverDirectoryIsKnown) {
    std::string dir;
    ASSERT_TRUE(spooler().DriverDirectory(dir));
    EXPECT_FALSE(dir.empty());
    EXPECT_LT(dir.size(), kPathBuffer);
    EXPECT_EQ(dir.find('\0'), std::string::npos);
}

TEST_P(SpoolerContract, EnumerationTakesTheSizeOfTheFirstCall) {
    const std::string standIn = host().StandInPrinter();
    const std::uint32_t bytes = spooler().LocalPrintersBytesNeeded();
    EXPECT_EQ(spooler().LocalPrintersBytesNeeded(), bytes);
    std::vector<std::string> names{"stale"};
    std::uint32_t error = 99;
    ASSERT_TRUE(spooler().EnumLocalPrinters(bytes, names, error)) << "error " << error;
    EXPECT_EQ(error, 0u);
    if (bytes == 0) {
        EXPECT_TRUE(standIn.empty()) << standIn << " is not listed";
        EXPECT_TRUE(names.empty());
        return;
    }
    ASSERT_FALSE(names.empty());
    if (!standIn.empty()) {
        EXPECT_NE(std::find(names.begin(), names.end(), standIn), names.end()) << standIn;
    }
    for (const std::string& name : names) EXPECT_FALSE(name.empty());
    std::vector<std::string> again;
    EXPECT_FALSE(spooler().EnumLocalPrinters(bytes - 1, again, error));
    EXPECT_EQ(error, 122u);  // ERROR_INSUFFICIENT_BUFFER
    EXPECT_TRUE(again.empty());
}

TEST_P(SpoolerContract, PrintServerOpensForAdministration) {
    PrinterHandle handle = 0;
    ASSERT_TRUE(spooler().OpenLocalServer(kServerAccessAdminister, handle));
    EXPECT_NE(handle, 0u);
    spooler().ClosePrinterHandle(handle);
    ASSERT_TRUE(spooler().OpenLocalServer(0, handle));
    EXPECT_NE(handle, 0u);
    spooler().ClosePrinterHandle(handle);
}

TEST_P(SpoolerContract, RemovingAnAbsentFormFails) {
    const std::string why = host().Limitation("DeleteFormA");
    if (!why.empty()) GTEST_SKIP() << why;
    PrinterHandle handle = 0;
    ASSERT_TRUE(spooler().OpenLocalServer(kServerAccessAdminister, handle));
    EXPECT_FALSE(spooler().RemoveForm(handle, "no such form 5813"));
    spooler().ClosePrinterHandle(handle);
}

SETUP_CONTRACT_SUITE(SpoolerContract);

}  // namespace
