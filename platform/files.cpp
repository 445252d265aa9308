#include "platform/files.h"

#include <windows.h>

#include "platform/handle.h"

namespace qz::win {
namespace {

class File : public OutputFile {
public:
    explicit File(FileHandle handle) : handle_(std::move(handle)) {}

    std::size_t Write(const std::uint8_t* data, std::size_t size) override {
        // One call moves at most 1 MiB, so sizes never overflow a DWORD.
        const DWORD chunk = static_cast<DWORD>(size < (1u << 20) ? size : (1u << 20));
        DWORD written = 0;
        if (!WriteFile(handle_.Get(), data, chunk, &written, nullptr)) return 0;
        return written;
    }
    bool Flush() override { return FlushFileBuffers(handle_.Get()) != FALSE; }
    bool Close() override { return handle_.Reset(); }

private:
    FileHandle handle_;
};

}  // namespace

void FileSystem::Delete(const std::wstring& path) { DeleteFileW(path.c_str()); }

std::unique_ptr<OutputFile> FileSystem::Create(const std::wstring& path) {
    FileHandle handle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!handle) return nullptr;
    return std::make_unique<File>(std::move(handle));
}

}  // namespace qz::win
