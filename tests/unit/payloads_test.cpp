#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "deploy/payloads.h"
#include "deploy/variant_table.h"

namespace qz {
namespace {

std::string Ascii(const wchar_t* text) {
    std::string out;
    for (; *text; ++text) out.push_back(static_cast<char>(*text));
    return out;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(PayloadTable, FifteenEntriesWithUniquePlainNames) {
    ASSERT_EQ(kPayloadTable.size(), 15u);
    std::set<std::string> names, resources;
    for (const PayloadEntry& entry : kPayloadTable) {
        const std::string name = Ascii(entry.fileName);
        SCOPED_TRACE(name);
        EXPECT_TRUE(names.insert(name).second) << "duplicate target name";
        EXPECT_TRUE(resources.insert(Ascii(entry.resourceName)).second) << "duplicate resource";
        EXPECT_EQ(name.find_first_of("\\/:"), std::string::npos) << "directory part in a target name";
        // 8.3 short-name form.
        const auto dot = name.find('.');
        ASSERT_NE(dot, std::string::npos);
        EXPECT_LE(dot, 8u);
        EXPECT_EQ(name.size() - dot - 1, 3u);
    }
    EXPECT_EQ(Ascii(kPayloadTable.front().resourceName), "Firmware0");
    EXPECT_EQ(Ascii(kPayloadTable.front().fileName), "QZ1769_m.dat");
    EXPECT_EQ(Ascii(kPayloadTable.back().resourceName), "Languages");
    EXPECT_EQ(Ascii(kPayloadTable.back().fileName), "QZ1769.lng");
    EXPECT_EQ(kPayloadTable.back().releaseSize, 418u);
    for (std::size_t row = 1; row <= 13; ++row)
        EXPECT_EQ(Ascii(kPayloadTable[row].resourceName), "Firmware" + std::to_string(row));
}

// The table the build made, parsed back field by field.
TEST(VariantTable, BuiltTableParsesIntoTheThirteenVariants) {
    const auto bytes = ReadBytes(std::string(QZ_GEN_DIR) + "/QZ1769.lng");
    ASSERT_EQ(bytes.size(), 418u);
    const auto variants = ParseVariantTable(bytes);
    ASSERT_EQ(variants.size(), 13u);

    struct Row {
        const char* name;
        unsigned l, n;
    };
    const Row rows[] = {
        {"Russian (RUB)", 26, 13},  {"Kazakh (KZT)", 25, 12},    {"Russian (KZT)", 26, 13},
        {"English (EUR)", 26, 13},  {"Latvian (EUR)", 26, 13},   {"French (TND)", 25, 12},
        {"Turkmen (TMT)", 26, 13},  {"Bulgarian (BGN)", 28, 15}, {"Armenian (AMD)", 27, 14},
        {"Georgian (GEL)", 27, 14}, {"Russian (KGS)", 26, 13},   {"French (FCFA)", 26, 13},
        {"Russian (UZS)", 26, 13},
    };
    std::size_t at = 0;
    for (std::size_t i = 0; i < variants.size(); ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(variants[i].number, i + 1);
        EXPECT_EQ(variants[i].displayName, rows[i].name);
        EXPECT_EQ(variants[i].fileName, Ascii(kPayloadTable[i + 1].fileName));
        // The raw fields at this record's offset.
        EXPECT_EQ(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24, static_cast<int>(i + 1));
        EXPECT_EQ(bytes[at + 4] | bytes[at + 5] << 8, static_cast<int>(rows[i].l));
        EXPECT_EQ(bytes[at + 6] | bytes[at + 7] << 8, static_cast<int>(rows[i].n));
        at += 6 + rows[i].l;
        EXPECT_EQ(bytes[at - 1], 0) << "file name ends with a zero byte";
    }
    EXPECT_EQ(at, 418u);
}

TEST(VariantTable, BuildAndParseAreInverse) {
    const std::vector<Variant> variants = {{1, "A", "QZ_a.aaa"}, {2, "Longer name (X)", "QZ_b.bbb"}};
    EXPECT_EQ(ParseVariantTable(BuildVariantTable(variants)), variants);
    EXPECT_TRUE(ParseVariantTable({}).empty());
}

TEST(VariantTable, MalformedTablesAreRefused) {
    const auto good = BuildVariantTable({{1, "Russian (RUB)", "QZ_rus.rub"}});
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"truncated header", {good.begin(), good.begin() + 5}});
    cases.push_back({"truncated record", {good.begin(), good.end() - 1}});
    std::vector<std::uint8_t> noZero(good.begin(), good.end() - 1);
    noZero.push_back('x');
    cases.push_back({"file name without its zero", noZero});
    // N = 40 in a record whose L only has room for 13 + the file name.
    std::vector<std::uint8_t> nameTooLong = {1, 0, 0, 0, 26, 0, 40, 0};
    nameTooLong.insert(nameTooLong.end(), good.begin() + 8, good.end());
    cases.push_back({"display name longer than the record", nameTooLong});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(ParseVariantTable(c.bytes), VariantTableError);
    }
}

