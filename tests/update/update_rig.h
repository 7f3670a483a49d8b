// Everything an update runs on in a test: a simulated bench with its adapter selected, the
// scripted face, the main window's lasting state (session, PDA, file list, options, supplier
// range) through a small test host, and the bundled samples in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "card/adapter_session.h"
#include "card/card_identity.h"
#include "fake_user_interface.h"
#include "image/firmware_info.h"
#include "image/memory_image.h"
#include "image/plug_list.h"
#include "pda/pda_image.h"
#include "pda/pdr_plugging.h"
#include "sample_generator.h"
#include "sim/simulated_bench.h"
#include "temp_dir.h"
#include "test_host.h"
#include "update/update_card.h"
#include "update/update_file_list.h"

namespace quillon::testing {

// Notes how many requests the bench had seen when the report window opened, so that tests can
// look at what the update sent after the person's answer.
class BenchUserInterface : public FakeUserInterface {
  public:
    const sim::SimulatedBench* bench = nullptr;
    std::size_t requestsAtReport = 0;

    bool showReport(const ui::ReportRequest& request) override {
        if (bench != nullptr) {
            requestsAtReport = bench->requests().size();
        }
        return FakeUserInterface::showReport(request);
    }
};

// The report header of the default bench's card.
inline const std::string kDefaultCardHeader =
    "{+db}Product Part Number: QN-3842-01\n"
    "  Serial Number: SIM0001\n"
    "  MAC Address: 00-02-B3-12-34-56\n"
    "  Platform: 8003\n"
    "  Current firmware version: Primary: 1.1.0   Station: 1.7.4\n"
    "{+k}";

inline const std::string kFilesOk = "\n{+g}Files OK - hit UPDATE to start the update process.{+k}";
inline const std::string kNotAllowed = "\n{+r}** Error encountered - update not allowed **{+k}";

inline std::string sourceFile(const std::string& path) {
    return "---------------------\nSource File: \"" + path + "\"\n";
}

struct UpdateRig {
    explicit UpdateRig(sim::BenchConfig config = sim::defaultBenchConfig())
        : bench(std::move(config)),
          session(bench.library(), bench.registry(), ui),
          host(session, pda, ui) {
        ui.bench = &bench;
        options.pdaBackupFolder = dir.file("pda-backups");
        for (const auto& [name, content] : tools::makeSamples()) {
            dir.write(name, content);
        }
        // The adapter was selected: its MAC type is known and the adapter closed again.
        host.adapterSelected = true;
        if (session.openAdapter(0)) {
            card::determineMacType(session, ui);
            session.closeAdapter();
        }
        bench.clearRequests();
        ui.boxes.clear();
        ui.calls.clear();
    }

    // Queues a file of the sample folder (or any file written there).
    std::string add(const std::string& name) {
        const std::string path = dir.file(name);
        list.addFile(path, ui);
        return path;
    }
    std::string write(const std::string& name, const std::string& content) {
        return dir.write(name, content);
    }

    void run() {
        update::UpdateContext context{host, session, pda, list, options, supplier, ui};
        update::updateCard(context);
    }

    // What the update sent after the report window closed, leaving out the requests that
    // prepare the aux port: "probe", "block", "write" (an aux write carrying data), "unblock",
    // "finish" and "read" (an aux read).
    std::vector<std::string> stepsAfterReport() const {
        std::vector<std::string> out;
        const auto& requests = bench.requests();
        for (std::size_t i = ui.requestsAtReport; i < requests.size(); ++i) {
            const sim::RequestRecord& r = requests[i];
            switch (r.oid) {
                case card::OID_PRIV_PROBE:
                    out.push_back("probe");
                    break;
                case card::OID_PRIV_BLOCK_PROTOCOLS:
                    out.push_back("block");
                    break;
                case card::OID_PRIV_UNBLOCK_PROTOCOLS:
                    out.push_back("unblock");
                    break;
                case card::OID_PRIV_FINISH:
                    out.push_back("finish");
                    break;
                case card::OID_PRIV_AUX_READ:
                    out.push_back("read");
                    break;
                case card::OID_PRIV_AUX_WRITE:
                    if (r.length > 0) {
                        out.push_back("write");
                    }
                    break;
                default:
                    break;
            }
        }
        return out;
    }

    // The aux writes that carry data (the setup write carries none), in order.
    std::vector<sim::RequestRecord> blockWrites() const {
        std::vector<sim::RequestRecord> out;
        for (const auto& r : bench.requests()) {
            if (r.oid == card::OID_PRIV_AUX_WRITE && r.length > 0) {
                out.push_back(r);
            }
        }
        return out;
    }

    std::size_t countOf(std::uint32_t oid) const {
        std::size_t n = 0;
        for (const auto& r : bench.requests()) {
            n += r.oid == oid ? 1 : 0;
        }
        return n;
    }

    bool adapterClosed() {
        return !session.isOpen() && bench.simulatedLibrary().openAdapterCount() == 0;
    }

    // The card's PDA copy in NVRAM as records.
    pda::PdaImage cardPda() const {
        const auto words = bench.card(0).pdaWords(true);
        pda::PdaImage image;
        image.parseWords(words);
        return image;
    }

    TempDir dir;
    sim::SimulatedBench bench;
    BenchUserInterface ui;
    card::AdapterSession session;
    pda::PdaImage pda;
    TestHost host;
    update::UpdateFileList list;
    ui::ProgrammingOptions options;
    update::SupplierRange supplier;
};

// Reads the file as the update does and plugs the given PDA into it: what the card's flash
// must hold afterwards.
inline void loadPlugged(const std::string& path, const pda::PdaImage& cardPda,
                        image::MemoryImage& image) {
    FakeUserInterface quiet;
    image::FirmwareInfo info;
    image::PlugList plugs;
    ASSERT_GT(info.readFile(path, &image, &plugs, quiet), 0u);
    pda::plugImage(image, plugs, cardPda, path);
}

// Every byte of the image is in the card's flash at its address.
inline void expectFlashHolds(const sim::SimulatedBench& bench, image::MemoryImage& image) {
    image.rewind();
    std::vector<std::uint8_t> block(2042);
    std::uint32_t address = 0;
    std::uint16_t count = 0;
    std::size_t blocks = 0;
    while (image.nextBlock(block, &address, &count, 2042, 0)) {
        ++blocks;
        const std::vector<std::uint8_t> expected(block.begin(), block.begin() + count);
        EXPECT_EQ(bench.card(0).readFlash(address, count), expected)
            << "block at 0x" << std::hex << address;
    }
    EXPECT_GT(blocks, 0u);
}

inline std::vector<std::uint8_t> bytesOf(const std::string& text, std::size_t size) {
    std::vector<std::uint8_t> out(size, 0);
    for (std::size_t i = 0; i < text.size() && i < size; ++i) {
        out[i] = static_cast<std::uint8_t>(text[i]);
    }
    return out;
}

}  // namespace quillon::testing
