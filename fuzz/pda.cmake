# Production-data readers: ".pda" text and PDA words from a card.
quillon_fuzz(fuzz_pda_file fuzz_pda_file.cpp quillon_pda)
quillon_fuzz(fuzz_pda_words fuzz_pda_words.cpp quillon_pda)
