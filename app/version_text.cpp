#include "app/version_text.h"

namespace qz {
namespace {

std::wstring Hex4(std::uint32_t value) {
    const wchar_t* digits = L"0123456789ABCDEF";
    std::wstring out;
    for (int shift = 12; shift >= 0; shift -= 4) out.push_back(digits[(value >> shift) & 0xFu]);
    return out;
}

std::wstring Decimal(std::uint32_t value) {
    std::wstring out;
    do {
        out.insert(out.begin(), static_cast<wchar_t>(L'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return out;
}

}  // namespace

std::wstring CaptionSuffix(std::uint32_t fileVersionMS) {
    const unsigned major = fileVersionMS >> 16;
    const unsigned minor = fileVersionMS & 0xFFFFu;
    return L" v" + Decimal(major) + L"." + Decimal(minor);
}

std::wstring FooterText(const std::wstring& version) { return version + L"      "; }

std::wstring StringValuePath(std::uint32_t translation, const std::wstring& name) {
    const std::uint32_t language = translation & 0xFFFFu;
    const std::uint32_t codePage = translation >> 16;
    if (codePage & 0x8000u) throw VersionRangeError();
    return L"\\StringFileInfo\\" + Hex4(language) + Hex4(codePage) + L"\\" + name;
}

std::wstring QueryVersionValue(const VersionBlock& block, const std::wstring& name) {
    const auto translation = block.FirstTranslation();
    if (!translation) return {};
    return block.StringValue(StringValuePath(*translation, name)).value_or(std::wstring());
}

}  // namespace qz
