#include "app/version_text.h"

#include <gtest/gtest.h>

#include <map>

namespace qz {
namespace {

TEST(CaptionSuffix, MajorAndMinorWithoutPadding) {
    struct Case {
        std::uint32_t ms;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {0x00060016u, L" v6.22"},
        {0x00060000u, L" v6.0"},
        {0x00000000u, L" v0.0"},
        {0x000A0005u, L" v10.5"},
        {0x7FFFFFFFu, L" v32767.65535"},
        {0xFFFFFFFFu, L" v65535.65535"},  // never a negative number
    };
    for (const Case& c : cases) EXPECT_EQ(CaptionSuffix(c.ms), c.expected) << std::hex << c.ms;
}

TEST(FooterText, SixSpacesAfterTheVersion) {
    EXPECT_EQ(FooterText(L"6.22.0.0"), L"6.22.0.0      ");
    EXPECT_EQ(FooterText(L""), L"      ");
}

TEST(StringValuePath, UpperCaseHexAtLeastFourDigits) {
    EXPECT_EQ(StringValuePath(0x04E30419u, L"FileVersion"), L"\\StringFileInfo\\041904E3\\FileVersion");
    EXPECT_EQ(StringValuePath(0x04B00409u, L"ProductVersion"), L"\\StringFileInfo\\040904B0\\ProductVersion");
    EXPECT_EQ(StringValuePath(0x00000000u, L"X"), L"\\StringFileInfo\\00000000\\X");
    EXPECT_EQ(StringValuePath(0x7FFFFFFFu, L"X"), L"\\StringFileInfo\\FFFF7FFF\\X");
}

TEST(StringValuePath, CodePageWithTopBitIsOutOfRange) {
    EXPECT_THROW(StringValuePath(0x80000419u, L"FileVersion"), VersionRangeError);
    EXPECT_THROW(StringValuePath(0xFFFF0419u, L"FileVersion"), VersionRangeError);
}

class FakeBlock : public VersionBlock {
public:
    std::optional<std::uint32_t> translation;
    std::map<std::wstring, std::wstring> values;
    mutable std::vector<std::wstring> asked;

    std::optional<std::uint32_t> FirstTranslation() const override { return translation; }
    std::optional<std::wstring> StringValue(const std::wstring& path) const override {
        asked.push_back(path);
        const auto it = values.find(path);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
};

TEST(QueryVersionValue, ReadsTheValueOfTheFirstTranslation) {
    FakeBlock block;
    block.translation = 0x04E30419u;
    block.values[L"\\StringFileInfo\\041904E3\\FileVersion"] = L"6.22.0.0";
    block.values[L"\\StringFileInfo\\040904B0\\FileVersion"] = L"9.9.9.9";
    EXPECT_EQ(QueryVersionValue(block, L"FileVersion"), L"6.22.0.0");
}

TEST(QueryVersionValue, EmptyWithoutTranslationOrValue) {
    FakeBlock noTranslation;
    noTranslation.values[L"\\StringFileInfo\\041904E3\\FileVersion"] = L"6.22.0.0";
    EXPECT_EQ(QueryVersionValue(noTranslation, L"FileVersion"), L"");
    EXPECT_TRUE(noTranslation.asked.empty());

    FakeBlock noValue;
    noValue.translation = 0x04E30419u;
    noValue.values[L"\\StringFileInfo\\041904E3\\ProductVersion"] = L"6.22";
    EXPECT_EQ(QueryVersionValue(noValue, L"FileVersion"), L"");
}

TEST(QueryVersionValue, TopBitTranslationIsARangeError) {
    FakeBlock block;
    block.translation = 0x84E30419u;
    EXPECT_THROW(QueryVersionValue(block, L"FileVersion"), VersionRangeError);
}

}  // namespace
}  // namespace qz
