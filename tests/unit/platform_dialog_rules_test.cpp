#include "platform/dialog_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace vellum {
namespace {

using namespace std::string_literals;  // "a\0b"s keeps its NULs

// Shows NULs in failure messages.
std::string Visible(std::string text) {
    for (char& c : text) {
        if (c == '\0')
            c = '|';
    }
    return text;
}

TEST(FileDialogFlags, ByMode) {
    EXPECT_EQ(FileDialogFlags(0), 0x201004u);
    EXPECT_EQ(FileDialogFlags(1), 0x280204u);
    EXPECT_EQ(FileDialogFlags(2), 0x200006u);
    for (int mode : {-1, 3, 100}) {
        EXPECT_EQ(FileDialogFlags(mode), 0u) << mode;
        EXPECT_FALSE(IsFileDialogMode(mode)) << mode;
    }
    for (int mode : {0, 1, 2}) EXPECT_TRUE(IsFileDialogMode(mode)) << mode;
}

TEST(FolderDialogFlags, FoldersOnlyOrFilesAsWell) {
    EXPECT_EQ(FolderDialogFlags(false), 0x55u);
    EXPECT_EQ(FolderDialogFlags(true), 0x4054u);
}

TEST(DialogFilter, Table) {
    const struct {
        std::string in;
        std::string callerAfter;
        std::string dialog;
    } cases[] = {
        {"*.exe|*.exe|*.*|*.*", "*.exe|*.exe|*.*|*.*", "*.exe\0*.exe\0*.*\0*.*\0\0"s},
        {"DLG_Defalt_Filter", "所有文件|*.*", "所有文件\0*.*\0\0"s},
        {"图片 (*.png)|*.png", "图片 (*.png)|*.png", "图片 (*.png)\0*.png\0\0"s},
        // Only the exact marker is replaced.
        {"dlg_defalt_filter", "dlg_defalt_filter", "dlg_defalt_filter\0\0\0"s},
        // A label without a pattern gets an empty one, so the list still ends in a NUL pair.
        {"*.exe", "*.exe", "*.exe\0\0\0"s},
        {"a|b|c", "a|b|c", "a\0b\0c\0\0\0"s},
        {"", "", "\0\0"s},
    };
    for (const auto& c : cases) {
        std::string filter = c.in;
        EXPECT_EQ(Visible(DialogFilter(filter)), Visible(c.dialog)) << c.in;
        EXPECT_EQ(filter, c.callerAfter) << c.in;
    }
}

TEST(SingleSelection, UpToTheFirstNulWithoutSurroundingSpaces) {
    const struct {
        std::string buffer;
        std::string path;
    } cases[] = {
        {"C:\\Tools\\x.exe\0\0\0"s, "C:\\Tools\\x.exe"},
        {"C:\\Tools\\x.exe\0C:\\old prefill tail   "s, "C:\\Tools\\x.exe"},
        {"  C:\\My Tools\\看 图.exe   \0"s, "C:\\My Tools\\看 图.exe"},
        {"C:\\a b\\c d.exe          "s, "C:\\a b\\c d.exe"},
        {"      \0"s, ""},
        {"\0C:\\x"s, ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(SingleSelection(c.buffer), c.path) << Visible(c.buffer);
}

TEST(MultiSelectionText, TheListUpToItsNulPair) {
    const struct {
        std::string buffer;
        std::string text;
    } cases[] = {
        {"C:\\D\0a.txt\0b.txt\0\0\0\0\0"s, "C:\\D\0a.txt\0b.txt\0"s},
        {"C:\\D\\a.txt\0\0"s, "C:\\D\\a.txt\0"s},
        // What a longer pre-filled path left after the list does not count.
        {"C:\\D\0a\0\0ls\\tool.exe\0"s, "C:\\D\0a\0"s},
        // No NUL pair: a cancelled dialog's pre-filled buffer.
        {"C:\\Tools\\x.exe"s, ""},
        {"C:\\Tools\\x.exe\0"s, ""},
        // No backslash: no folder, so nothing chosen.
        {"a.txt\0b.txt\0\0"s, ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Visible(MultiSelectionText(c.buffer)), Visible(c.text)) << Visible(c.buffer);
}

TEST(SplitMultiSelection, Table) {
    const struct {
        std::string in;
        std::string text;
        std::string folder;
    } cases[] = {
        // Two files in a folder.
        {"C:\\D\0a.txt\0b.txt\0"s, "C:\\D\\a.txt\0C:\\D\\b.txt"s, "C:\\D\\"},
        {"C:\\D\0a.txt\0b.txt\0\0"s, "C:\\D\\a.txt\0C:\\D\\b.txt"s, "C:\\D\\"},
        {"C:\\D\0a.txt\0b.txt"s, "C:\\D\\a.txt\0C:\\D\\b.txt"s, "C:\\D\\"},
        // A folder that already ends in a backslash (a drive root) gets no second one.
        {"C:\\\0a.txt\0b.txt\0"s, "C:\\a.txt\0C:\\b.txt"s, "C:\\"},
        {"C:\\D\\\0a.txt\0b.txt\0"s, "C:\\D\\a.txt\0C:\\D\\b.txt"s, "C:\\D\\"},
        // One file comes as one full path: it stays, its folder is returned.
        {"C:\\D\\a.txt\0"s, "C:\\D\\a.txt", "C:\\D\\"},
        {"C:\\D\\a.txt\0\0"s, "C:\\D\\a.txt", "C:\\D\\"},
        {"C:\\D\\a.txt"s, "C:\\D\\a.txt", "C:\\D\\"},
        {"a.txt\0"s, "a.txt", ""},
        // Names that hold a backslash are paths already and are kept as they are.
        {"C:\\D\0a.txt\0E:\\x\\b.txt\0c.txt\0"s, "C:\\D\\a.txt\0E:\\x\\b.txt\0C:\\D\\c.txt"s,
         "C:\\D\\"},
        {"C:\\D\0sub\\a.txt\0"s, "sub\\a.txt", "C:\\D\\"},
        // Spaces and Chinese text pass through.
        {"C:\\截图 文件夹\0图 1.png\0图 2.png\0\0"s,
         "C:\\截图 文件夹\\图 1.png\0C:\\截图 文件夹\\图 2.png"s, "C:\\截图 文件夹\\"},
        // Nothing chosen.
        {"", "", ""},
        {"\0\0"s, "", ""},
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        EXPECT_EQ(SplitMultiSelection(text), c.folder) << Visible(c.in);
        EXPECT_EQ(Visible(text), Visible(c.text)) << Visible(c.in);
    }
}

TEST(InitialBrowseFolder, CallerThenRememberedThenCurrentDirectory) {
    EXPECT_EQ(InitialBrowseFolder("C:\\P\\", "C:\\L", "C:\\Cwd"), "C:\\P\\");
    EXPECT_EQ(InitialBrowseFolder("", "C:\\L", "C:\\Cwd"), "C:\\L");
    EXPECT_EQ(InitialBrowseFolder("", "", "C:\\Cwd"), "C:\\Cwd");
}

TEST(DialogMemory, FileDialogOpensInTheFolderOfThePrefilledFile) {
    const struct {
        const char* lastFile;
        const char* lastFolder;
        const char* opensIn;
    } cases[] = {
        {"C:\\Tools\\x.exe", "", "C:\\Tools\\"},
        {"C:\\Tools\\x.exe", "D:\\Other", "D:\\Other"},
        {"mspaint.exe", "", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        DialogMemory memory{c.lastFile, c.lastFolder};
        EXPECT_EQ(PrepareFileDialog(memory), c.opensIn) << c.lastFile << " " << c.lastFolder;
        EXPECT_EQ(memory.lastFolder, c.opensIn);
        EXPECT_EQ(memory.lastFile, c.lastFile);
    }
}

TEST(DialogMemory, SingleFileDialogResults) {
    const struct {
        const char* name;
        std::string lastFile;
        bool chosen;
        std::string buffer;
        std::string result;
        std::string folderAfter;
    } cases[] = {
        {"chosen", "", true, "C:\\Tools\\x.exe\0\0\0"s, "C:\\Tools\\x.exe", "C:\\Tools"},
        {"chosen replaces the pre-fill", "C:\\Old\\o.exe", true, "C:\\New\\n.exe\0"s,
         "C:\\New\\n.exe", "C:\\New"},
        {"cancel keeps the pre-fill", "C:\\Tools\\x.exe", false, "\x01\x02garbage"s,
         "C:\\Tools\\x.exe", "C:\\Tools"},
        {"cancel with nothing pre-filled", "", false, ""s, "", ""},
        {"chosen in a drive root", "", true, "C:\\x.exe\0"s, "C:\\x.exe", "C:"},
        {"spaces and Chinese", "", true, "C:\\我的 工具\\看 图.exe\0"s, "C:\\我的 工具\\看 图.exe",
         "C:\\我的 工具"},
    };
    for (const auto& c : cases) {
        DialogMemory memory{c.lastFile, "Z:\\before"};
        EXPECT_EQ(FinishSingleFileDialog(memory, c.chosen, c.buffer), c.result) << c.name;
        EXPECT_EQ(memory.lastFile, c.result) << c.name;
        EXPECT_EQ(memory.lastFolder, c.folderAfter) << c.name;
    }
}

TEST(ClassifyMultiSelection, ChosenCancelledOrTooMany) {
    using End = MultiSelectionEnd;
    const struct {
        const char* name;
        bool dialogOk;
        bool bufferTooSmall;
        std::string buffer;
        End end;
    } cases[] = {
        {"two files", true, false, "C:\\D\0a.txt\0b.txt\0\0\0\0"s, End::Chosen},
        {"one file", true, false, "C:\\D\\a.txt\0\0"s, End::Chosen},
        {"cancel", false, false, "C:\\Old\\x.exe\0\0\0"s, End::Cancelled},
        {"buffer too small", false, true, "\x10\x01\0\0"s, End::TooManyFiles},
        // The list cut off at the end of the buffer, with no NUL pair after it.
        {"cut off", true, false, "C:\\D\0a.txt\0b.t"s, End::TooManyFiles},
        {"cut off after a name", true, false, "C:\\D\0a.txt\0"s, End::TooManyFiles},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassifyMultiSelection(c.dialogOk, c.bufferTooSmall, c.buffer), c.end) << c.name;
}

TEST(DialogMemory, MultiFileDialogResults) {
    using End = MultiSelectionEnd;
    const struct {
        const char* name;
        End end;
        std::string buffer;
        std::string result;
        std::string fileAfter;
        std::string folderAfter;
    } cases[] = {
        {"two files", End::Chosen, "C:\\D\0a.txt\0b.txt\0\0"s, "C:\\D\\a.txt\0C:\\D\\b.txt"s,
         "C:\\D\\b.txt", "C:\\D\\"},
        {"one file", End::Chosen, "C:\\D\\a.txt\0\0"s, "C:\\D\\a.txt", "C:\\D\\a.txt", "C:\\D\\"},
        {"no folder in the list", End::Chosen, "a.txt\0b.txt\0\0"s, "", "", ""},
        {"cancel", End::Cancelled, "C:\\Old\\x.exe\0\0"s, "", "", ""},
        {"too many", End::TooManyFiles, "C:\\D\0a.txt\0b.txt\0\0"s, "", "", ""},
    };
    for (const auto& c : cases) {
        DialogMemory memory{"C:\\Old\\x.exe", "C:\\Old"};
        EXPECT_EQ(Visible(FinishMultiFileDialog(memory, c.end, c.buffer)), Visible(c.result))
            << c.name;
        EXPECT_EQ(memory.lastFile, c.fileAfter) << c.name;
        EXPECT_EQ(memory.lastFolder, c.folderAfter) << c.name;
    }
}

TEST(DialogMemory, FolderDialogResultGoesToTheCallerAndIsRemembered) {
    const struct {
        const char* name;
        std::optional<std::string> chosen;
        const char* result;
    } cases[] = {
        {"folder", std::string("C:\\Tools"), "C:\\Tools"},
        {"drive root", std::string("C:\\"), "C:"},
        {"cancel", std::nullopt, ""},
        {"no file-system path", std::string(), ""},
    };
    for (const auto& c : cases) {
        DialogMemory memory{"C:\\f.exe", "C:\\before"};
        std::string caller = "C:\\caller\\";
        EXPECT_EQ(FinishFolderDialog(memory, caller, c.chosen), c.result) << c.name;
        EXPECT_EQ(caller, c.result) << c.name;
        EXPECT_EQ(memory.lastFolder, c.result) << c.name;
        EXPECT_EQ(memory.lastFile, "C:\\f.exe") << c.name;
    }
}

TEST(DialogMemory, CancellingTheFolderDialogSendsTheNextFileDialogToTheFileFolder) {
    DialogMemory memory{"C:\\Tools\\x.exe", "C:\\Tools"};
    std::string caller;
    FinishFolderDialog(memory, caller, std::nullopt);
    EXPECT_EQ(PrepareFileDialog(memory), "C:\\Tools\\");
}

TEST(DialogMemory, ColourStartsBlackAndKeepsTheLastConfirmedOne) {
    DialogMemory memory;
    EXPECT_EQ(memory.lastColor, 0u);
    EXPECT_EQ(FinishColorDialog(memory, false, 0x123456), 0u);
    EXPECT_EQ(FinishColorDialog(memory, true, 0x00FF8040), 0x00FF8040u);
    EXPECT_EQ(FinishColorDialog(memory, false, 0x00000001), 0x00FF8040u);
    EXPECT_EQ(FinishColorDialog(memory, true, 0), 0u);
}

}  // namespace
}  // namespace vellum
