#include "drives/drive_watcher.h"

#include <gtest/gtest.h>

#include <map>

namespace qz {
namespace {

// A system that answers GetLogicalDriveStrings from a fixed string and
// GetDriveType from a table, recording which roots were asked about.
struct FakeSystem {
    std::wstring drives;               // e.g. L"C:\\\0E:\\\0" (without the final zero)
    std::map<std::wstring, unsigned> kinds;
    std::vector<std::wstring> kindQueries;
    std::vector<std::uint32_t> queryLengths;
    bool failQuery = false;

    DriveStringsQuery Query() {
        return [this](std::uint32_t length, wchar_t* buffer) -> std::uint32_t {
            queryLengths.push_back(length);
            if (failQuery) return 0;
            const auto needed = static_cast<std::uint32_t>(drives.size() + 1);
            if (needed > length) return needed;  // too small: the length it needs, nothing written
            for (std::size_t i = 0; i < drives.size(); ++i) buffer[i] = drives[i];
            buffer[drives.size()] = L'\0';
            return static_cast<std::uint32_t>(drives.size());
        };
    }
    DriveKindQuery Kind() {
        return [this](const std::wstring& root) {
            kindQueries.push_back(root);
            const auto it = kinds.find(root);
            return it == kinds.end() ? 1u : it->second;  // 1: no root directory
        };
    }
};

std::wstring Roots(std::initializer_list<const wchar_t*> roots) {
    std::wstring s;
    for (const wchar_t* r : roots) {
        s += r;
        s.push_back(L'\0');
    }
    return s;
}

class FakeList : public DriveList {
public:
    std::vector<std::wstring> items;
    int selected = -1;
    std::vector<std::wstring> Items() const override { return items; }
    void Append(const std::wstring& root) override { items.push_back(root); }
    int Selected() const override { return selected; }
    void Select(int index) override { selected = index; }
};

constexpr unsigned kFixed = 3, kNetwork = 4, kCdrom = 5;

TEST(SplitDriveStrings, SplitsAtZeroBytes) {
    struct Case {
        std::wstring input;
        std::vector<std::wstring> expected;
    };
    const Case cases[] = {
        {L"", {}},
        {Roots({L"C:\\"}), {L"C:\\"}},
        {Roots({L"A:\\", L"C:\\", L"E:\\", L"F:\\"}), {L"A:\\", L"C:\\", L"E:\\", L"F:\\"}},
        {std::wstring(L"C:\\\0\0E:\\", 8), {L"C:\\", L"E:\\"}},  // an empty piece is no root
        {L"Z:\\", {L"Z:\\"}},                                      // last root without its zero
    };
    for (const Case& c : cases) EXPECT_EQ(SplitDriveStrings(c.input), c.expected);
}

TEST(ReadDriveStrings, ReturnsWhatFitsInTheFirstBuffer) {
    FakeSystem sys;
    sys.drives = Roots({L"C:\\", L"E:\\"});
    EXPECT_EQ(ReadDriveStrings(sys.Query()), sys.drives);
    EXPECT_EQ(sys.queryLengths, std::vector<std::uint32_t>{kDriveStringsFirstLength});
}

TEST(ReadDriveStrings, FailureGivesNothing) {
    FakeSystem sys;
    sys.failQuery = true;
    EXPECT_EQ(ReadDriveStrings(sys.Query()), L"");
}

TEST(ReadDriveStrings, TakesALargerBufferWhenTheAnswerDoesNotFit) {
    // 26 roots take 26 * 4 + 1 = 105 characters: more than the first buffer.
    FakeSystem sys;
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) sys.drives += std::wstring{letter, L':', L'\\', L'\0'};
    const std::wstring got = ReadDriveStrings(sys.Query());
    EXPECT_EQ(got, sys.drives);
    ASSERT_EQ(sys.queryLengths.size(), 2u);
    EXPECT_GT(sys.queryLengths[1], 104u);
    EXPECT_EQ(SplitDriveStrings(got).size(), 26u);
}

TEST(ReadDriveStrings, NeverTrustsACountLargerThanItsBufferWithoutAskingAgain) {
    // A system that always claims to need more than it is given.
    std::vector<std::uint32_t> lengths;
    DriveStringsQuery greedy = [&](std::uint32_t length, wchar_t*) -> std::uint32_t {
        lengths.push_back(length);
        return length + 10;
    };
    EXPECT_EQ(ReadDriveStrings(greedy), L"");
    EXPECT_LE(lengths.size(), 4u);
}

TEST(SameRoot, ComparesLettersWithoutCase) {
    EXPECT_TRUE(SameRoot(L"E:\\", L"e:\\"));
    EXPECT_TRUE(SameRoot(L"e:\\", L"E:\\"));
    EXPECT_FALSE(SameRoot(L"E:\\", L"F:\\"));
    EXPECT_FALSE(SameRoot(L"E:\\", L"E:"));
}

struct FilterCase {
    const char* name;
    std::wstring drives;
    std::map<std::wstring, unsigned> kinds;
    std::vector<std::wstring> listed;
    std::vector<std::wstring> expectedNew;
    std::vector<std::wstring> expectedKindQueries;
};

TEST(NewRemovableDrives, FiltersAsTheWatcherMust) {
    const FilterCase cases[] = {
        {"no drives at all", L"", {}, {}, {}, {}},
        {"one flash drive", Roots({L"C:\\", L"E:\\"}), {{L"C:\\", kFixed}, {L"E:\\", kDriveRemovable}}, {},
         {L"E:\\"}, {L"C:\\", L"E:\\"}},
        {"several, in the system's order", Roots({L"C:\\", L"E:\\", L"F:\\", L"G:\\"}),
         {{L"C:\\", kFixed}, {L"E:\\", kDriveRemovable}, {L"F:\\", kCdrom}, {L"G:\\", kDriveRemovable}}, {},
         {L"E:\\", L"G:\\"}, {L"C:\\", L"E:\\", L"F:\\", L"G:\\"}},
        {"A: and B: are never asked about", Roots({L"A:\\", L"B:\\", L"E:\\"}),
         {{L"A:\\", kDriveRemovable}, {L"B:\\", kDriveRemovable}, {L"E:\\", kDriveRemovable}}, {}, {L"E:\\"},
         {L"E:\\"}},
        {"lower-case a: is not the floppy letter", Roots({L"a:\\"}), {{L"a:\\", kDriveRemovable}}, {}, {L"a:\\"},
         {L"a:\\"}},
        {"fixed, CD and network drives are no targets", Roots({L"C:\\", L"D:\\", L"N:\\"}),
         {{L"C:\\", kFixed}, {L"D:\\", kCdrom}, {L"N:\\", kNetwork}}, {}, {}, {L"C:\\", L"D:\\", L"N:\\"}},
        {"already listed under another letter case", Roots({L"E:\\", L"F:\\"}),
         {{L"E:\\", kDriveRemovable}, {L"F:\\", kDriveRemovable}}, {L"e:\\"}, {L"F:\\"}, {L"E:\\", L"F:\\"}},
        {"the same root twice in one answer", Roots({L"E:\\", L"e:\\"}),
         {{L"E:\\", kDriveRemovable}, {L"e:\\", kDriveRemovable}}, {}, {L"E:\\"}, {L"E:\\", L"e:\\"}},
    };
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystem sys;
        sys.kinds = c.kinds;
        EXPECT_EQ(NewRemovableDrives(SplitDriveStrings(c.drives), c.listed, sys.Kind()), c.expectedNew);
        EXPECT_EQ(sys.kindQueries, c.expectedKindQueries);
    }
}

