// The registry below HKEY_LOCAL_MACHINE: creating and opening keys, writing and reading values.
#include "tests/support/ContractPlatforms.h"

namespace {

class RegistryContract : public ContractTest {
protected:
    IRegistry& registry() { return os().registry; }
    // Writes one value through a freshly created key, closing it again.
    void Write(const std::string& path, const std::string& name, std::uint32_t type, const Bytes& data) {
        RegKeyHandle key = 0;
        ASSERT_TRUE(registry().CreateKey(path, key)) << path;
        EXPECT_NE(key, 0u);
        EXPECT_TRUE(registry().SetValue(key, name, type, data.data(), static_cast<std::uint32_t>(data.size())));
        registry().CloseKey(key);
    }
    std::string key_ = std::string();
    void SetUp() override {
        ContractTest::SetUp();
        key_ = host().RegistryTestKey();
    }
};

Bytes WithTerminator(const std::string& s) {
    Bytes b = ToBytes(s);
    b.push_back(0);
    return b;
}

TEST_P(RegistryContract, CreatingAnExistingKeyKeepsItsValues) {
    Write(key_, "Name", kRegSz, WithTerminator("abc"));
    RegKeyHandle key = 0;
    ASSERT_TRUE(registry().CreateKey(key_, key));
    registry().CloseKey(key);
    std::uint32_t type = 0;
    Bytes data;
    ASSERT_TRUE(registry().QueryValue(key_, "Name", type, data));
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(data, WithTerminator("abc"));
}

TEST_P(RegistryContract, OpeningAMissingKeyFails) {
    RegKeyHandle key = 1;
    EXPECT_FALSE(registry().OpenKey(key_ + "\\Missing", key));
    EXPECT_EQ(key, 0u);
    Write(key_, "V", kRegSz, WithTerminator("v"));
    EXPECT_TRUE(registry().OpenKey(key_, key));
    EXPECT_NE(key, 0u);
    registry().CloseKey(key);
}

TEST_P(RegistryContract, ValuesKeepTheirTypeAndBytes) {
    Write(key_, "Text", kRegSz, WithTerminator("DisplayName text"));
    Write(key_, "Bare", kRegSz, ToBytes("bare"));
    Write(key_, "Number", 4, Bytes{1, 2, 3, 4});
    Write(key_, "", kRegSz, WithTerminator("default"));
    Write(key_, "Empty", kRegSz, WithTerminator(""));
    std::uint32_t type = 0;
    Bytes data;
    ASSERT_TRUE(registry().QueryValue(key_, "Text", type, data));
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(data, WithTerminator("DisplayName text"));
    ASSERT_TRUE(registry().QueryValue(key_, "Bare", type, data));
    EXPECT_EQ(data, ToBytes("bare"));
    ASSERT_TRUE(registry().QueryValue(key_, "NUMBER", type, data));
    EXPECT_EQ(type, 4u);
    EXPECT_EQ(data, (Bytes{1, 2, 3, 4}));
    ASSERT_TRUE(registry().QueryValue(key_, "", type, data));
    EXPECT_EQ(data, WithTerminator("default"));
    ASSERT_TRUE(registry().QueryValue(key_, "Empty", type, data));
    EXPECT_EQ(data, WithTerminator(""));
    // Writing again replaces the value.
    Write(key_, "text", kRegSz, WithTerminator("x"));
    ASSERT_TRUE(registry().QueryValue(key_, "Text", type, data));
    EXPECT_EQ(data, WithTerminator("x"));
    EXPECT_FALSE(registry().QueryValue(key_, "Missing", type, data));
    EXPECT_FALSE(registry().QueryValue(key_ + "\\Missing", "Text", type, data));
}

TEST_P(RegistryContract, NestedNewPathIsCreatedWhole) {
    const std::string nested = key_ + "\\Level1\\Level2";
    Write(nested, "Deep", kRegSz, WithTerminator("deep"));
    std::uint32_t type = 0;
    Bytes data;
    ASSERT_TRUE(registry().QueryValue(nested, "Deep", type, data));
    EXPECT_EQ(data, WithTerminator("deep"));
    ASSERT_TRUE(registry().QueryValue(key_ + "\\LEVEL1\\level2", "deep", type, data));
    RegKeyHandle key = 0;
    EXPECT_TRUE(registry().OpenKey(key_ + "\\Level1", key));
    registry().CloseKey(key);
    EXPECT_FALSE(registry().QueryValue(key_ + "\\Level1", "Deep", type, data));
}

SETUP_CONTRACT_SUITE(RegistryContract);

}  // namespace
