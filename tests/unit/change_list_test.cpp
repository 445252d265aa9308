#include "changes/change_list.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace qz {
namespace {

class FakeHost : public ChangeListHost {
public:
    bool resourceMissing = false;
    bool saveWorks = true;
    bool saveThrows = false;
    std::intptr_t shellAnswer = 42;
    std::vector<std::string> calls;
    std::wstring savedPath, openedPath;
    std::size_t savedSize = 0;

    ByteView OpenDocument() override {
        calls.push_back("open resource");
        if (resourceMissing) throw std::runtime_error("no resource");
        return {document_, sizeof document_};
    }
    bool SaveFile(const std::wstring& path, ByteView bytes) override {
        calls.push_back("save");
        if (saveThrows) throw std::runtime_error("disk error");
        savedPath = path;
        savedSize = bytes.size;
        return saveWorks;
    }
    std::intptr_t OpenWithShell(const std::wstring& path) override {
        calls.push_back("shell");
        openedPath = path;
        return shellAnswer;
    }

private:
    std::uint8_t document_[9] = {'%', 'P', 'D', 'F', '-', '1', '.', '4', '\n'};
};

TEST(ShowChangeList, SavesBesideTheProgramAndOpensIt) {
    FakeHost host;
    EXPECT_EQ(ShowChangeList(host, L"C:\\Tools\\"), std::nullopt);
    EXPECT_EQ(host.savedPath, L"C:\\Tools\\Changes.pdf");
    EXPECT_EQ(host.savedSize, 9u);
    EXPECT_EQ(host.openedPath, L"C:\\Tools\\Changes.pdf");
    EXPECT_EQ(host.calls, (std::vector<std::string>{"open resource", "save", "shell"}));
}

TEST(ShowChangeList, EveryFailureToSaveOrOpenShowsTheSameBox) {
    struct Case {
        const char* name;
        void (*arrange)(FakeHost&);
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"file locked or folder read-only", [](FakeHost& h) { h.saveWorks = false; }, {"open resource", "save"}},
        {"saving raises an error", [](FakeHost& h) { h.saveThrows = true; }, {"open resource", "save"}},
        {"no program for PDF files", [](FakeHost& h) { h.shellAnswer = 31; }, {"open resource", "save", "shell"}},
        {"shell answers 32", [](FakeHost& h) { h.shellAnswer = 32; }, {"open resource", "save", "shell"}},
        {"shell answers 0", [](FakeHost& h) { h.shellAnswer = 0; }, {"open resource", "save", "shell"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHost host;
        c.arrange(host);
        const auto box = ShowChangeList(host, L"C:\\Tools\\");
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(*box, (Message{L"Невозможно отобразить список изменений. Возможно, он уже открыт, либо Adobe "
                                 L"Reader не установлен.",
                                 L"Ошибка", MessageIcon::Error}));
        EXPECT_EQ(host.calls, c.calls);
    }
}

TEST(ShowChangeList, AMissingResourceGoesToTheStandardErrorReport) {
    FakeHost host;
    host.resourceMissing = true;
    EXPECT_THROW(ShowChangeList(host, L"C:\\Tools\\"), std::runtime_error);
    EXPECT_EQ(host.calls, std::vector<std::string>{"open resource"});
}

TEST(ShowChangeList, ShellAnswerJustAbove32IsSuccess) {
    FakeHost host;
    host.shellAnswer = 33;
    EXPECT_EQ(ShowChangeList(host, L"D:\\"), std::nullopt);
}

}  // namespace
}  // namespace qz
