#include "image/cis_tuples.h"

#include <array>

#include "image/firmware_info.h"
#include "image/memory_image.h"

namespace quillon::image {
namespace {

// Recognising a CIS image is a quiet question: whatever the reader would tell the person
// stays unsaid, and the answer is simply no.
class SilentInterface : public ui::UserInterface {
  public:
    ui::Answer messageBox(const ui::MessageBox& box) override {
        return box.buttons == ui::Buttons::YesNo ? ui::Answer::No : ui::Answer::Cancel;
    }
};

}  // namespace

bool CisTupleList::readCisFile(const std::string& path) {
    clear();
    FirmwareInfo info;
    MemoryImage image;
    SilentInterface silent;
    if (info.readFile(path, &image, nullptr, silent) == 0) {
        return false;
    }
    image.rewind();
    std::array<std::uint8_t, 512> block{};
    std::uint32_t blockAddress = 0;
    std::uint16_t count = 0;
    if (!image.nextBlock(block, &blockAddress, &count, block.size(), 0)) {
        return false;
    }
    if (blockAddress != kCisAddress3841 && blockAddress != kCisAddress3842) {
        return false;
    }
    return parseTuples(std::span(block.data(), count), blockAddress, false);
}

bool CisTupleList::parseTuples(std::span<const std::uint8_t> bytes, std::uint32_t address,
                               bool acceptWithoutEnd) {
    clear();
    std::size_t p = 0;
    while (p < bytes.size()) {
        if (bytes[p] == kTupleEnd) {
            address_ = address;
            return p > 0;
        }
        if (p + 1 >= bytes.size()) {
            return false;
        }
        const std::size_t size = std::size_t{bytes[p + 1]} + 2;
        if (bytes[p + 1] == 0 || p + size > bytes.size() || tuples_.size() >= kMaxTuples) {
            return false;
        }
        tuples_.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(p),
                             bytes.begin() + static_cast<std::ptrdiff_t>(p + size));
        p += size;
    }
    if (acceptWithoutEnd) {
        address_ = address;
        return true;
    }
    return false;
}

int CisTupleList::find(std::uint8_t code, std::uint8_t extensionType, int n) const {
    int seen = 0;
    for (std::size_t i = 0; i < tuples_.size(); ++i) {
        const std::vector<std::uint8_t>& t = tuples_[i];
        if (t[0] != code) {
            continue;
        }
        if (code == kTupleFunctionExtension && t[2] != extensionType) {
            continue;
        }
        if (seen == n) {
            return static_cast<int>(i);
        }
        ++seen;
    }
    return -1;
}

const std::vector<std::uint8_t>* CisTupleList::get(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= tuples_.size()) {
        return nullptr;
    }
    return &tuples_[static_cast<std::size_t>(index)];
}

bool CisTupleList::versionString(int n, std::string& text, std::size_t size) const {
    text.clear();
    if (n < 0 || n > 3) {
        return false;
    }
    const std::vector<std::uint8_t>* tuple = get(find(kTupleProductInfo, 0, 0));
    if (tuple == nullptr || tuple->size() < 7) {
        return false;
    }
    // After the code, the link and the two version bytes come zero-ended strings.
    int string = 0;
    for (std::size_t i = 4; i < tuple->size(); ++i) {
        const std::uint8_t c = (*tuple)[i];
        if (string < n) {
            if (c == 0) {
                ++string;
            }
            continue;
        }
        if (c == 0) {
            return true;
        }
        if (text.size() + 1 >= size) {
            return false;
        }
        text.push_back(static_cast<char>(c));
    }
    return false;
}

void CisTupleList::clear() {
    tuples_.clear();
    address_ = 0;
}

}  // namespace quillon::image