TEST(VariantList, ReadableListGivesTheVariants) {
    const auto variants = ParseVariantList("# comment\n\n1 | Russian (RUB) | QZ_rus.rub\r\n 2|Kazakh (KZT)|QZ_kaz.kzt");
    ASSERT_EQ(variants.size(), 2u);
    EXPECT_EQ(variants[0], (Variant{1, "Russian (RUB)", "QZ_rus.rub"}));
    EXPECT_EQ(variants[1], (Variant{2, "Kazakh (KZT)", "QZ_kaz.kzt"}));
}

TEST(VariantList, BadLinesAreRefused) {
    for (const char* text : {"1 | only two", "x | Name | F.txt", "0 | Name | F.txt", "1 | | F.txt", "1|a|b|c"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(ParseVariantList(text), VariantTableError);
    }
    EXPECT_THROW(BuildVariantTable({{1, "Русский", "QZ_rus.rub"}}), VariantTableError);
}

// The placeholder images the build embeds when no real images are given.
TEST(FirmwareImages, PlaceholdersHaveTheReleaseSizesAndOneVectorTable) {
    std::vector<std::uint8_t> firstVectors;
    for (std::size_t row = 0; row + 1 < kPayloadTable.size(); ++row) {
        const PayloadEntry& entry = kPayloadTable[row];
        SCOPED_TRACE(Ascii(entry.resourceName));
        const auto bytes = ReadBytes(std::string(QZ_GEN_DIR) + "/" + Ascii(entry.resourceName) + ".bin");
        ASSERT_EQ(bytes.size(), entry.releaseSize);
        const std::vector<std::uint8_t> vectors(bytes.begin(), bytes.begin() + 64);
        if (firstVectors.empty()) firstVectors = vectors;
        EXPECT_EQ(vectors, firstVectors);
        const std::uint32_t sp = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
        const std::uint32_t reset = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | static_cast<std::uint32_t>(bytes[7]) << 24;
        EXPECT_EQ(sp & 0xFFF00000u, 0x20000000u) << "stack pointer in SRAM";
        EXPECT_EQ(sp % 8, 0u) << "stack pointer 8-byte aligned";
        EXPECT_EQ(reset & 1u, 1u) << "reset handler in Thumb state";
        EXPECT_EQ(reset & 0xFF000000u, 0x08000000u) << "reset handler in flash";
    }
    EXPECT_EQ(ReadBytes(std::string(QZ_GEN_DIR) + "/Firmware0.bin"),
              ReadBytes(std::string(QZ_GEN_DIR) + "/Firmware1.bin"));
    EXPECT_NE(ReadBytes(std::string(QZ_GEN_DIR) + "/Firmware1.bin"),
              ReadBytes(std::string(QZ_GEN_DIR) + "/Firmware2.bin"));
    EXPECT_EQ(ReadBytes(std::string(QZ_GEN_DIR) + "/Languages.bin"),
              ReadBytes(std::string(QZ_GEN_DIR) + "/QZ1769.lng"));
}

}  // namespace
}  // namespace qz
