// The registry below HKEY_LOCAL_MACHINE: creating and opening keys, writing and reading values.
#include "tests/support/ContractPlatforms.h"

namespace {

Bytes Sz(const std::string& s) { return ToBytes(s + '\0'); }

class RegistryContract : public ContractTest {
protected:
    // Creates the key (which may exist) and, unless name is null, writes one value through it.
    void Write(const std::string& path, const char* name, std::uint32_t type = kRegSz, const Bytes& data = Bytes()) {
        RegKeyHandle key = 0;
        ASSERT_TRUE(os().registry.CreateKey(path, key)) << path;
        EXPECT_NE(key, 0u);
        if (name) { EXPECT_TRUE(os().registry.SetValue(key, name, type, data.data(), std::uint32_t(data.size()))); }
        os().registry.CloseKey(key);
    }
    // "<type>:<bytes>" of the value, or "<missing>".
    std::string Query(const std::string& path, const std::string& name) {
        std::uint32_t t = 0;
        Bytes d;
        return host().QueryValue(path, name, t, d) ? std::to_string(t) + ":" + ToString(d) : "<missing>";
    }
    bool Opens(const std::string& path) {
        RegKeyHandle key = 1;
        const bool opened = os().registry.OpenKey(path, key);
        EXPECT_EQ(key != 0, opened) << path;
        if (opened) os().registry.CloseKey(key);
        return opened;
    }
};

TEST_P(RegistryContract, OnlyAKeyWithoutSubkeysIsDeleted) {
    const std::string key = host().RegistryTestKey();
    EXPECT_EQ(os().registry.DeleteKey(key).error, kErrorFileNotFound);
    RegKeyHandle handle = 1;
    EXPECT_EQ(os().registry.OpenKey(key, handle).error, kErrorFileNotFound);
    Write(key + "\\Inner", "Value", kRegSz, Sz("v"));
    EXPECT_EQ(os().registry.DeleteKey(key).error, kErrorAccessDenied);
    EXPECT_TRUE(os().registry.DeleteKey(key + "\\Inner"));
    EXPECT_FALSE(Opens(key + "\\Inner"));
    EXPECT_TRUE(os().registry.DeleteKey(key));
    EXPECT_FALSE(Opens(key));
}

TEST_P(RegistryContract, KeysAndValues) {
    const std::string key = host().RegistryTestKey();
    EXPECT_FALSE(Opens(key));
    Write(key + "\\Level1\\Level2", "Deep", kRegSz, Sz("deep"));
    Write(key + "\\Level1\\Level2", nullptr);
    EXPECT_EQ(Query(key + "\\LEVEL1\\level2", "deep"), "1:deep" + std::string(1, '\0'));
    EXPECT_TRUE(Opens(key));
    EXPECT_TRUE(Opens(key + "\\Level1"));
    EXPECT_EQ(Query(key + "\\Level1", "Deep"), "<missing>");
    // Values keep their type and bytes; written under one name, read under another spelling, the last replacing
    // the first.
    const struct {
        const char *written, *read;
        std::uint32_t type;
        Bytes data;
    } values[] = {{"Text", "Text", kRegSz, Sz("DisplayName text")}, {"Bare", "bare", kRegSz, ToBytes("bare")},
                  {"Number", "NUMBER", 4, Bytes{1, 2, 3, 4}},         {"", "", kRegSz, Sz("default")},
                  {"Empty", "Empty", kRegSz, Sz("")},                 {"text", "Text", kRegSz, Sz("x")}};
    for (const auto& v : values) {
        Write(key, v.written, v.type, v.data);
        EXPECT_EQ(Query(key, v.read), std::to_string(v.type) + ":" + ToString(v.data));
    }
    EXPECT_EQ(Query(key, "Bare"), "1:bare");  // the earlier values stay
    EXPECT_EQ(Query(key, "Missing"), "<missing>");
    EXPECT_EQ(Query(key + "\\Missing", "Text"), "<missing>");
}

// A string value reads back without its terminator, under any spelling of its name; a missing key or value,
// a value of another type and one of 260 characters or more do not.
TEST_P(RegistryContract, StringValuesReadBack) {
    const std::string key = host().RegistryTestKey();
    std::string text = "stale";
    EXPECT_FALSE(os().registry.ReadString(key, "PortCreated", text));
    EXPECT_TRUE(text.empty());
    Write(key, "PortCreated", kRegSz, Sz("IP_10.0.0.7"));
    Write(key, "Number", 4, Bytes{1, 2, 3, 4});
    Write(key, "Long", kRegSz, Sz(std::string(260, 'x')));
    Write(key, "Longest", kRegSz, Sz(std::string(259, 'y')));
    ASSERT_TRUE(os().registry.ReadString(key, "portcreated", text));
    EXPECT_EQ(text, "IP_10.0.0.7");
    EXPECT_FALSE(os().registry.ReadString(key, "Missing", text));
    EXPECT_FALSE(os().registry.ReadString(key, "Number", text));
    EXPECT_FALSE(os().registry.ReadString(key, "Long", text));
    EXPECT_TRUE(text.empty());
    ASSERT_TRUE(os().registry.ReadString(key, "Longest", text));
    EXPECT_EQ(text, std::string(259, 'y'));
    EXPECT_FALSE(os().registry.ReadString(key + "\\Missing", "PortCreated", text));
}

TEST_P(RegistryContract, ADeletedValueIsGoneAndAMissingOneCountsAsGone) {
    const std::string key = host().RegistryTestKey();
    Write(key, "Stays", kRegSz, Sz("s"));
    Write(key, "Goes", 4, Bytes{1, 0, 0, 0});
    RegKeyHandle handle = 0;
    ASSERT_TRUE(os().registry.OpenKey(key, handle));
    EXPECT_TRUE(os().registry.DeleteValue(handle, "GOES"));
    EXPECT_TRUE(os().registry.DeleteValue(handle, "Goes"));  // not there any more: nothing left to delete
    EXPECT_TRUE(os().registry.DeleteValue(handle, "NeverThere"));
    os().registry.CloseKey(handle);
    EXPECT_EQ(Query(key, "Goes"), "<missing>");
    EXPECT_EQ(Query(key, "Stays"), "1:s" + std::string(1, '\0'));
    EXPECT_FALSE(os().registry.DeleteValue(0, "Stays"));
    EXPECT_EQ(Query(key, "Stays"), "1:s" + std::string(1, '\0'));
}

SETUP_CONTRACT_SUITE(RegistryContract);

}  // namespace
