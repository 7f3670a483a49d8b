// The set-point (0x0300) and integrator (0x0301) records a card needs for its own regulatory
// domain, picked out of the general source records 0x0900 and 0x0901 that hold the values of
// every domain.
#pragma once

#include "pda/pda_image.h"

namespace quillon::pda {

// Derives both records from the sources and the domain record 0x0103 and stores them in pda,
// replacing earlier ones. 1 when both were stored; 0 when a source record is missing or has
// the wrong length; -1 when the domain is not one the card may use. Only a result of 1
// changes pda. Writes its findings to the diagnostic log.
int deriveSetPointAndIntegrator(PdaImage& pda);

}  // namespace quillon::pda
