#pragma once
// Writing whole files with the Windows file API.
#include <memory>
#include <string>

#include "deploy/firmware_writer.h"

namespace qz::win {

// Files on the target drive, created fresh, written unbuffered by the
// program and flushed through their own handle.
class FileSystem : public TargetFileSystem {
public:
    void Delete(const std::wstring& path) override;
    std::unique_ptr<OutputFile> Create(const std::wstring& path) override;
};

}  // namespace qz::win
