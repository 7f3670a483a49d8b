# Card access: whatever a driver or the registry answers.
quillon_fuzz(fuzz_card_replies fuzz_card_replies.cpp quillon_card)
