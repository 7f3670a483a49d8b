#include "commands/pda_settings_dialog.h"

#include <gtest/gtest.h>

#include "fake_user_interface.h"

namespace quillon::pda {
namespace {

using testing::FakeUserInterface;

struct MacTyping {
    const char* typed;
    const char* shown;
};

class MacBox : public ::testing::TestWithParam<MacTyping> {};

TEST_P(MacBox, ShowsAWholeAddressInItsCanonicalForm) {
    PdaSettingsDialog dialog("", "");
    EXPECT_EQ(dialog.onMacTextChanged(GetParam().typed), GetParam().shown);
    EXPECT_EQ(dialog.macText(), GetParam().shown);
    // The face writes the shown text back into the box; that must settle at once.
    EXPECT_EQ(dialog.onMacTextChanged(dialog.macText()), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MacBox,
    ::testing::Values(MacTyping{"00:11:22:33:44:55", "00-11-22-33-44-55"},
                      MacTyping{"001122334455", "00-11-22-33-44-55"},
                      MacTyping{"00 11 22 33 44 55", "00-11-22-33-44-55"},
                      MacTyping{"aabbccddeeff", "AA-BB-CC-DD-EE-FF"},
                      // A pasted text of 14 digits keeps the first 12.
                      MacTyping{"00112233445566", "00-11-22-33-44-55"},
                      // Eleven digits are not an address yet: the text stays as typed.
                      MacTyping{"00112233445", "00112233445"},
                      MacTyping{"00-11-22-33-44-5", "00-11-22-33-44-5"},
                      // The box holds at most 17 characters.
                      MacTyping{"00:11:22:33:44:5Zxyz", "00:11:22:33:44:5Z"}, MacTyping{"", ""}));

TEST(PdaSettingsDialog, TypingTheTwelfthDigitCompletesTheAddress) {
    PdaSettingsDialog dialog("", "");
    std::string box;
    for (const char c : std::string("0011223344556")) {
        box = dialog.onMacTextChanged(box + c);
    }
    EXPECT_EQ(box, "00-11-22-33-44-55");
}

struct Confirming {
    const char* mac;
    bool accepted;
};

class ConfirmMac : public ::testing::TestWithParam<Confirming> {};

TEST_P(ConfirmMac, AcceptsOnlyAWholeAddress) {
    PdaSettingsDialog dialog("", "");
    dialog.onMacTextChanged(GetParam().mac);
    FakeUserInterface ui;
    EXPECT_EQ(dialog.confirm(ui), GetParam().accepted);
    if (GetParam().accepted) {
        EXPECT_TRUE(ui.boxes.empty());
    } else {
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].text, "Bad MAC Address");
        EXPECT_FALSE(ui.boxes[0].caption.has_value());  // the application's name
        EXPECT_EQ(ui.boxes[0].owner, ui::Owner::MainWindow);
        EXPECT_EQ(ui.boxes[0].buttons, ui::Buttons::Ok);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ConfirmMac,
                         ::testing::Values(Confirming{"00-11-22-33-44-55", true},
                                           Confirming{"00112233445", false},
                                           // Twelve characters, only ten of them digits.
                                           Confirming{"00-11-22-334", false},
                                           Confirming{"", false}));

TEST(PdaSettingsDialog, ConfirmTurnsTheSerialToUpperCaseWhenAsked) {
    FakeUserInterface ui;
    PdaSettingsDialog converted("00-11-22-33-44-55", "ab12");
    EXPECT_TRUE(converted.confirm(ui));
    EXPECT_EQ(converted.serialText(), "AB12");

    PdaSettingsDialog asTyped("00-11-22-33-44-55", "ab12");
    asTyped.setConvertToUppercase(false);
    EXPECT_TRUE(asTyped.confirm(ui));
    EXPECT_EQ(asTyped.serialText(), "ab12");
}

struct Refusal {
    const char* mac;
    const char* serial;
    const char* reason;  // empty: accepted
};

class RefuseWhatNoCardTakes : public ::testing::TestWithParam<Refusal> {};

// What the person changes is judged as the terminal judges it; the card's own values may go
// back as they were.
TEST_P(RefuseWhatNoCardTakes, SaysWhyAndStaysOpen) {
    PdaSettingsDialog dialog("00-02-B3-12-34-56", "SIM0001");
    dialog.onMacTextChanged(GetParam().mac);
    dialog.setSerialText(GetParam().serial);
    FakeUserInterface ui;
    const std::string reason = GetParam().reason;
    EXPECT_EQ(dialog.confirm(ui), reason.empty());
    if (reason.empty()) {
        EXPECT_TRUE(ui.boxes.empty());
    } else {
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].text, reason);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, RefuseWhatNoCardTakes,
    ::testing::Values(
        Refusal{"00-02-B3-12-34-56", "SIM0001", ""}, Refusal{"00-02-B3-AB-CD-EF", "QSN-1", ""},
        Refusal{"01-00-5E-00-00-01", "SIM0001",
                "Bad MAC Address: 01-00-5E-00-00-01 is a group (multicast or broadcast) address, "
                "which no card may send from."},
        Refusal{"FF-FF-FF-FF-FF-FF", "SIM0001",
                "Bad MAC Address: FF-FF-FF-FF-FF-FF is a group (multicast or broadcast) address, "
                "which no card may send from."},
        Refusal{"00-00-00-00-00-00", "SIM0001",
                "Bad MAC Address: 00-00-00-00-00-00 is not an address any card may have."},
        Refusal{"00-02-B3-12-34-56", "", "Bad Serial Number: the serial number may not be empty."},
        Refusal{"00-02-B3-12-34-56", "caf\xc3\xa9",
                "Bad Serial Number: the serial number takes ASCII letters, digits and signs "
                "only."}));

TEST(PdaSettingsDialog, ForceLetsAGroupAddressThrough) {
    PdaSettingsDialog dialog("00-02-B3-12-34-56", "SIM0001");
    dialog.onMacTextChanged("FF-FF-FF-FF-FF-FF");
    dialog.setForce(true);
    FakeUserInterface ui;
    EXPECT_TRUE(dialog.confirm(ui));
}

}  // namespace
}  // namespace quillon::pda
