// Arbitrary bytes as the CIS read from a card, and the PDA listing of arbitrary PDA words: the
// tuple walk and the record walk must stay inside their data whatever the links and lengths
// say.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "commands/card_reports.h"
#include "commands/pda_commands.h"
#include "pda/pda_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const std::string cis = quillon::card::cisListing(bytes);
    // Every byte listed takes at least two characters; nothing beyond the data is listed.
    if (cis.size() > 200 + size * 5) {
        std::abort();
    }

    std::vector<std::uint16_t> words(size / 2);
    for (std::size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<std::uint16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    quillon::pda::PdaImage pda;
    pda.parseWords(words);
    const std::string listing = quillon::pda::pdaListing(pda);
    // At most the 514 words of a flattened PDA, each four digits and a blank, with line breaks.
    if (listing.size() > 514 * 7) {
        std::abort();
    }
    return 0;
}
