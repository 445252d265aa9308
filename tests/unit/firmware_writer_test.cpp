#include "deploy/firmware_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>

namespace qz {
namespace {

// Embedded payloads: each resource's bytes are its name repeated, so a
// mix-up between payloads shows in the written files.
class FakeSource : public PayloadSource {
public:
    std::set<std::wstring> missing;
    std::vector<std::wstring> opened;

    ByteView Open(const wchar_t* name) override {
        opened.push_back(name);
        if (missing.count(name)) throw std::runtime_error("resource not found");
        auto& bytes = data_[name];
        if (bytes.empty())
            for (int i = 0; i < 1000; ++i)
                for (const wchar_t* c = name; *c; ++c) bytes.push_back(static_cast<std::uint8_t>(*c + i));
        return {bytes.data(), bytes.size()};
    }
    const std::vector<std::uint8_t>& Bytes(const std::wstring& name) { return data_[name]; }

private:
    std::map<std::wstring, std::vector<std::uint8_t>> data_;
};

// A drive in memory that logs every call and fails where it is told to.
class FakeDrive : public TargetFileSystem {
public:
    struct Faults {
        std::set<std::wstring> deleteFails;   // the file stays
        std::set<std::wstring> createFails;
        std::map<std::wstring, std::size_t> writeFailsAfter;  // bytes accepted before writes fail
        std::set<std::wstring> flushFails;
        std::set<std::wstring> closeFails;
        std::size_t maxChunk = 0;             // >0: every write takes at most this many bytes
        bool gone = false;                    // the drive was unplugged
    } faults;
    std::map<std::wstring, std::vector<std::uint8_t>> files;
    std::vector<std::string> log;

    void Delete(const std::wstring& path) override {
        log.push_back("delete " + Short(path));
        if (faults.gone || faults.deleteFails.count(path)) return;
        files.erase(path);
    }

    std::unique_ptr<OutputFile> Create(const std::wstring& path) override {
        log.push_back("create " + Short(path));
        if (faults.gone || faults.createFails.count(path)) return nullptr;
        files[path].clear();
        return std::make_unique<File>(*this, path);
    }

    static std::string Short(const std::wstring& path) { return std::string(path.begin(), path.end()); }

private:
    class File : public OutputFile {
    public:
        File(FakeDrive& drive, std::wstring path) : drive_(drive), path_(std::move(path)) {}
        std::size_t Write(const std::uint8_t* data, std::size_t size) override {
            auto& f = drive_.faults;
            auto& content = drive_.files[path_];
            std::size_t n = size;
            if (f.maxChunk != 0 && n > f.maxChunk) n = f.maxChunk;
            const auto limit = f.writeFailsAfter.find(path_);
            if (limit != f.writeFailsAfter.end()) {
                if (content.size() >= limit->second) return 0;
                n = std::min(n, limit->second - content.size());
            }
            content.insert(content.end(), data, data + n);
            return n;
        }
        bool Flush() override {
            drive_.log.push_back("flush " + Short(path_));
            return !drive_.faults.flushFails.count(path_);
        }
        bool Close() override {
            drive_.log.push_back("close " + Short(path_));
            return !drive_.faults.closeFails.count(path_);
        }

