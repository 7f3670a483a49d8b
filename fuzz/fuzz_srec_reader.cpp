// Feeds arbitrary bytes to the S-record reader as the text of a firmware file, then reads
// the image back the ways its users do (file writers, flash blocks, CIS tuples).
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "image/cis_tuples.h"
#include "image/firmware_info.h"
#include "image/image_writer.h"
#include "ui/user_interface.h"

namespace {

class QuietInterface : public quillon::ui::UserInterface {
  public:
    quillon::ui::Answer messageBox(const quillon::ui::MessageBox&) override {
        return quillon::ui::Answer::Ok;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillon::image;
    QuietInterface ui;
    FirmwareInfo info;
    MemoryImage image;
    PlugList plugs;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (info.readSrecText(text, &image, &plugs, ui) == 0) {
        return 0;
    }
    std::string listing;
    info.listCompatibility(listing);

    image.rewind();
    std::array<std::uint8_t, 512> block{};
    std::uint32_t address = 0;
    std::uint16_t count = 0;
    if (image.nextBlock(block, &address, &count, block.size(), 0)) {
        CisTupleList tuples;
        tuples.parseTuples(std::span(block.data(), count), address, false);
        std::string product;
        tuples.versionString(2, product, 30);
    }
    image.rewind();
    std::array<std::uint8_t, 2042> flash{};
    while (image.nextBlock(flash, &address, &count, 2042, 0x10000)) {
    }
    image.rewind();
    hexFileText(image, &plugs);
    image.rewind();
    dumpFileText(image);
    return 0;
}
