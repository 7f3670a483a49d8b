// bench.json: what it reads, what it writes back, and the message for each kind of bad file.
#include "sim/bench_json.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "sim/identity_block.h"
#include "sim/pda_words.h"

namespace quillon::sim {
namespace {

BenchConfig everyFeature() {
    BenchConfig config = defaultBenchConfig();
    config.osFamily = OsFamily::Windows95;
    config.osMajorVersion = 4;
    config.unknownAdapterError = 0x106;
    config.createEventFails = true;
    config.latency = LatencyModel{false, 1, 2, 3};
    CardConfig& card = *config.adapters[0].card;
    card.macType = 1;
    card.answersDriverVersion = false;
    card.knowsProbeOid = false;
    card.rids.station.reset();
    card.rids.raw = {{0xFD04, {5, 0xFD04, 1, 2, 3, 4}}, {0x0000, {}}};
    card.pdaRecords.clear();
    card.pdaWords = std::vector<std::uint16_t>{2, 0, 0xB801};
    card.ramPdaWords = std::vector<std::uint16_t>{1, 2, 3};
    card.faults.requests = {RequestFault::nth(kOidAuxRead, 2, 0xC0000001),
                            RequestFault::every(kOidProbe, kStatusInvalidOid),
                            RequestFault::range(kOidAuxWrite, 3, 9, 0xC0010015)};
    card.faults.flakyReads = FlakyReads{4, 2, 3, 0};
    card.faults.writes = {WriteFault{0x7E0000, 0xC0000002}};
    card.faults.silentWrites = {0x7E0100};
    card.faults.unreadableRids = {0xFD02, 0xFFFF};
    AdapterConfig other;
    other.subkey = "0001";
    other.describable = false;
    other.displayName = "Other chipset";
    other.deviceName = "{OTHER}";
    other.pci = false;
    other.matchingDeviceId = "ISAPNP\\ABC1234";
    other.deviceKeys = {DeviceKey{"ISAPNP\\ABC1234", {DeviceInstance{"0", 1}}}};
    other.openError = 5;
    config.adapters.push_back(other);
    return config;
}

TEST(BenchJson, WritesWhatItReadsBack) {
    for (const BenchConfig& config : {defaultBenchConfig(), everyFeature(), BenchConfig{}}) {
        const std::string text = benchToJson(config);
        BenchConfig read;
        std::string error;
        ASSERT_TRUE(parseBenchJson(text, read, error)) << error;
        EXPECT_EQ(read, config);
        EXPECT_EQ(benchToJson(read), text);
    }
}

TEST(BenchJson, WritesLinesEndingWithCrLf) {
    const std::string text = benchToJson(defaultBenchConfig());
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(text[i - 1], '\r');
        }
    }
}

TEST(BenchJson, ReadsTheShortForms) {
    const std::string text = R"({
      "adapters": [{
        "subkey": "0000",
        "matchingDeviceId": "PCI\\VEN_1260&DEV_3873",
        "instances": [{"name": "4&1", "csConfigFlags": 1}],
        "card": {
          "macType": "0x0001",
          "permanentAddress": "00-02-b3-AA-bb-01",
          "pda": {"records": [
            {"code": "0x0001", "text": "AB-12", "dataWords": 4},
            {"code": 8, "data": ["0x8003", 0]}
          ]},
          "flash": [{"address": "0x3E0000", "hex": "5149 4442\n1F00"}]
        }
      }]
    })";
    BenchConfig config;
    std::string error;
    ASSERT_TRUE(parseBenchJson(text, config, error)) << error;
    EXPECT_EQ(config.osFamily, OsFamily::Nt);
    EXPECT_EQ(config.osMajorVersion, 5u);
    EXPECT_FALSE(config.latency.enabled);
    const AdapterConfig& adapter = config.adapters.at(0);
    EXPECT_EQ(adapter.deviceKeys,
              (std::vector<DeviceKey>{{"VEN_1260&DEV_3873", {DeviceInstance{"4&1", 1}}}}));
    const CardConfig& card = *adapter.card;
    EXPECT_EQ(card.macType, 1);
    EXPECT_EQ(card.permanentAddress, (std::array<std::uint8_t, 6>{0, 2, 0xB3, 0xAA, 0xBB, 1}));
    EXPECT_EQ(card.pdaRecords,
              (std::vector<PdrConfig>{{1, {0x4241, 0x312D, 0x0032, 0}}, {8, {0x8003, 0}}}));
    EXPECT_EQ(card.flash, (std::vector<FlashRun>{{0x3E0000, {0x51, 0x49, 0x44, 0x42, 0x1F, 0}}}));
}

