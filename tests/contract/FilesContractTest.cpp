// Files and directories: CreateDirectoryA, DeleteFileA, CopyFileA, whole-file reads and writes, file search
// and the current directory.
#include <algorithm>

#include "tests/support/ContractPlatforms.h"

namespace {

class FilesContract : public ContractTest {
protected:
    IFileSystem& files() { return os().files; }
    std::string Text(const std::string& path) {
        Bytes data;
        EXPECT_TRUE(files().ReadWholeFile(path, data)) << path;
        return ToString(data);
    }
    void Put(const std::string& name, const std::string& text) {
        ASSERT_TRUE(files().WriteWholeFile(InScratch(name), ToBytes(text))) << name;
    }
    // What the pattern finds in the scratch directory, "name/" for a directory, sorted (the search order is the
    // file system's own); "<failed>" when the search fails.
    std::vector<std::string> Find(const std::string& pattern) {
        std::vector<FoundFile> found{FoundFile{"stale", false}};
        std::vector<std::string> r;
        if (!files().FindFiles(InScratch(pattern), found))
            r.push_back(found.empty() ? "<failed>" : "<failed, not emptied>");
        for (const FoundFile& f : found) r.push_back(f.name + (f.isDirectory ? "/" : ""));
        std::sort(r.begin(), r.end());
        return r;
    }
};

TEST_P(FilesContract, WritesReplaceCopiesHonourFailIfExistsAndNamesIgnoreCase) {
    const std::string path = InScratch("data.bin");
    Bytes data;
    for (int i = 0; i < 70000; ++i) data.push_back(static_cast<unsigned char>((i * 7) % 256));  // NUL, CR, LF, ^Z...
    ASSERT_TRUE(files().WriteWholeFile(path, data));
    EXPECT_EQ(ToBytes(Text(path)), data);
    for (const char* text : {"xyz", ""}) {
        ASSERT_TRUE(files().WriteWholeFile(path, ToBytes(text)));
        EXPECT_EQ(Text(path), text);
    }
    // Copies honour fail-if-exists.
    const std::string from = InScratch("a.txt"), to = InScratch("b.txt");
    Put("a.txt", "first");
    EXPECT_TRUE(files().CopyFileTo(from, to, true));
    EXPECT_EQ(Text(to), "first");
    Put("a.txt", "second");
    EXPECT_FALSE(files().CopyFileTo(from, to, true));
    EXPECT_EQ(Text(to), "first");
    EXPECT_TRUE(files().CopyFileTo(from, InScratch("B.TXT"), false));
    EXPECT_EQ(Text(to), "second");
    // Names ignore case and keep their first spelling.
    Put("Case.TXT", "abc");
    EXPECT_EQ(Text(InScratch("case.txt")), "abc");
    Put("CASE.txt", "de");
    EXPECT_EQ(Text(InScratch("Case.TXT")), "de");
    EXPECT_EQ(Find("c*.txt"), std::vector<std::string>{"Case.TXT"});
    EXPECT_TRUE(files().RemoveFile(InScratch("CASE.TXT")));
    EXPECT_FALSE(files().ReadWholeFile(InScratch("Case.TXT"), data));
}

// A file given to the next restart stays until then (the running program's own file is given so).
TEST_P(FilesContract, RemovalAtRestartLeavesTheFileForNow) {
    Put("later.txt", "kept until restart");
    EXPECT_TRUE(files().RemoveAtRestart(InScratch("later.txt")));
    EXPECT_EQ(Text(InScratch("later.txt")), "kept until restart");
}

TEST_P(FilesContract, DirectoriesAreMadeOnceInsideAnExistingOneAndAreNoFiles) {
    EXPECT_TRUE(files().MakeDirectory(InScratch("Dir")));
    EXPECT_FALSE(files().MakeDirectory(InScratch("Dir")));
    EXPECT_FALSE(files().MakeDirectory(InScratch("DIR")));
    EXPECT_FALSE(files().MakeDirectory(InScratch("Missing\\Child")));
    EXPECT_TRUE(files().MakeDirectory(InScratch("Dir\\Child")));
    // Neither a directory nor a missing file or directory is read, written, copied or removed as a file.
    Put("a.txt", "a");
    Bytes data;
    for (const char* name : {"none.txt", "Dir", "Missing\\x.txt"}) {
        const std::string path = InScratch(name);
        EXPECT_FALSE(files().RemoveFile(path)) << name;
        EXPECT_FALSE(files().ReadWholeFile(path, data)) << name;
        if (name == std::string("none.txt")) {
            EXPECT_FALSE(files().CopyFileTo(path, InScratch("c.txt"), false));
        } else {
            EXPECT_FALSE(files().WriteWholeFile(path, ToBytes("abc"))) << name;
            EXPECT_FALSE(files().CopyFileTo(InScratch("a.txt"), path, false)) << name;
        }
    }
}

TEST_P(FilesContract, SearchFindsEveryMatchAndFlagsDirectories) {
    for (const char* name : {"a.dll", "B.DLL", "c.txt", "long name.dll"}) Put(name, name);
    ASSERT_TRUE(files().MakeDirectory(InScratch("x.dll")));
    ASSERT_TRUE(files().MakeDirectory(InScratch("Other")));
    using Names = std::vector<std::string>;
    EXPECT_EQ(Find("*.dll"), (Names{"B.DLL", "a.dll", "long name.dll", "x.dll/"}));
    EXPECT_EQ(Find("?.dll"), (Names{"B.DLL", "a.dll", "x.dll/"}));
    EXPECT_EQ(Find("*"), (Names{"../", "./", "B.DLL", "Other/", "a.dll", "c.txt", "long name.dll", "x.dll/"}));
    EXPECT_EQ(Find("c.txt"), Names{"c.txt"});
    for (const char* pattern : {"*.exe", "Missing\\*.dll", "Missing\\*"}) EXPECT_EQ(Find(pattern), Names{"<failed>"});
}

TEST_P(FilesContract, CurrentDirectoryIsTheFullPathAsSet) {
    const std::string sub = InScratch("Sub");
    EXPECT_EQ(host().CurrentDir(), host().ScratchDir());
    ASSERT_TRUE(files().MakeDirectory(sub));
    auto change = [&](const std::string& to, bool ok, const std::string& current) {
        EXPECT_EQ(files().SetCurrentDir(to), ok) << to;
        EXPECT_EQ(host().CurrentDir(), current) << to;
    };
    change(sub, true, sub);
    change(sub + "\\", true, sub);
    change("..", true, host().ScratchDir());
    change("SUB", true, InScratch("SUB"));
    ASSERT_TRUE(files().WriteWholeFile("relative.txt", ToBytes("rel")));
    EXPECT_EQ(Text(sub + "\\relative.txt"), "rel");
    change(InScratch("Sub\\.\\..\\Sub\\"), true, sub);
    change(InScratch("Missing"), false, sub);
    change(sub + "\\relative.txt", false, sub);
}

TEST_P(FilesContract, NewFilesAreMadeOnlyWhereNothingIsAndInspectionFollowsNoLink) {
    const std::string path = InScratch("new.bin");
    PathState state;
    ASSERT_TRUE(files().Inspect(path, state));
    EXPECT_FALSE(state.exists);
    ASSERT_TRUE(files().Inspect(InScratch("Missing\\x.bin"), state));
    EXPECT_FALSE(state.exists);
    EXPECT_TRUE(files().WriteNewFile(path, ToBytes("abc")));
    EXPECT_FALSE(files().WriteNewFile(path, ToBytes("x")));
    EXPECT_FALSE(files().WriteNewFile(InScratch("NEW.BIN"), ToBytes("x")));
    EXPECT_EQ(Text(path), "abc");
    ASSERT_TRUE(files().Inspect(path, state));
    EXPECT_TRUE(state.exists);
    EXPECT_FALSE(state.isDirectory);
    EXPECT_FALSE(state.isReparsePoint);
    EXPECT_EQ(state.links, 1u);
    ASSERT_TRUE(files().Inspect(host().ScratchDir(), state));
    EXPECT_TRUE(state.exists && state.isDirectory && !state.isReparsePoint);
    EXPECT_FALSE(files().WriteNewFile(host().ScratchDir(), ToBytes("x")));
    EXPECT_FALSE(files().WriteNewFile(InScratch("Missing\\x.bin"), ToBytes("x")));

    // A second name: a plain write goes through to the other name, a removal takes only the one name.
    const std::string target = InScratch("target.dll"), link = InScratch("link.txt");
    Put("target.dll", "system file");
    ASSERT_TRUE(host().MakeHardLink(target, link));
    ASSERT_TRUE(files().Inspect(link, state));
    EXPECT_EQ(state.links, 2u);
    EXPECT_FALSE(files().WriteNewFile(link, ToBytes("x")));
    EXPECT_TRUE(files().WriteWholeFile(link, ToBytes("through")));
    EXPECT_EQ(Text(target), "through");
    EXPECT_TRUE(files().RemoveFile(link));
    EXPECT_EQ(Text(target), "through");
    ASSERT_TRUE(files().Inspect(target, state));
    EXPECT_EQ(state.links, 1u);
}

TEST_P(FilesContract, FilesThatCannotBeReplaced) {
    Bytes data;
    PathState state;
    // Read-only: neither removed nor written.
    Put("ro.dll", "kept");
    ASSERT_TRUE(host().SetAttributes(InScratch("ro.dll"), kAttributeReadOnly));
    ASSERT_TRUE(files().Inspect(InScratch("ro.dll"), state));
    EXPECT_TRUE(state.attributes & kAttributeReadOnly);
    EXPECT_FALSE(files().RemoveFile(InScratch("ro.dll")));
    EXPECT_FALSE(files().WriteNewFile(InScratch("ro.dll"), ToBytes("new")));
    if (host().Limitation("writing read-only files").empty()) {
        EXPECT_FALSE(files().WriteWholeFile(InScratch("ro.dll"), ToBytes("new")));
    }
    EXPECT_EQ(Text(InScratch("ro.dll")), "kept");
    // Open elsewhere with read sharing only: readable, but neither removed nor written.
    Put("open.dll", "kept");
    ASSERT_TRUE(host().HoldOpen(InScratch("open.dll"), 1));
    EXPECT_FALSE(files().RemoveFile(InScratch("open.dll")));
    EXPECT_FALSE(files().WriteWholeFile(InScratch("open.dll"), ToBytes("new")));
    EXPECT_TRUE(files().ReadWholeFile(InScratch("open.dll"), data));
    EXPECT_EQ(ToString(data), "kept");
    // Hidden: not opened by a write with normal attributes, but removed, after which a new file can be made.
    Put("hidden.dll", "kept");
    ASSERT_TRUE(host().SetAttributes(InScratch("hidden.dll"), kAttributeHidden));
    if (host().Limitation("hidden files").empty()) {
        EXPECT_FALSE(files().WriteWholeFile(InScratch("hidden.dll"), ToBytes("new")));
        EXPECT_EQ(Text(InScratch("hidden.dll")), "kept");
    }
    EXPECT_TRUE(files().RemoveFile(InScratch("hidden.dll")));
    EXPECT_TRUE(files().WriteNewFile(InScratch("hidden.dll"), ToBytes("new")));
}

// A failure comes with the error Windows gives for it.
TEST_P(FilesContract, FailuresComeWithTheirWin32Errors) {
    PathState state;
    HeldHandle held = 0;
    ASSERT_TRUE(files().MakeDirectory(InScratch("Dir")));
    EXPECT_EQ(files().MakeDirectory(InScratch("DIR")).error, kErrorAlreadyExists);
    EXPECT_EQ(files().MakeDirectory(InScratch("Missing\\Child")).error, kErrorPathNotFound);
    EXPECT_EQ(files().RemoveFile(InScratch("none.txt")).error, kErrorFileNotFound);
    EXPECT_EQ(files().RemoveFile(InScratch("Missing\\x.txt")).error, kErrorPathNotFound);
    EXPECT_EQ(files().RemoveFile(InScratch("Dir")).error, kErrorAccessDenied);
    EXPECT_EQ(files().HoldFile(InScratch("none.txt"), false, held, state).error, kErrorFileNotFound);
    EXPECT_EQ(held, 0u);
    Put("new.bin", "abc");
    EXPECT_EQ(files().WriteNewFile(InScratch("NEW.BIN"), ToBytes("x")).error, kErrorFileExists);
    EXPECT_EQ(files().WriteNewFile(InScratch("Missing\\x.bin"), ToBytes("x")).error, kErrorPathNotFound);
    Put("ro.dll", "kept");
    ASSERT_TRUE(host().SetAttributes(InScratch("ro.dll"), kAttributeReadOnly));
    EXPECT_EQ(files().RemoveFile(InScratch("ro.dll")).error, kErrorAccessDenied);
    Put("open.dll", "kept");
    ASSERT_TRUE(host().HoldOpen(InScratch("open.dll"), 1));
    EXPECT_EQ(files().RemoveFile(InScratch("open.dll")).error, kErrorSharingViolation);
    EXPECT_EQ(files().HoldFile(InScratch("open.dll"), true, held, state).error, kErrorSharingViolation);
    EXPECT_EQ(held, 0u);
}

SETUP_CONTRACT_SUITE(FilesContract);

TEST_P(FilesContract, HeldFilesAndDirectoriesRefuseOtherWritersUntilLetGo) {
    const std::string dir = InScratch("stage"), file = InScratch("stage\\held.bin"), copy = InScratch("copy.bin");
    ASSERT_TRUE(files().MakeDirectory(dir));
    Put("plain.txt", "a file");
    HeldHandle heldDir = 0, heldFile = 0, second = 0;
    EXPECT_FALSE(files().HoldDirectory(InScratch("plain.txt"), heldDir));
    EXPECT_FALSE(files().HoldDirectory(InScratch("missing"), heldDir));
    ASSERT_TRUE(files().HoldDirectory(dir, heldDir));
    ASSERT_TRUE(files().WriteNewFile(file, ToBytes("staged")));
    PathState state;
    ASSERT_TRUE(files().HoldFile(file, false, heldFile, state));
    EXPECT_TRUE(state.exists && !state.isDirectory && !state.isReparsePoint);
    EXPECT_EQ(state.links, 1u);
    EXPECT_EQ(state.size, 6u);
    Bytes data;
    EXPECT_TRUE(files().ReadHeld(heldFile, data));
    EXPECT_EQ(ToString(data), "staged");

    // Others can read the held file (the system's command copies it), and can change nothing.
    EXPECT_EQ(Text(file), "staged");
    EXPECT_TRUE(files().CopyFileTo(file, copy, false));
    EXPECT_FALSE(host().OtherWrite(file, ToBytes("foreign")));
    EXPECT_FALSE(host().OtherReplace(file, ToBytes("foreign")));
    EXPECT_FALSE(host().OtherRename(file, InScratch("stage\\moved.bin")));
    EXPECT_FALSE(files().RemoveFile(file));
    EXPECT_FALSE(files().HoldFile(file, true, second, state));  // delete access is not shared
    EXPECT_FALSE(host().OtherRename(dir, InScratch("moved")));
    ASSERT_TRUE(files().ReadHeld(heldFile, data));
    EXPECT_EQ(ToString(data), "staged");

    // Let go, the file and the directory are anyone's again.
    files().Release(heldFile);
    EXPECT_TRUE(host().OtherWrite(file, ToBytes("foreign")));
    files().Release(heldDir);
    EXPECT_TRUE(host().OtherRename(dir, InScratch("moved")));

    // A file held for deleting goes, through its handle, when it is let go.
    const std::string doomed = InScratch("doomed.bin");
    ASSERT_TRUE(files().WriteNewFile(doomed, ToBytes("x")));
    ASSERT_TRUE(files().HoldFile(doomed, true, heldFile, state));
    EXPECT_FALSE(host().OtherWrite(doomed, ToBytes("foreign")));
    EXPECT_TRUE(files().DeleteHeld(heldFile));
    files().Release(heldFile);
    ASSERT_TRUE(files().Inspect(doomed, state));
    EXPECT_FALSE(state.exists);
}

TEST_P(FilesContract, AHeldNewFileGrowsByAppendsAndIsNobodyElsesMeanwhile) {
    const std::string log = InScratch("run.log");
    Put("taken.log", "someone's");
    HeldHandle held = 1;
    EXPECT_FALSE(files().CreateHeldFile(InScratch("taken.log"), held));  // never opens what is there
    EXPECT_EQ(held, 0u);
    EXPECT_EQ(Text(InScratch("taken.log")), "someone's");
    EXPECT_FALSE(files().CreateHeldFile(InScratch("missing\\run.log"), held));

    ASSERT_TRUE(files().CreateHeldFile(log, held));
    EXPECT_TRUE(files().AppendHeld(held, ToBytes("first line\r\n")));
    EXPECT_TRUE(files().AppendHeld(held, ToBytes("second line\r\n")));
    EXPECT_TRUE(files().AppendHeld(held, Bytes()));
    EXPECT_FALSE(host().OtherWrite(log, ToBytes("foreign")));
    EXPECT_FALSE(host().OtherReplace(log, ToBytes("foreign")));
    PathState state;
    ASSERT_TRUE(files().Inspect(log, state));
    EXPECT_EQ(state.size, 25u);  // on the disk before the handle is let go
    files().Release(held);
    EXPECT_EQ(Text(log), "first line\r\nsecond line\r\n");
    EXPECT_TRUE(host().OtherWrite(log, ToBytes("foreign")));
}

}  // namespace
