// Arbitrary words as a PDA read from a card: walked into a list and flattened back.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "pda/pda_image.h"
#include "pda/pda_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint16_t> words(size / 2);
    for (std::size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<std::uint16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }

    quillon::pda::PdaImage pda;
    const int items = pda.parseWords(words);
    if (items < 0 || static_cast<std::size_t>(items) > words.size()) {
        std::abort();
    }
    // The list stays strictly ascending by code.
    const auto& records = pda.records();
    for (std::size_t i = 1; i < records.size(); ++i) {
        if (records[i - 1].code() >= records[i].code()) {
            std::abort();
        }
    }
    for (const auto& r : records) {
        if (r.words().size() != static_cast<std::size_t>(r.length()) + 1) {
            std::abort();
        }
        (void)quillon::pda::pdrText(r);
    }

    std::array<std::uint16_t, quillon::pda::kFlatPdaWords> out{};
    const std::size_t n = pda.flatten(out);
    if (n > out.size() || (n != 0 && n < 3)) {
        std::abort();
    }
    if (n != 0) {
        // A flattened PDA reads back as the same list and validates.
        quillon::pda::PdaImage again;
        again.parseWords(std::span<const std::uint16_t>(out.data(), n));
        if (again.loadedChecksum() != again.storedChecksum() ||
            again.records().size() != records.size()) {
            std::abort();
        }
    }
    return 0;
}
