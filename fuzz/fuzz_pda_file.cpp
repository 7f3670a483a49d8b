// Arbitrary bytes as the content of a ".pda" file, read in pieces as a file would be, merged
// into a list and written back out.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "pda/pda_file.h"
#include "pda/pda_text_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    quillon::pda::PdaWords whole{};
    const std::size_t count = quillon::pda::readPdaText(text, whole);
    if (count > whole.size()) {
        std::abort();
    }

    // Feeding the same bytes in small pieces must read the same words.
    quillon::pda::PdaWords pieces{};
    quillon::pda::PdaTextReader reader(pieces);
    for (std::size_t at = 0; at < size; at += 7) {
        if (!reader.feed(text.substr(at, 7))) {
            break;
        }
    }
    if (reader.finish() != count ||
        !std::equal(whole.begin(), whole.begin() + count, pieces.begin())) {
        std::abort();
    }

    quillon::pda::PdaImage pda;
    pda.parseWords(std::span<const std::uint16_t>(whole.data(), count));
    const std::string written = quillon::pda::formatPdaFile(pda);
    // What was written reads back as the list's own words when it fits the reader's limit.
    quillon::pda::PdaWords again{};
    const std::size_t reread = quillon::pda::readPdaText(written, again);
    std::size_t expected = 0;
    for (const auto& r : pda.records()) {
        expected += r.words().size();
    }
    if (expected <= again.size() && reread != expected) {
        std::abort();
    }
    return 0;
}
