#include "pda/pdr_plugging.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/log.h"

namespace quillon::pda {
namespace {

char toUpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The file's own name: paths may come from this system ("/") or from a DOS-style name.
std::string_view fileNameOf(std::string_view path) {
    const std::size_t cut = path.find_last_of("/\\:");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

void plugFileName(image::MemoryImage& image, image::PlugList& plugs, image::PlugRecord& plug,
                  std::string_view path) {
    const std::size_t size = plug.length < kFileNamePlugMax ? plug.length : kFileNamePlugMax;
    const std::string_view name = fileNameOf(path);
    std::vector<std::uint8_t> field(size, 0);
    for (std::size_t j = 0; j < size && j < name.size(); ++j) {
        field[j] = static_cast<std::uint8_t>(toUpperAscii(name[j]));
    }
    if (image.overwrite(field, plug.targetAddress)) {
        writeLog("[filename]  ");
        plugs.setStatus(plug, image::kPlugApplied);
    } else {
        writeLog("Warning: file name plug does not fit!\n");
        plugs.setStatus(plug, image::kPlugNoTarget);
    }
}

// True when the record was written.
bool plugRecord(image::MemoryImage& image, image::PlugList& plugs, image::PlugRecord& plug,
                const PdaImage& pda) {
    const PdrRecord* record = pda.findRecord(static_cast<std::uint16_t>(plug.pdrCode & 0xFFFFU));
    if (record == nullptr) {
        writeLog("(Warning: PDR %x NOT in PDA)\n", static_cast<unsigned>(plug.pdrCode));
        plugs.setStatus(plug, image::kPlugPdrMissing);
        return false;
    }
    // The data is never cut or padded to fit: a plug of another size is left alone.
    const auto data = record->data();
    if (data.size() * 2 != plug.length) {
        writeLog("(Warning: Length mismatch on PDR %x)", static_cast<unsigned>(plug.pdrCode));
        plugs.setStatus(plug, image::kPlugLengthDiffers);
        return false;
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(data.size() * 2);
    for (const std::uint16_t word : data) {
        bytes.push_back(static_cast<std::uint8_t>(word & 0xFFU));
        bytes.push_back(static_cast<std::uint8_t>(word >> 8));
    }
    if (!image.overwrite(bytes, plug.targetAddress)) {
        writeLog("Warning: Invalid plug record 0x%x. Target area does not exist.\n",
                 static_cast<unsigned>(plug.pdrCode));
        plugs.setStatus(plug, image::kPlugNoTarget);
        return false;
    }
    writeLog("(%x ok) ", static_cast<unsigned>(plug.pdrCode));
    plugs.setStatus(plug, image::kPlugApplied);
    return true;
}

}  // namespace

int plugImage(image::MemoryImage& image, image::PlugList& plugs, const PdaImage& pda,
              const std::string& filePath) {
    writeLog("Plugging:  ");
    int met = 0;
    int plugged = 0;
    plugs.rewind();
    for (image::PlugRecord* plug = plugs.next(); plug != nullptr; plug = plugs.next()) {
        if (plug->pdrCode == image::kFileNamePlug) {
            plugFileName(image, plugs, *plug, filePath);
            continue;
        }
        ++met;
        if (plugRecord(image, plugs, *plug, pda)) {
            ++plugged;
        }
    }
    if (plugged == met) {
        writeLog("All Entries Plugged!");
    }
    writeLog("\n");
    return plugged;
}

}  // namespace quillon::pda
