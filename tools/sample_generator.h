// Makes the bundled sample files: synthetic firmware images (primary, station, both, and a
// CIS image) and production-data files for a 3842-based card. Nothing in them comes from a
// real card or vendor; the same call always writes the same bytes.
#pragma once

#include <map>
#include <string>

namespace quillon::tools {

// The samples by file name, with their complete contents (CR LF line ends).
std::map<std::string, std::string> makeSamples();

}  // namespace quillon::tools
