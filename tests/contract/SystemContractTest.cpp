// Version, language, directories, the program's own resources and system message texts.
#include <algorithm>
#include <cctype>

#include "tests/support/ContractPlatforms.h"
#include "tests/support/StoreFiles.h"

namespace {

class SystemContract : public ContractTest {};

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
    return s.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), s.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
           });
}

TEST_P(SystemContract, PackedVersionAgreesWithTheRecord) {
    const std::uint32_t packed = os().system.PackedVersion();
    OsVersion v;
    ASSERT_TRUE(os().system.VersionRecord(v));
    EXPECT_EQ(packed & 0xFF, v.major);
    EXPECT_EQ((packed >> 8) & 0xFF, v.minor);
    EXPECT_EQ((packed & 0x80000000u) == 0, v.platformId == 2);
    if (v.platformId == 2) {
        EXPECT_EQ((packed >> 16) & 0x7FFF, v.build & 0x7FFF);
    }
    EXPECT_GE(v.major, 4u);
}

TEST_P(SystemContract, DirectoriesAndLanguageAreKnown) {
    const std::string module = os().system.ModulePath();
    ASSERT_GT(module.size(), 4u);
    EXPECT_TRUE(StartsWithNoCase(module.substr(module.size() - 4), ".exe")) << module;
    EXPECT_EQ(module[1], ':') << module;
    const std::string windows = os().system.WindowsDir(), system = os().system.SystemDir();
    ASSERT_FALSE(windows.empty());
    EXPECT_TRUE(StartsWithNoCase(system, windows + "\\")) << system;
    EXPECT_NE(os().system.SystemDefaultLangId(), 0);
}

TEST_P(SystemContract, OwnerDataIsTheStore) {
    Bytes data;
    EXPECT_FALSE(os().resources.LoadOwnerData(1, data));
    EXPECT_FALSE(os().resources.LoadOwnerData(160, data));
    int compared = 0;
    for (unsigned id = 100; id < 300; ++id) {
        Bytes expected;
        if (!ReadStoreEntry(static_cast<std::uint16_t>(id), expected)) continue;
        ASSERT_TRUE(os().resources.LoadOwnerData(static_cast<std::uint16_t>(id), data)) << id;
        EXPECT_EQ(data, expected) << id;
        ++compared;
    }
    if (compared == 0) GTEST_SKIP() << "the store is empty";
}

TEST_P(SystemContract, SystemMessageTextsEndWithALineBreak) {
    for (std::uint32_t code : {2u, 5u}) {
        const std::string text = os().ui.SystemMessageText(code);
        ASSERT_GT(text.size(), 2u) << code;
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << code;
    }
}

SETUP_CONTRACT_SUITE(SystemContract);

}  // namespace
