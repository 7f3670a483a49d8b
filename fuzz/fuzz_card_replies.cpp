// A driver and a registry that answer with arbitrary statuses and bytes: adapter discovery,
// opening, the RID reads, the PDA read, aux-port reads and programming must stay within the
// buffers they offered whatever comes back.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "card/adapter_detection.h"
#include "card/adapter_discovery.h"
#include "card/adapter_session.h"
#include "card/card_identity.h"
#include "card/card_memory.h"
#include "card/flash_programming.h"
#include "image/memory_image.h"
#include "pda/pda_image.h"

namespace {

using namespace quillon;

class FuzzLibrary : public card::AccessLibrary {
  public:
    explicit FuzzLibrary(FuzzedDataProvider& in) : in_(in) {}

    bool W32N_IsWindowsNT() override { return in_.ConsumeBool(); }
    bool W32N_IsWindows95() override { return in_.ConsumeBool(); }
    std::uint32_t W32N_OSGetPlatformVersion(std::uint32_t) override {
        return in_.ConsumeIntegral<std::uint32_t>();
    }
    std::uint32_t W32N_GetAdapterRegistryInfo(card::AdapterRegistryInfo& info,
                                              std::string_view) override {
        const auto bytes = in_.ConsumeBytes<char>(in_.ConsumeIntegralInRange<std::size_t>(0, 780));
        std::copy(bytes.begin(), bytes.end(), info.bytes.begin());
        return in_.ConsumeBool() ? 0 : 2;
    }
    card::AdapterHandle W32N_OpenAdapterA(std::string_view) override {
        return in_.ConsumeBool() ? 7 : card::kInvalidAdapterHandle;
    }
    void W32N_CloseAdapter(card::AdapterHandle) override {}
    std::uint32_t W32N_GetLastError() override { return in_.ConsumeIntegral<std::uint32_t>(); }
    std::uint32_t W32N_MakeNdisRequest(card::AdapterHandle, card::AdapterRequest& request,
                                       card::Overlapped&, std::uint32_t) override {
        if (request.bufferLength > 0 && request.buffer == nullptr) {
            std::abort();
        }
        // A driver writes at most the buffer it was offered, but may write anything there.
        const auto reply = in_.ConsumeBytes<std::uint8_t>(
            in_.ConsumeIntegralInRange<std::size_t>(0, request.bufferLength));
        if (!reply.empty()) {
            std::memcpy(request.buffer, reply.data(), reply.size());
        }
        return in_.ConsumeBool() ? card::kNdisStatusSuccess : in_.ConsumeIntegral<std::uint32_t>();
    }
    card::EventHandle createEvent() override { return in_.ConsumeBool() ? 0 : 1; }
    void resetEvent(card::EventHandle) override {}
    void closeEvent(card::EventHandle) override {}
    void sleepMilliseconds(std::uint32_t) override {}

  private:
    FuzzedDataProvider& in_;
};

class FuzzRegistry : public card::Registry {
  public:
    explicit FuzzRegistry(FuzzedDataProvider& in) : in_(in) {}

    std::optional<card::RegistryKey> openKey(card::RegistryKey, std::string_view) override {
        if (!in_.ConsumeBool()) {
            return std::nullopt;
        }
        return 0x1000;
    }
    bool enumKey(card::RegistryKey, std::uint32_t, std::span<char> name) override {
        if (name.empty() || !in_.ConsumeBool()) {
            return false;
        }
        const std::string text = in_.ConsumeRandomLengthString(name.size() - 1);
        std::memcpy(name.data(), text.c_str(), text.size() + 1);
        return true;
    }
    bool queryValue(card::RegistryKey, std::string_view, std::span<std::uint8_t> data,
                    std::size_t& size) override {
        if (!in_.ConsumeBool()) {
            return false;
        }
        const auto bytes = in_.ConsumeBytes<std::uint8_t>(data.size());
        std::copy(bytes.begin(), bytes.end(), data.begin());
        // A registry that claims more than it stored must not lead anyone past the buffer.
        size = in_.ConsumeIntegralInRange<std::size_t>(0, 2 * data.size());
        return true;
    }
    void closeKey(card::RegistryKey) override {}

  private:
    FuzzedDataProvider& in_;
};

class QuietFace : public ui::UserInterface {
  public:
    explicit QuietFace(FuzzedDataProvider& in) : in_(in) {}
    ui::Answer messageBox(const ui::MessageBox&) override {
        return in_.ConsumeBool() ? ui::Answer::Yes : ui::Answer::No;
    }

  private:
    FuzzedDataProvider& in_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    FuzzLibrary library(in);
    FuzzRegistry registry(in);
    QuietFace face(in);

    std::vector<card::AdapterListEntry> list;
    card::listAdapters(library, registry, list);
    card::detectUsableAdapters(library, registry, face);

    card::AdapterSession session(library, registry, face);
    if (!session.openAdapter(0)) {
        return 0;
    }
    card::determineMacType(session, face);
    std::string text;
    card::readCardVersions(session, 0, text);
    if (text.size() > 60) {
        std::abort();
    }
    card::CardInfo info;
    card::readCardInfo(session, info);
    if (info.identText.size() != 26 && !info.identText.empty()) {
        std::abort();
    }

    pda::PdaImage pda;
    card::readPda(session, pda, face);
    std::array<std::uint8_t, 512> cis{};
    card::readAuxPort(session, cis, session.cisAddress(), 512, face);

    card::AuxBlock block;
    block.address = in.ConsumeIntegral<std::uint32_t>();
    block.length = in.ConsumeIntegral<std::uint16_t>();
    session.auxRead(block);
    if (block.length > card::AuxBlock::kMaxData) {
        std::abort();
    }

    image::MemoryImage image;
    const auto bytes = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange(1, 5000));
    if (!bytes.empty() && image.append(bytes, in.ConsumeIntegral<std::uint32_t>() & 0x00FFFFFF)) {
        card::programImage(session, image, nullptr, in.ConsumeBool(), in.ConsumeBool(),
                           in.ConsumeBool(), face);
    }
    card::writePda(session, pda, in.ConsumeBool(), in.ConsumeBool());
    return 0;
}
