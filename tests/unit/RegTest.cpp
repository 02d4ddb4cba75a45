#include <gtest/gtest.h>

#include "platform/memory/MemoryWindows.h"
#include "system/Reg.h"

namespace {

constexpr const char* kKey = "SOFTWARE\\Vendor\\Product";

const unsigned char* Data(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.c_str()); }

TEST(RegTest, CreateKeyMakesMissingParentsAndKeepsExistingValues) {
    MemoryRegistry registry;
    CReg reg(registry);
    ASSERT_TRUE(reg.CreateKey(kKey));
    EXPECT_TRUE(registry.KeyExists("SOFTWARE\\Vendor"));
    const std::string text = "kept";
    ASSERT_TRUE(reg.SetKeyValue(kKey, "Name", kRegSz, Data(text), 5));

    EXPECT_TRUE(reg.CreateKey(kKey));  // existing key: opened, values untouched
    std::uint32_t type = 0;
    Bytes data;
    ASSERT_TRUE(registry.QueryValue(kKey, "Name", type, data));
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(data, Bytes({'k', 'e', 'p', 't', 0}));
    EXPECT_EQ(registry.OpenHandles(), 0u);
    EXPECT_EQ(reg.m_hKey, 0u);
}

TEST(RegTest, SetKeyValueNeverCreatesTheKey) {
    MemoryRegistry registry;
    CReg reg(registry);
    const std::string text = "x";
    EXPECT_FALSE(reg.SetKeyValue(kKey, "Name", kRegSz, Data(text), 2));
    EXPECT_FALSE(registry.KeyExists(kKey));
    EXPECT_FALSE(registry.KeyExists("SOFTWARE\\Vendor"));
    EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST(RegTest, SetKeyValueStoresExactlyTheBytesGiven) {
    MemoryRegistry registry;
    CReg reg(registry);
    ASSERT_TRUE(reg.CreateKey(kKey));
    const std::string text = "KX47 printer";
    ASSERT_TRUE(reg.SetKeyValue(kKey, "Publisher", kRegSz, Data(text), static_cast<std::uint32_t>(text.size() + 1)));
    std::uint32_t type = 0;
    Bytes data;
    ASSERT_TRUE(registry.QueryValue(kKey, "Publisher", type, data));
    Bytes expected = ToBytes(text);
    expected.push_back(0);
    EXPECT_EQ(data, expected);
    EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST(RegTest, DeniedWritesFailWithoutLeavingHandles) {
    MemoryRegistry registry;
    CReg reg(registry);
    ASSERT_TRUE(reg.CreateKey(kKey));
    registry.denyWrites = true;
    const std::string text = "x";
    EXPECT_FALSE(reg.CreateKey("SOFTWARE\\Other"));
    EXPECT_FALSE(reg.SetKeyValue(kKey, "Name", kRegSz, Data(text), 2));
    EXPECT_FALSE(registry.KeyExists("SOFTWARE\\Other"));
    EXPECT_TRUE(registry.ValueNames(kKey).empty());
    EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST(RegTest, DestructorClosesAHeldKey) {
    MemoryRegistry registry;
    RegKeyHandle held = 0;
    ASSERT_TRUE(registry.CreateKey(kKey, held));
    {
        CReg reg(registry);
        EXPECT_EQ(reg.m_hKey, 0u);
        reg.m_hKey = held;
    }
    EXPECT_EQ(registry.OpenHandles(), 0u);
}

}  // namespace
