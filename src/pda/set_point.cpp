#include "pda/set_point.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

#include "base/log.h"

namespace quillon::pda {
namespace {

constexpr std::uint16_t kSetPointSourceLength = 31;    // S0 to S29
constexpr std::uint16_t kIntegratorSourceLength = 34;  // I0 to I32
constexpr std::uint16_t kDomainRecordLength = 7;
constexpr std::uint16_t kSetPointLength = 15;    // P0 to P13
constexpr std::uint16_t kIntegratorLength = 18;  // Q0 to Q16

// Each source holds two 14-word sets: the first (with two replacement words after it) for
// the American and European domains, the second for Japan.
constexpr std::size_t kSetWords = 14;
constexpr std::size_t kFirstSet = 0;
constexpr std::size_t kReplacementA = 14;
constexpr std::size_t kReplacementB = 15;
constexpr std::size_t kSecondSet = 16;
constexpr std::size_t kIntegratorTail = 30;  // I30 to I32, taken by every domain
constexpr std::size_t kTailWords = 3;

bool hasLength(const PdrRecord* record, std::uint16_t length) {
    return record != nullptr && record->length() == length &&
           record->words().size() == static_cast<std::size_t>(length) + 1;
}

bool isAcceptedDomain(unsigned domain) {
    switch (domain) {
        case 0x10:  // United States
        case 0x20:  // Canada
        case 0x30:  // ETSI
        case 0x31:  // Spain
        case 0x32:  // France
        case 0x40:  // Japan
        case 0x41:  // Japan
            return true;
        default:
            return false;
    }
}

}  // namespace

int deriveSetPointAndIntegrator(PdaImage& pda) {
    const PdrRecord* setPointSource = pda.findRecord(kPdrSetPointSource);
    const PdrRecord* integratorSource = pda.findRecord(kPdrIntegratorSource);
    const PdrRecord* domainRecord = pda.findRecord(kPdrRegulatoryDomain);
    if (!hasLength(setPointSource, kSetPointSourceLength) ||
        !hasLength(integratorSource, kIntegratorSourceLength) ||
        !hasLength(domainRecord, kDomainRecordLength)) {
        writeLog("Not all PDA entries found. Cannot configure Set point and integrator values.\n");
        return 0;
    }

    // The domain is the low byte of the domain record's second data word.
    const unsigned domain = domainRecord->data()[1] & 0xFFU;
    if (!isAcceptedDomain(domain)) {
        writeLog("ERROR - PDA entries found, but domain %x not recognized!\n", domain);
        return -1;
    }
    writeLog("PDA entries found: Using domain %x\n", domain);

    const std::span<const std::uint16_t> s = setPointSource->data();
    const std::span<const std::uint16_t> i = integratorSource->data();

    std::array<std::uint16_t, kSetPointLength + 1> setPoint{};
    std::array<std::uint16_t, kIntegratorLength + 1> integrator{};
    setPoint[0] = kSetPointLength;
    setPoint[1] = kPdrSetPoint;
    integrator[0] = kIntegratorLength;
    integrator[1] = kPdrIntegrator;
    auto p = std::span(setPoint).subspan(2);    // P0 to P13
    auto q = std::span(integrator).subspan(2);  // Q0 to Q16

    const std::size_t set = (domain == 0x40 || domain == 0x41) ? kSecondSet : kFirstSet;
    std::copy_n(s.begin() + set, kSetWords, p.begin());
    std::copy_n(i.begin() + set, kSetWords, q.begin());
    if (domain == 0x30) {
        p[0] = s[kReplacementA];
        p[12] = s[kReplacementB];
        q[0] = i[kReplacementA];
        q[12] = i[kReplacementB];
    } else if (domain == 0x32) {
        p[12] = s[kReplacementB];
        q[12] = i[kReplacementB];
    }
    std::copy_n(i.begin() + kIntegratorTail, kTailWords, q.begin() + kSetWords);

    pda.insertRecord(setPoint);
    pda.insertRecord(integrator);
    return 1;
}

}  // namespace quillon::pda
