#include "update/update_file_list.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <span>
#include <system_error>

#include "image/cis_tuples.h"
#include "image/firmware_info.h"
#include "image/memory_image.h"
#include "pda/pda_file.h"
#include "pda/pda_image.h"

namespace quillon::update {
namespace {

// Removing selected files is done from a fixed list of at most this many indices.
constexpr std::size_t kRemoveLimit = 30;
// The CIS product name shown in the list is read into this many characters, the last of
// which ends the text.
constexpr std::size_t kCisNameBuffer = 30;

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameTextIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

std::string lowerHex(std::uint16_t value) {
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "%x", static_cast<unsigned>(value));
    return text.data();
}

// The type text of a ".pda" file: its platform, and the one-word record 0x0002 after it.
std::string pdaTypeText(const std::string& path) {
    std::string text = "     ";
    std::array<std::uint16_t, 512> words{};
    const std::size_t count = pda::readPdaFile(path, words);
    if (count == 0) {
        return text;
    }
    pda::PdaImage pda;
    if (pda.parseWords(std::span<const std::uint16_t>(words.data(), count)) == 0) {
        return text;
    }
    const pda::PdrRecord* platform = pda.findRecord(pda::kPdrPlatform);
    if (platform != nullptr && platform->length() == 5 && !platform->data().empty()) {
        text = lowerHex(platform->data()[0]);
    }
    const pda::PdrRecord* version = pda.findRecord(pda::kPdrVersionWord);
    if (version != nullptr && version->length() == 2 && !version->data().empty()) {
        text += " / " + lowerHex(version->data()[0]);
    }
    return text;
}

}  // namespace

namespace {

// The face as the classification of a file sees it: its boxes are shown, but a file that does
// not read is only listed as unknown here; why it does not read is told when it is loaded.
class ClassifyingInterface : public ui::UserInterface {
  public:
    explicit ClassifyingInterface(ui::UserInterface& ui) : ui_(ui) {}
    ui::Answer messageBox(const ui::MessageBox& box) override { return ui_.messageBox(box); }

  private:
    ui::UserInterface& ui_;
};

}  // namespace

bool hasPdaExtension(const std::string& path) {
    static const std::string kExtension = ".pda";
    return path.size() >= kExtension.size() &&
           sameTextIgnoringCase(path.substr(path.size() - kExtension.size()), kExtension);
}

void UpdateFileList::addFile(const std::string& path, ui::UserInterface& ui) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return;
    }
    if (hasPdaExtension(path)) {
        insertItem(PdaFile, pdaTypeText(path), path);
        return;
    }

    // Only what the information records said counts: a file that fails half-way still shows
    // the components named before the failure.
    image::FirmwareInfo info;
    image::MemoryImage image(image::ImageContents::AddressesOnly);
    ClassifyingInterface classifying(ui);
    const bool loads = info.readFile(path, &image, nullptr, classifying) != 0;
    image.clear();

    FileType type = OtherFile;
    std::string text = " unknown";
    if (info.station.present) {
        type = StationFirmware;
        text = image::formatVersion(info.station);
    }
    if (info.primary.present) {
        type = PrimaryFirmware;
        text = image::formatVersion(info.primary);
        if (info.station.present) {
            type = PrimaryAndStation;
            text += " / " + image::formatVersion(info.station);
        }
    }
    // A file that named its components and then failed is still listed by them, but marked:
    // the update will refuse it.
    if (!loads && type != OtherFile) {
        text += " (unreadable)";
    }
    if (!info.primary.present && !info.station.present) {
        image::CisTupleList cis;
        if (cis.readCisFile(path)) {
            type = CisImage;
            // The product name is shown as far as it fits, whether or not it fitted whole.
            cis.versionString(2, text, kCisNameBuffer);
        }
    }
    insertItem(type, text, path);
}

bool UpdateFileList::displaces(int incoming, int queued) {
    switch (incoming) {
        case PrimaryFirmware:
        case StationFirmware:
            return queued == incoming || queued == PrimaryAndStation;
        case PrimaryAndStation:
            return queued == PrimaryFirmware || queued == StationFirmware ||
                   queued == PrimaryAndStation;
        case CisImage:
            return queued == CisImage;
        default:
            return false;
    }
}

int UpdateFileList::insertItem(FileType type, const std::string& typeText,
                               const std::string& path) {
    if (type == PdaFile || type == OtherFile) {
        // Files of these kinds stand side by side; only the same file again replaces itself.
        for (int i = findFirstOfType(type); i >= 0 && i < count() && typeAt(i) == type; ++i) {
            if (sameTextIgnoringCase(rows_[static_cast<std::size_t>(i)].path, path)) {
                removeAt(i);
                break;
            }
        }
    } else {
        for (int i = count() - 1; i >= 0; --i) {
            if (displaces(type, typeAt(i))) {
                removeAt(i);
            }
        }
    }

    const auto position = std::find_if(
        rows_.begin(), rows_.end(), [type](const ui::FileListRow& row) { return row.type > type; });
    ui::FileListRow row;
    row.type = type;
    row.typeText = typeText;
    row.path = path;
    const auto inserted = rows_.insert(position, std::move(row));
    return static_cast<int>(inserted - rows_.begin());
}

int UpdateFileList::removeAllOfType(FileType type) {
    int last = -1;
    for (int i = findFirstOfType(type); i >= 0; i = findFirstOfType(type)) {
        removeAt(i);
        last = i;
    }
    return last;
}

void UpdateFileList::removeSelected() {
    std::vector<int> selected;
    for (int i = 0; i < count() && selected.size() < kRemoveLimit; ++i) {
        if (isSelected(i)) {
            selected.push_back(i);
        }
    }
    // From the highest index down, so that the indices still to be removed stay valid.
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        removeAt(*it);
    }
}

int UpdateFileList::selectedCount() const {
    return static_cast<int>(std::count_if(rows_.begin(), rows_.end(),
                                          [](const ui::FileListRow& row) { return row.selected; }));
}

int UpdateFileList::findFirstOfType(FileType type) const {
    for (int i = 0; i < count(); ++i) {
        if (rows_[static_cast<std::size_t>(i)].type == type) {
            return i;
        }
    }
    return -1;
}

int UpdateFileList::typeAt(int index) const {
    return index >= 0 && index < count() ? rows_[static_cast<std::size_t>(index)].type : -1;
}

std::string UpdateFileList::pathAt(int index) const {
    return index >= 0 && index < count() ? rows_[static_cast<std::size_t>(index)].path
                                         : std::string();
}

void UpdateFileList::setSelected(int index, bool selected) {
    if (index >= 0 && index < count()) {
        rows_[static_cast<std::size_t>(index)].selected = selected;
    }
}

bool UpdateFileList::isSelected(int index) const {
    return index >= 0 && index < count() && rows_[static_cast<std::size_t>(index)].selected;
}

void UpdateFileList::removeAt(int index) {
    if (index >= 0 && index < count()) {
        rows_.erase(rows_.begin() + index);
    }
}

}  // namespace quillon::update
