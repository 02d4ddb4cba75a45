// The staging plan: which store entries go to which file for each system, system language and chosen language.
#include <gtest/gtest.h>

#include "install/StagingPlan.h"

namespace {

std::vector<std::uint16_t> Ids(const std::vector<StagedFile>& plan) {
    std::vector<std::uint16_t> ids;
    for (const StagedFile& f : plan) ids.push_back(f.id);
    return ids;
}

struct PlanCase {
    const char* what;
    int osType;
    std::uint16_t langId;
    std::uint16_t wLanguage;
    std::vector<std::uint16_t> ids;
};

TEST(StagingPlan, IdsFollowSystemReleaseSystemLanguageAndChoice) {
    const std::vector<std::uint16_t> lastColumnSimplified = {186, 187, 188, 189, 154, 190, 191, 192, 193, 194, 195};
    const PlanCase cases[] = {
        {"XP, PRC, Chinese", 7, 0x0804, 0, {153, 155, 159, 156, 154, 149, 152, 150, 151, 157, 158}},
        {"XP, Taiwan, Chinese", 7, 0x0404, 0, {153, 155, 159, 156, 154, 149, 152, 150, 151, 249, 254}},
        {"XP, Singapore, Chinese", 7, 0x1004, 0, {153, 155, 159, 156, 154, 149, 152, 150, 151, 249, 254}},
        {"XP, PRC, English", 7, 0x0804, 1, {153, 155, 159, 156, 154, 149, 152, 150, 151, 161, 162}},
        {"XP, US, English", 7, 0x0409, 1, {153, 155, 159, 156, 154, 163, 164, 165, 166, 161, 162}},
        {"XP, US, Chinese", 7, 0x0409, 0, {153, 155, 159, 156, 154, 163, 164, 165, 166, 249, 254}},
        {"2000, Taiwan, Chinese", 6, 0x0404, 0, {168, 169, 170, 171, 154, 172, 173, 174, 175, 250, 252}},
        {"2000, PRC, Chinese", 6, 0x0804, 0, {168, 169, 170, 171, 154, 172, 173, 174, 175, 184, 185}},
        {"2000, Japan, English", 6, 0x0411, 1, {168, 169, 170, 171, 154, 176, 177, 178, 179, 182, 183}},
        {"7, Hong Kong, Chinese", 10, 0x0C04, 0, {186, 187, 188, 189, 154, 190, 191, 192, 193, 251, 253}},
        {"Vista, US, English", 9, 0x0409, 1, {186, 187, 188, 189, 154, 196, 197, 198, 199, 200, 201}},
        {"2003, PRC, Chinese", 8, 0x0804, 0, lastColumnSimplified},
        {"Vista, PRC, Chinese", 9, 0x0804, 0, lastColumnSimplified},
        {"7, PRC, Chinese", 10, 0x0804, 0, lastColumnSimplified},
        {"NT 4, PRC, Chinese", 4, 0x0804, 0, lastColumnSimplified},
        {"unknown, PRC, Chinese", 0, 0x0804, 0, lastColumnSimplified},
    };
    for (const PlanCase& c : cases)
        EXPECT_EQ(Ids(StagingPlan(c.osType, c.langId, c.wLanguage, "KX47")), c.ids) << c.what;
}

TEST(StagingPlan, NamesRewritingAndSubdirectoryCopiesFollowTheFile) {
    const std::vector<StagedFile> plan = StagingPlan(7, 0x0804, 0, "ABC");
    const char* names[] = {"STDNAMES.GPD", "ABC.GPD",    "ABC.INI",      "ABCD.dll",   "ZIKU.UFM", "UNIDRV.DLL",
                           "UNIDRV.HLP",   "UNIDRVUI.DLL", "UNIRES.DLL", "ABCF.dll", "ABCRES.DLL"};
    ASSERT_EQ(plan.size(), std::size(names));
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const std::string& name = plan[i].fileName;
        EXPECT_EQ(name, names[i]);
        EXPECT_EQ(plan[i].patchNames, name == "ABC.GPD" || name == "ABC.INI") << name;
        EXPECT_EQ(plan[i].alsoI386x86, name == "ABCD.dll" || name == "ABCF.dll" || name == "ABCRES.DLL") << name;
    }
}

TEST(StagingPlan, EveryColumnWritesTheSameFiles) {
    const std::vector<StagedFile> xp = StagingPlan(7, 0x0404, 1, "P");
    for (int os : {6, 8}) {
        const std::vector<StagedFile> other = StagingPlan(os, 0x0404, 1, "P");
        ASSERT_EQ(other.size(), xp.size());
        for (std::size_t i = 0; i < xp.size(); ++i) {
            EXPECT_EQ(other[i].fileName, xp[i].fileName);
            EXPECT_EQ(other[i].patchNames, xp[i].patchNames);
            EXPECT_EQ(other[i].alsoI386x86, xp[i].alsoI386x86);
            EXPECT_EQ(other[i].id == xp[i].id, other[i].fileName == "ZIKU.UFM") << other[i].fileName;
        }
    }
}

TEST(StagingPlan, DriverFileSetAndCopyOrder) {
    const std::vector<DriverFile> set = DriverFileSet("KX47");
    const char* setNames[] = {"STDNAMES.GPD", "KX47.GPD",   "KX47.INI",   "KX47D.dll",  "KX47F.dll",   "ZIKU.UFM",
                              "KX47RES.DLL",  "UNIDRV.DLL", "UNIDRV.HLP", "UNIDRVUI.DLL", "UNIRES.DLL"};
    ASSERT_EQ(set.size(), std::size(setNames));
    for (std::size_t i = 0; i < set.size(); ++i) {
        EXPECT_EQ(set[i].fileName, setNames[i]);
        EXPECT_EQ(set[i].nameDerived, set[i].fileName.rfind("KX47", 0) == 0) << set[i].fileName;
    }
    const std::vector<std::string> copy = DriverCopyOrder("KX47");
    const std::vector<std::string> expected = {"UNIDRV.DLL", "KX47.GPD", "UNIDRVUI.DLL", "UNIDRV.HLP",
                                               "UNIRES.DLL", "STDNAMES.GPD", "ZIKU.UFM", "KX47.INI",
                                               "KX47RES.DLL", "KX47D.dll", "KX47F.dll"};
    EXPECT_EQ(copy, expected);
}

TEST(StagingPlan, LanguageTests) {
    for (std::uint16_t id : {0x0804, 0x0404, 0x0C04, 0x1004, 0x1404}) EXPECT_TRUE(IsChineseSystem(id)) << id;
    for (std::uint16_t id : {0x0409, 0x0411, 0x0009, 0x0405}) EXPECT_FALSE(IsChineseSystem(id)) << id;
    EXPECT_TRUE(IsSimplifiedChineseSystem(0x0804));
    for (std::uint16_t id : {0x0404, 0x1004, 0x0004, 0x0409}) EXPECT_FALSE(IsSimplifiedChineseSystem(id)) << id;
}

}  // namespace
