# The card commands: the CIS and PDA listings of arbitrary card data, and the PDA settings dialog
# with arbitrary typed text.
quillon_fuzz(fuzz_cis_listing fuzz_cis_listing.cpp quillon_commands)
quillon_fuzz(fuzz_pda_dialog fuzz_pda_dialog.cpp quillon_commands)
