#pragma once
// The program's own embedded data blocks (RCDATA resources).
#include "deploy/firmware_writer.h"

namespace qz::win {

// The bytes of the named RCDATA resource of the executable; they stay valid
// for the life of the process. Throws when the resource is missing.
ByteView LoadEmbeddedResource(const wchar_t* name);

class EmbeddedResources : public PayloadSource {
public:
    ByteView Open(const wchar_t* resourceName) override { return LoadEmbeddedResource(resourceName); }
};

}  // namespace qz::win
