// Files and directories: CreateDirectoryA, DeleteFileA, CopyFileA, whole-file reads and writes, file search
// and the current directory.
#include <algorithm>
#include <cctype>

#include "tests/support/ContractPlatforms.h"

namespace {

class FilesContract : public ContractTest {
protected:
    IFileSystem& files() { return os().files; }
    Bytes Read(const std::string& path) {
        Bytes data;
        EXPECT_TRUE(files().ReadWholeFile(path, data)) << path;
        return data;
    }
};

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// "name" or "name/" for a directory, sorted without regard to case: the search order is the file system's own.
std::vector<std::string> Listing(const std::vector<FoundFile>& found) {
    std::vector<std::string> r;
    for (const FoundFile& f : found) r.push_back(f.name + (f.isDirectory ? "/" : ""));
    std::sort(r.begin(), r.end(), [](const std::string& a, const std::string& b) { return Upper(a) < Upper(b); });
    return r;
}

TEST_P(FilesContract, DirectoryIsMadeOnceAndOnlyInsideAnExistingOne) {
    const std::string dir = InScratch("Sub");
    EXPECT_TRUE(files().MakeDirectory(dir));
    EXPECT_FALSE(files().MakeDirectory(dir));
    EXPECT_FALSE(files().MakeDirectory(InScratch("SUB")));
    EXPECT_FALSE(files().MakeDirectory(InScratch("Missing\\Child")));
    EXPECT_TRUE(files().MakeDirectory(InScratch("Sub\\Child")));
}

TEST_P(FilesContract, WholeFileWritesReplaceTheContent) {
    const std::string path = InScratch("data.bin");
    Bytes data;
    for (int i = 0; i < 70000; ++i) data.push_back(static_cast<unsigned char>((i * 7) % 256));  // NUL, CR, LF, ^Z...
    ASSERT_TRUE(files().WriteWholeFile(path, data));
    EXPECT_EQ(Read(path), data);
    ASSERT_TRUE(files().WriteWholeFile(path, ToBytes("xyz")));
    EXPECT_EQ(ToString(Read(path)), "xyz");
    ASSERT_TRUE(files().WriteWholeFile(path, Bytes()));
    EXPECT_TRUE(Read(path).empty());
}

TEST_P(FilesContract, MissingFilesAndDirectoriesAreNotReadOrWritten) {
    Bytes data{'x'};
    EXPECT_FALSE(files().ReadWholeFile(InScratch("none.txt"), data));
    EXPECT_FALSE(files().WriteWholeFile(InScratch("Missing\\file.txt"), ToBytes("abc")));
    ASSERT_TRUE(files().MakeDirectory(InScratch("Dir")));
    EXPECT_FALSE(files().ReadWholeFile(InScratch("Dir"), data));
    EXPECT_FALSE(files().WriteWholeFile(InScratch("Dir"), ToBytes("abc")));
}

TEST_P(FilesContract, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
    ASSERT_TRUE(files().WriteWholeFile(InScratch("Case.TXT"), ToBytes("abc")));
    EXPECT_EQ(ToString(Read(InScratch("case.txt"))), "abc");
    ASSERT_TRUE(files().WriteWholeFile(InScratch("CASE.txt"), ToBytes("de")));
    EXPECT_EQ(ToString(Read(InScratch("Case.TXT"))), "de");
    std::vector<FoundFile> found;
    ASSERT_TRUE(files().FindFiles(InScratch("*.txt"), found));
    EXPECT_EQ(Listing(found), std::vector<std::string>{"Case.TXT"});
    EXPECT_TRUE(files().RemoveFile(InScratch("CASE.TXT")));
    Bytes data;
    EXPECT_FALSE(files().ReadWholeFile(InScratch("Case.TXT"), data));
}

TEST_P(FilesContract, CopyHonoursFailIfExists) {
    const std::string from = InScratch("a.txt"), to = InScratch("b.txt");
    ASSERT_TRUE(files().WriteWholeFile(from, ToBytes("first")));
    EXPECT_TRUE(files().CopyFileTo(from, to, true));
    EXPECT_EQ(ToString(Read(to)), "first");
    ASSERT_TRUE(files().WriteWholeFile(from, ToBytes("second")));
    EXPECT_FALSE(files().CopyFileTo(from, to, true));
    EXPECT_EQ(ToString(Read(to)), "first");
    EXPECT_TRUE(files().CopyFileTo(from, InScratch("B.TXT"), false));
    EXPECT_EQ(ToString(Read(to)), "second");
    EXPECT_FALSE(files().CopyFileTo(InScratch("none.txt"), InScratch("c.txt"), false));
    EXPECT_FALSE(files().CopyFileTo(from, InScratch("Missing\\c.txt"), false));
    ASSERT_TRUE(files().MakeDirectory(InScratch("Dir")));
    EXPECT_FALSE(files().CopyFileTo(from, InScratch("Dir"), false));
}

TEST_P(FilesContract, RemovingWhatIsNotAFileFails) {
    EXPECT_FALSE(files().RemoveFile(InScratch("none.txt")));
    ASSERT_TRUE(files().WriteWholeFile(InScratch("once.txt"), ToBytes("1")));
    EXPECT_TRUE(files().RemoveFile(InScratch("once.txt")));
    EXPECT_FALSE(files().RemoveFile(InScratch("once.txt")));
    ASSERT_TRUE(files().MakeDirectory(InScratch("Dir")));
    EXPECT_FALSE(files().RemoveFile(InScratch("Dir")));
    EXPECT_FALSE(files().RemoveFile(InScratch("Missing\\x.txt")));
}

TEST_P(FilesContract, SearchFindsEveryMatchAndFlagsDirectories) {
    for (const char* name : {"a.dll", "B.DLL", "c.txt", "long name.dll"})
        ASSERT_TRUE(files().WriteWholeFile(InScratch(name), ToBytes(name)));
    ASSERT_TRUE(files().MakeDirectory(InScratch("x.dll")));
    ASSERT_TRUE(files().MakeDirectory(InScratch("Other")));
    std::vector<FoundFile> found;
    ASSERT_TRUE(files().FindFiles(InScratch("*.dll"), found));
    EXPECT_EQ(Listing(found), (std::vector<std::string>{"a.dll", "B.DLL", "long name.dll", "x.dll/"}));
    ASSERT_TRUE(files().FindFiles(InScratch("?.dll"), found));
    EXPECT_EQ(Listing(found), (std::vector<std::string>{"a.dll", "B.DLL", "x.dll/"}));
    ASSERT_TRUE(files().FindFiles(InScratch("*"), found));
    EXPECT_EQ(Listing(found), (std::vector<std::string>{"../", "./", "a.dll", "B.DLL", "c.txt", "long name.dll",
                                                        "Other/", "x.dll/"}));
    ASSERT_TRUE(files().FindFiles(InScratch("c.txt"), found));
    EXPECT_EQ(Listing(found), std::vector<std::string>{"c.txt"});
}

TEST_P(FilesContract, SearchWithoutMatchFails) {
    ASSERT_TRUE(files().WriteWholeFile(InScratch("a.txt"), ToBytes("a")));
    std::vector<FoundFile> found{FoundFile{"stale", false}};
    EXPECT_FALSE(files().FindFiles(InScratch("*.dll"), found));
    EXPECT_TRUE(found.empty());
    EXPECT_FALSE(files().FindFiles(InScratch("Missing\\*.dll"), found));
    EXPECT_FALSE(files().FindFiles(InScratch("Missing\\*"), found));
}

TEST_P(FilesContract, CurrentDirectoryIsTheFullPathAsSet) {
    const std::string scratch = host().ScratchDir();
    EXPECT_EQ(files().CurrentDir(), scratch);
    ASSERT_TRUE(files().MakeDirectory(InScratch("Sub")));
    ASSERT_TRUE(files().SetCurrentDir(InScratch("Sub")));
    EXPECT_EQ(files().CurrentDir(), InScratch("Sub"));
    ASSERT_TRUE(files().SetCurrentDir(InScratch("Sub") + "\\"));
    EXPECT_EQ(files().CurrentDir(), InScratch("Sub"));
    ASSERT_TRUE(files().SetCurrentDir(".."));
    EXPECT_EQ(files().CurrentDir(), scratch);
    ASSERT_TRUE(files().SetCurrentDir("SUB"));
    EXPECT_EQ(files().CurrentDir(), InScratch("SUB"));
    ASSERT_TRUE(files().WriteWholeFile("relative.txt", ToBytes("rel")));
    EXPECT_EQ(ToString(Read(InScratch("Sub\\relative.txt"))), "rel");
    ASSERT_TRUE(files().SetCurrentDir(InScratch("Sub\\.\\..\\Sub\\")));
    EXPECT_EQ(files().CurrentDir(), InScratch("Sub"));
    EXPECT_FALSE(files().SetCurrentDir(InScratch("Missing")));
    EXPECT_FALSE(files().SetCurrentDir(InScratch("Sub\\relative.txt")));
    EXPECT_EQ(files().CurrentDir(), InScratch("Sub"));
}

SETUP_CONTRACT_SUITE(FilesContract);

}  // namespace