TEST(ChooseLook, TwoLooks) {
    const WindowLook connect{kPromptConnect, kColourRed, false, false, false};
    EXPECT_EQ(ChooseLook(0, false), connect);
    EXPECT_EQ(ChooseLook(1, false), (WindowLook{kPromptChoose, kColourBlack, true, true, true}));
    EXPECT_EQ(ChooseLook(2, true), (WindowLook{kPromptChoose, kColourBlack, true, true, false}));
    EXPECT_EQ(kColourRed, 0x0000FFu);
    EXPECT_EQ(std::wstring(kPromptConnect), L"ПОДКЛЮЧИТЕ USB-FLASH!");
    EXPECT_EQ(std::wstring(kPromptChoose), L"Выберите USB-Flash:");
}

TEST(WatchDrives, FirstDriveIsListedAndSelected) {
    FakeSystem sys;
    sys.drives = Roots({L"C:\\", L"F:\\"});
    sys.kinds = {{L"C:\\", kFixed}, {L"F:\\", kDriveRemovable}};
    FakeList list;
    const WindowLook look = WatchDrives(sys.Query(), sys.Kind(), list);
    EXPECT_EQ(list.items, std::vector<std::wstring>{L"F:\\"});
    EXPECT_EQ(list.selected, 0);
    EXPECT_TRUE(look.saveEnabled);
    EXPECT_TRUE(look.listVisible);
    EXPECT_EQ(look.labelColour, kColourBlack);
}

