// Builds the variant table QZ1769.lng from its readable list.
//
//   qz_gen_variants <variants.txt> <out.lng>
//
// Refuses a list whose file names are not the variant images of the payload
// table, in the same order, so the table never points at a missing file.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "deploy/payloads.h"
#include "deploy/variant_table.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: qz_gen_variants <variants.txt> <out.lng>\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "qz_gen_variants: cannot read %s\n", argv[1]);
        return 1;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
        const auto variants = qz::ParseVariantList(text);
        // Rows 2 to 14 of the payload table are the variant images.
        const std::size_t expected = qz::kPayloadTable.size() - 2;
        if (variants.size() != expected)
            throw qz::VariantTableError("expected " + std::to_string(expected) + " variants, found " +
                                        std::to_string(variants.size()));
        for (std::size_t i = 0; i < variants.size(); ++i) {
            std::string file;
            for (const wchar_t* c = qz::kPayloadTable[i + 1].fileName; *c != L'\0'; ++c) file.push_back(static_cast<char>(*c));
            if (variants[i].fileName != file)
                throw qz::VariantTableError("variant " + std::to_string(i + 1) + " names " + variants[i].fileName +
                                            ", the payload table has " + file);
            if (variants[i].number != i + 1)
                throw qz::VariantTableError("variant numbers must run 1, 2, 3, ... in order");
        }
        const auto bytes = qz::BuildVariantTable(variants);
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (out.fail()) {
            std::fprintf(stderr, "qz_gen_variants: cannot write %s\n", argv[2]);
            return 1;
        }
    } catch (const qz::VariantTableError& e) {
        std::fprintf(stderr, "qz_gen_variants: %s: %s\n", argv[1], e.what());
        return 1;
    }
    return 0;
}
