#include "pda/set_point.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/log.h"

namespace quillon::pda {
namespace {

using Words = std::vector<std::uint16_t>;

// Source words whose values name their place: S0 = 0x5000 ... S29 = 0x501D, I0 = 0x1000 ...
Words source(std::uint16_t code, std::uint16_t length, std::uint16_t base) {
    Words words = {length, code};
    for (std::uint16_t k = 0; k + 1 < length; ++k) {
        words.push_back(static_cast<std::uint16_t>(base + k));
    }
    return words;
}

constexpr std::uint16_t kS = 0x5000;
constexpr std::uint16_t kI = 0x1000;

PdaImage cardWithDomain(std::uint16_t domainWord) {
    PdaImage pda;
    pda.insertRecord(source(kPdrSetPointSource, 31, kS));
    pda.insertRecord(source(kPdrIntegratorSource, 34, kI));
    pda.insertRecord(Words{7, kPdrRegulatoryDomain, 0x0001, domainWord, 0, 0, 0, 0});
    return pda;
}

Words dataOf(const PdaImage& pda, std::uint16_t code) {
    const PdrRecord* r = pda.findRecord(code);
    return r == nullptr ? Words{} : Words(r->data().begin(), r->data().end());
}

// Words first .. first + count - 1 of a source, with replacements (index, word) applied.
Words pick(std::uint16_t base, std::uint16_t first, std::uint16_t count,
           std::vector<std::pair<int, std::uint16_t>> replaced = {}) {
    Words out;
    for (std::uint16_t k = 0; k < count; ++k) {
        out.push_back(static_cast<std::uint16_t>(base + first + k));
    }
    for (const auto& [index, word] : replaced) {
        out[static_cast<std::size_t>(index)] = word;
    }
    return out;
}

Words withTail(Words q) {
    q.insert(q.end(), {kI + 30, kI + 31, kI + 32});
    return q;
}

TEST(SetPoint, EachDomainPicksItsOwnValues) {
    struct Case {
        std::uint16_t domainWord;
        Words p;
        Words q;
    };
    const Words first = pick(kS, 0, 14);
    const Words firstQ = withTail(pick(kI, 0, 14));
    const Case cases[] = {
        {0x10, first, firstQ},
        {0x20, first, firstQ},
        {0x31, first, firstQ},
        {0x30, pick(kS, 0, 14, {{0, kS + 14}, {12, kS + 15}}),
         withTail(pick(kI, 0, 14, {{0, kI + 14}, {12, kI + 15}}))},
        {0x32, pick(kS, 0, 14, {{12, kS + 15}}), withTail(pick(kI, 0, 14, {{12, kI + 15}}))},
        {0x40, pick(kS, 16, 14), withTail(pick(kI, 16, 14))},
        {0x41, pick(kS, 16, 14), withTail(pick(kI, 16, 14))},
        // Only the low byte names the domain.
        {0x0130, pick(kS, 0, 14, {{0, kS + 14}, {12, kS + 15}}),
         withTail(pick(kI, 0, 14, {{0, kI + 14}, {12, kI + 15}}))},
    };
    for (const Case& c : cases) {
        PdaImage pda = cardWithDomain(c.domainWord);
        LogCapture log;
        EXPECT_EQ(deriveSetPointAndIntegrator(pda), 1) << c.domainWord;
        EXPECT_EQ(dataOf(pda, kPdrSetPoint), c.p) << c.domainWord;
        EXPECT_EQ(dataOf(pda, kPdrIntegrator), c.q) << c.domainWord;
        EXPECT_EQ(pda.findRecord(kPdrSetPoint)->length(), 15);
        EXPECT_EQ(pda.findRecord(kPdrIntegrator)->length(), 18);
        char expected[64];
        std::snprintf(expected, sizeof expected, "PDA entries found: Using domain %x\n",
                      c.domainWord & 0xFFU);
        EXPECT_EQ(log.text(), expected);
    }
}

TEST(SetPoint, MissingOrMisshapenSourcesChangeNothing) {
    struct Case {
        const char* name;
        std::uint16_t code;
        Words replacement;  // empty: the record is removed
    };
    const Case cases[] = {
        {"set-point source one word short", kPdrSetPointSource, source(kPdrSetPointSource, 30, kS)},
        {"integrator source one word long", kPdrIntegratorSource,
         source(kPdrIntegratorSource, 35, kI)},
        {"domain record short", kPdrRegulatoryDomain, Words{2, kPdrRegulatoryDomain, 0x30}},
        {"no integrator source", kPdrIntegratorSource, {}},
        {"no domain record", kPdrRegulatoryDomain, {}},
    };
    for (const Case& c : cases) {
        PdaImage pda = cardWithDomain(0x30);
        if (c.replacement.empty()) {
            pda.removeRecord(c.code);
        } else {
            pda.insertRecord(c.replacement);
        }
        const std::size_t before = pda.records().size();
        LogCapture log;
        EXPECT_EQ(deriveSetPointAndIntegrator(pda), 0) << c.name;
        EXPECT_EQ(log.text(),
                  "Not all PDA entries found. Cannot configure Set point and integrator "
                  "values.\n")
            << c.name;
        EXPECT_EQ(pda.records().size(), before) << c.name;
    }
}

TEST(SetPoint, UnknownDomainIsRefused) {
    PdaImage pda = cardWithDomain(0x0050);
    LogCapture log;
    EXPECT_EQ(deriveSetPointAndIntegrator(pda), -1);
    EXPECT_EQ(log.text(), "ERROR - PDA entries found, but domain 50 not recognized!\n");
    EXPECT_EQ(pda.findRecord(kPdrSetPoint), nullptr);
    EXPECT_EQ(pda.findRecord(kPdrIntegrator), nullptr);
}

TEST(SetPoint, DerivingTwiceKeepsOneRecordOfEach) {
    PdaImage pda = cardWithDomain(0x10);
    EXPECT_EQ(deriveSetPointAndIntegrator(pda), 1);
    EXPECT_EQ(deriveSetPointAndIntegrator(pda), 1);
    EXPECT_EQ(pda.records().size(), 5U);
}

}  // namespace
}  // namespace quillon::pda