// Wraps a card description in a bench of one adapter.
std::string withCard(const std::string& card) {
    return R"({"adapters": [{"subkey": "0000", "card": )" + card + "}]}";
}

TEST(BenchJson, NamesTheKeyAndTheProblemOfABadFile) {
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"{\n  \"adapters\": [\n    {,", "bench.json: not valid JSON (line 3, column 6)"},
        {"", "bench.json: not valid JSON (line 1, column 1)"},
        {"[]", "bench.json: (top level): expected an object"},
        {"{}", "bench.json: adapters: missing"},
        {R"({"adapters": {}})", "bench.json: adapters: expected an array"},
        {R"({"adapters": [], "extra": 1})", "bench.json: extra: unknown key"},
        {R"({"adapters": [], "adapters": []})", "bench.json: adapters: duplicate key"},
        {R"({"adapters": [{"subkey": "0000", "card": "none"}, {"subkey": "1", "card": {"macType": 1, "pda": {"words": [1]}, "macType": 2}}]})",
         "bench.json: adapters[1].card.macType: duplicate key"},
        {R"({"os": {"family": "NT4"}, "adapters": []})",
         "bench.json: os.family: expected \"NT\" or \"95\""},
        {R"({"latency": {"perRequestMicros": 5}, "adapters": []})",
         "bench.json: latency.enabled: missing"},
        {R"({"adapters": [{"subkey": "0000", "card": "none"}, {"subkey": "1", "card": {"macType": "two"}}]})",
         "bench.json: adapters[1].card.macType: expected a number"},
        {withCard(R"({"macType": 70000})"),
         "bench.json: adapters[0].card.macType: number out of range (0 to 65535)"},
        {withCard(R"({"macType": -1})"),
         "bench.json: adapters[0].card.macType: number out of range (0 to 65535)"},
        {withCard(R"({"macType": 1.5})"),
         "bench.json: adapters[0].card.macType: expected a number"},
        {withCard(R"({"driverVersion": "0x100000000"})"),
         "bench.json: adapters[0].card.driverVersion: number out of range (0 to 4294967295)"},
        {withCard(R"({"macTyp": 2})"), "bench.json: adapters[0].card.macTyp: unknown key"},
        {withCard("5"), "bench.json: adapters[0].card: expected an object or \"none\""},
        {R"({"adapters": [{"subkey": "0000"}]})", "bench.json: adapters[0].card: missing"},
        {R"({"adapters": [{"subkey": "a\\b", "card": "none"}]})",
         "bench.json: adapters[0].subkey: expected a name without backslashes"},
        {R"({"adapters": [{"subkey": "AB", "card": "none"}, {"subkey": "ab", "card": "none"}]})",
         "bench.json: adapters[1].subkey: same as adapters[0].subkey"},
        {R"({"adapters": [{"subkey": "0", "instances": [], "card": "none"}]})",
         "bench.json: adapters[0].instances: needs a \"matchingDeviceId\""},
        {withCard(R"({"permanentAddress": "00:02:B3:12:34:56"})"),
         "bench.json: adapters[0].card.permanentAddress: expected six bytes like "
         "\"00-02-B3-12-34-56\""},
        {withCard(R"({"flash": [{"address": 0, "hex": "ABC"}]})"),
         "bench.json: adapters[0].card.flash[0].hex: expected pairs of hexadecimal digits"},
        {withCard(R"({"flash": [{"hex": "AB"}]})"),
         "bench.json: adapters[0].card.flash[0].address: missing"},
        {withCard(R"({"rids": {"identText": "123456789012345678901234567"}})"),
         "bench.json: adapters[0].card.rids.identText: longer than 26 characters"},
        {withCard(R"({"rids": {"primary": {"componentId": 21, "variant": 0, "major": 1}}})"),
         "bench.json: adapters[0].card.rids.primary.minor: missing"},
        {withCard(R"({"pda": {"records": [], "words": []}})"),
         "bench.json: adapters[0].card.pda: expected either \"records\" or \"words\""},
        {withCard(R"({"pda": {"records": [{"code": 1}]}})"),
         "bench.json: adapters[0].card.pda.records[0]: expected either \"data\" or \"text\""},
        {withCard(R"({"pda": {"records": [{"code": 1, "data": [], "dataWords": 3}]}})"),
         "bench.json: adapters[0].card.pda.records[0].dataWords: goes with \"text\" only"},
        {withCard(R"({"pda": {"records": [{"code": 1, "text": "x", "dataWords": 508}]}})"),
         "bench.json: adapters[0].card.pda.records: the records and the end record take more "
         "than 512 words"},
        {withCard(R"({"faults": {"requests": [{"oid": 1, "nth": 1, "every": true}]}})"),
         "bench.json: adapters[0].card.faults.requests[0]: expected one of \"nth\", \"every\" or "
         "\"from\" and \"to\""},
        {withCard(R"({"faults": {"requests": [{"oid": 1, "nth": 0}]}})"),
         "bench.json: adapters[0].card.faults.requests[0].nth: requests are counted from 1"},
        {withCard(R"({"faults": {"requests": [{"oid": 1, "from": 3, "to": 2}]}})"),
         "bench.json: adapters[0].card.faults.requests[0]: expected 1 <= from <= to"},
        {withCard(R"({"faults": {"flakyReads": {"from": 3}}})"),
         "bench.json: adapters[0].card.faults.flakyReads: \"from\" and \"to\" go together"},
        {withCard(R"({"rids": {"raw": [{"rid": 1, "words": "0x1"}]}})"),
         "bench.json: adapters[0].card.rids.raw[0].words: expected an array"},
    };
    for (const auto& c : cases) {
        BenchConfig config = defaultBenchConfig();
        std::string error;
        EXPECT_FALSE(parseBenchJson(c.text, config, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        EXPECT_EQ(config, defaultBenchConfig()) << c.text;
    }
}

TEST(BenchJson, LongWordListsAreRefused) {
    std::string words = "[";
    for (int i = 0; i < 513; ++i) {
        words += i == 0 ? "0" : ",0";
    }
    words += "]";
    BenchConfig config;
    std::string error;
    EXPECT_FALSE(parseBenchJson(withCard(R"({"pda": {"words": )" + words + "}}"), config, error));
    EXPECT_EQ(error, "bench.json: adapters[0].card.pda.words: more than 512 words");
}

// The example in the bench format's documentation must stay a valid bench.
TEST(BenchJson, TheDocumentedExampleIsAValidBench) {
    const char* source = std::getenv("QUILLON_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    std::ifstream in(std::string(source) + "/src/sim/README.md");
    const std::string readme((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    const std::size_t start = readme.find("```json\n");
    ASSERT_NE(start, std::string::npos);
    const std::size_t end = readme.find("```", start + 8);
    ASSERT_NE(end, std::string::npos);
    BenchConfig config;
    std::string error;
    ASSERT_TRUE(parseBenchJson(readme.substr(start + 8, end - start - 8), config, error)) << error;
    EXPECT_EQ(config.adapters.size(), 2u);
}

}  // namespace
}  // namespace quillon::sim