    private:
        FakeDrive& drive_;
        std::wstring path_;
    };
};

std::wstring Target(std::size_t row) { return std::wstring(L"E:\\") + kPayloadTable[row].fileName; }

// The calls a payload that goes well makes, in order.
std::vector<std::string> CleanSteps(const std::wstring& path) {
    const std::string p = FakeDrive::Short(path);
    return {"delete " + p, "create " + p, "flush " + p, "close " + p};
}

struct WriteCase {
    const char* name;
    void (*arrange)(FakeDrive&);
    int expectedCount;
    std::set<std::size_t> missingRows;  // rows whose file must not be on the drive afterwards
};

TEST(WriteFirmwareSet, CountsOnlyCompleteFilesAndAttemptsEveryPayloadInOrder) {
    const WriteCase cases[] = {
        {"all fifteen written", [](FakeDrive&) {}, 15, {}},
        {"a failed delete is ignored", [](FakeDrive& d) { d.faults.deleteFails.insert(Target(3)); }, 15, {}},
        {"one file cannot be created", [](FakeDrive& d) { d.faults.createFails.insert(Target(4)); }, 14, {4}},
        {"the drive is gone", [](FakeDrive& d) { d.faults.gone = true; }, 0,
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}},
        {"a flush fails", [](FakeDrive& d) { d.faults.flushFails.insert(Target(14)); }, 14, {14}},
        {"closing reports an error", [](FakeDrive& d) { d.faults.closeFails.insert(Target(0)); }, 14, {0}},
        {"a write stops short (drive full)",
         [](FakeDrive& d) { d.faults.writeFailsAfter[Target(7)] = 100; }, 14, {7}},
        {"the drive fills up from the tenth file on",
         [](FakeDrive& d) {
             for (std::size_t row = 9; row < kPayloadCount; ++row) d.faults.writeFailsAfter[Target(row)] = 0;
         },
         9, {9, 10, 11, 12, 13, 14}},
        {"writes that take a little at a time still finish",
         [](FakeDrive& d) { d.faults.maxChunk = 7; }, 15, {}},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSource source;
        FakeDrive drive;
        // Older copies of every file are on the drive.
        for (std::size_t row = 0; row < kPayloadCount; ++row) drive.files[Target(row)] = {1, 2, 3};
        c.arrange(drive);

        const int count = WriteFirmwareSet(source, drive, L"E:\\");
        EXPECT_EQ(count, c.expectedCount);

        // Every payload was taken, in table order.
        ASSERT_EQ(source.opened.size(), kPayloadCount);
        for (std::size_t row = 0; row < kPayloadCount; ++row) EXPECT_EQ(source.opened[row], kPayloadTable[row].resourceName);
        // Each payload deletes the older copy before it creates its file.
        std::vector<std::string> creates;
        for (const auto& entry : drive.log)
            if (entry.rfind("create ", 0) == 0) creates.push_back(entry);
        ASSERT_EQ(creates.size(), kPayloadCount);
        for (std::size_t row = 0; row < kPayloadCount; ++row) {
            EXPECT_EQ(creates[row], "create " + FakeDrive::Short(Target(row)));
            const auto at = std::find(drive.log.begin(), drive.log.end(), creates[row]);
            ASSERT_NE(at, drive.log.begin());
            EXPECT_EQ(*(at - 1), "delete " + FakeDrive::Short(Target(row)));
        }
        // What is on the drive: complete payloads, or nothing at all.
        for (std::size_t row = 0; row < kPayloadCount; ++row) {
            SCOPED_TRACE(FakeDrive::Short(Target(row)));
            const auto file = drive.files.find(Target(row));
            if (c.missingRows.count(row) && !drive.faults.gone) {
                EXPECT_EQ(file, drive.files.end()) << "a failed payload must leave no partial file";
            } else if (!c.missingRows.count(row)) {
                ASSERT_NE(file, drive.files.end());
                EXPECT_EQ(file->second, source.Bytes(kPayloadTable[row].resourceName));
            }
        }
        // One outcome, and it only claims success for the whole set.
        const auto outcome = FirmwareOutcome(count, L"E:\\");
        ASSERT_EQ(outcome.size(), c.expectedCount == 15 ? 2u : 1u);
        EXPECT_EQ(outcome.front().caption, c.expectedCount == 15 ? L"Процесс завершен" : L"Ошибка записи");
    }
}

TEST(WriteFirmwareSet, AGoodPayloadMakesExactlyItsFourCalls) {
    FakeSource source;
    FakeDrive drive;
    ASSERT_EQ(WriteFirmwareSet(source, drive, L"F:\\"), 15);
    std::vector<std::string> expected;
    for (const PayloadEntry& entry : kPayloadTable) {
        const auto steps = CleanSteps(std::wstring(L"F:\\") + entry.fileName);
        expected.insert(expected.end(), steps.begin(), steps.end());
    }
    EXPECT_EQ(drive.log, expected);
}

TEST(WriteFirmwareSet, ARootThatIsNoDriveRootWritesNothing) {
    for (const std::wstring root : {L"", L"E:", L"E:\\x\\", L"\\\\server\\", L"1:\\"}) {
        SCOPED_TRACE(FakeDrive::Short(root));
        FakeSource source;
        FakeDrive drive;
        EXPECT_EQ(WriteFirmwareSet(source, drive, root), 0);
        EXPECT_TRUE(drive.log.empty());
    }
}

TEST(WriteFirmwareSet, AMissingResourceStopsTheRunWithAnError) {
    FakeSource source;
    source.missing.insert(L"Firmware5");
    FakeDrive drive;
    EXPECT_THROW(WriteFirmwareSet(source, drive, L"E:\\"), std::runtime_error);
    EXPECT_EQ(drive.files.size(), 5u);  // the five before it were written
}

TEST(FirmwareOutcome, SuccessThenWarning) {
    const auto boxes = FirmwareOutcome(15, L"E:\\");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], (Message{L"Файлы прошивки успешно сохранены на \"E:\\\"", L"Процесс завершен",
                                 MessageIcon::None}));
    EXPECT_EQ(boxes[1], (Message{L"ВНИМАНИЕ! Перед прошивкой рекомендуется отключить от терминала все "
                                 L"подключенные кабели и устройства, кроме адаптера питания!",
                                 L"Предупреждение", MessageIcon::Warning}));
}

TEST(FirmwareOutcome, AnyOtherCountIsAWriteError) {
    for (int count : {0, 1, 14, 16, -1}) {
        SCOPED_TRACE(count);
        const auto boxes = FirmwareOutcome(count, L"G:\\");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], (Message{L"Ошибка записи на \"G:\\\"", L"Ошибка записи", MessageIcon::Error}));
    }
}

TEST(IsDriveRoot, OnlyLetterColonBackslash) {
    EXPECT_TRUE(IsDriveRoot(L"E:\\"));
    EXPECT_TRUE(IsDriveRoot(L"z:\\"));
    for (const wchar_t* bad : {L"", L"E:", L"E:/", L"EE:\\", L"E:\\\\", L"?:\\", L"\\\\?\\"})
        EXPECT_FALSE(IsDriveRoot(bad)) << FakeDrive::Short(bad);
}

}  // namespace
}  // namespace qz
