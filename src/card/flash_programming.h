// Writing into the card's flash through the aux port: a whole firmware image block by block,
// or the PDA as one block. Each block is compared with the card first unless forced, and read
// back after writing when verification is asked for.
//
// All three expect an open adapter; none closes it, unblocks protocols or sends finish: the
// callers do that. Blocks written before a failure stay written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "card/adapter_session.h"
#include "image/memory_image.h"
#include "pda/pda_image.h"
#include "ui/user_interface.h"

namespace quillon::card {

// Blocks of an image never cross a 64 KiB boundary of the card's address space.
inline constexpr std::uint32_t kBlockAlignment = 0x10000;

// Writes one block. Unless force, a block the card already holds is only read; with verify,
// the written block is read back and compared.
bool writeBlock(AdapterSession& session, const AuxBlock& block, bool force, bool verify);

// Programs every block of image, advancing the progress bar (when given) block by block. With
// askOnBlockError, a failed block asks whether to go on, naming the block's address and the
// image (imageName, when given); the answer that stops is the safe one. Stops after the
// current block when the person asks to stop (ui.stopRequested). True only when every block
// was written (and verified when asked).
bool programImage(AdapterSession& session, image::MemoryImage& image, ui::ProgressBar* progress,
                  bool forceAllBlocks, bool verifyDownloads, bool askOnBlockError,
                  ui::UserInterface& ui, std::string_view imageName = {});

// The question after a failed block: which block of which image, and what going on costs.
std::string blockErrorQuestion(std::uint32_t address, std::string_view imageName);

// Writes pda to the card's PDA address as one block. A PDA too large to flatten is refused
// without anything being sent.
bool writePda(AdapterSession& session, const pda::PdaImage& pda, bool forceAllBlocks,
              bool verifyDownloads);

}  // namespace quillon::card
