// Feeds arbitrary bytes to the dump reader as the text of a ".dmp" file.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "image/dump_reader.h"
#include "image/image_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillon::image;
    MemoryImage image;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (readDumpText(text, image) == 0) {
        return 0;
    }
    image.rewind();
    dumpFileText(image);
    return 0;
}
