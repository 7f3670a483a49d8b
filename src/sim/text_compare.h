// Names in the registry and on the adapter-access library compare without regard to case.
#pragma once

#include <string>
#include <string_view>

namespace quillon::sim {

bool equalsIgnoringCase(std::string_view a, std::string_view b);
std::string toLowerAscii(std::string_view text);

}  // namespace quillon::sim