TEST(WatchDrives, NoDriveKeepsTheRequestToConnectOne) {
    FakeSystem sys;
    sys.drives = Roots({L"C:\\"});
    sys.kinds = {{L"C:\\", kFixed}};
    FakeList list;
    const WindowLook look = WatchDrives(sys.Query(), sys.Kind(), list);
    EXPECT_TRUE(list.items.empty());
    EXPECT_EQ(list.selected, -1);
    EXPECT_FALSE(look.saveEnabled);
    EXPECT_FALSE(look.listVisible);
    EXPECT_EQ(look.labelColour, kColourRed);
}

TEST(WatchDrives, SecondDriveIsAppendedAndTheUsersChoiceStays) {
    FakeSystem sys;
    sys.drives = Roots({L"C:\\", L"F:\\"});
    sys.kinds = {{L"C:\\", kFixed}, {L"E:\\", kDriveRemovable}, {L"F:\\", kDriveRemovable}};
    FakeList list;
    WatchDrives(sys.Query(), sys.Kind(), list);
    // E: comes later, though it sorts first.
    sys.drives = Roots({L"C:\\", L"E:\\", L"F:\\"});
    WatchDrives(sys.Query(), sys.Kind(), list);
    EXPECT_EQ(list.items, (std::vector<std::wstring>{L"F:\\", L"E:\\"}));
    EXPECT_EQ(list.selected, 0);
    // The user picks E:; the next ticks leave it.
    list.selected = 1;
    WatchDrives(sys.Query(), sys.Kind(), list);
    EXPECT_EQ(list.selected, 1);
    EXPECT_EQ(list.items.size(), 2u);
}

TEST(WatchDrives, UnpluggedDriveStaysListedAndTheLookStays) {
    FakeSystem sys;
    sys.drives = Roots({L"C:\\", L"E:\\"});
    sys.kinds = {{L"C:\\", kFixed}, {L"E:\\", kDriveRemovable}};
    FakeList list;
    WatchDrives(sys.Query(), sys.Kind(), list);
    sys.drives = Roots({L"C:\\"});
    const WindowLook look = WatchDrives(sys.Query(), sys.Kind(), list);
    EXPECT_EQ(list.items, std::vector<std::wstring>{L"E:\\"});
    EXPECT_TRUE(look.saveEnabled);
    EXPECT_EQ(look.labelText, std::wstring(kPromptChoose));
}

TEST(WatchDrives, FailedQueryAddsNothingAndStillDecidesTheLook) {
    FakeSystem sys;
    sys.failQuery = true;
    FakeList list;
    list.items = {L"E:\\"};  // listed on an earlier tick, selection lost
    const WindowLook look = WatchDrives(sys.Query(), sys.Kind(), list);
    EXPECT_EQ(list.items.size(), 1u);
    EXPECT_EQ(list.selected, 0);
    EXPECT_TRUE(look.saveEnabled);
    EXPECT_TRUE(sys.kindQueries.empty());
}

}  // namespace
}  // namespace qz
