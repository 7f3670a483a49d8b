// The words under a progress window's large text: what is being written, how far the whole
// job is, the time left, and that the card must stay in. Every face that draws a progress
// window takes them from here.
#pragma once

#include <string>

#include "ui/user_interface.h"

namespace quillon::ui {

// How far the whole job is, from 0 to 1, when itemShare (0 to 1) of item is done: the items
// before it count as done, so the bar never starts again at 0 for the next file.
double jobShare(const ProgressItem& item, double itemShare);

// "station-1.8.0.hex, 2 of 3, 45%, about 12 s left" and "Do not remove the card." below it;
// secondsInItem is the time spent on this item so far. The time left is said once there is a
// pace to go by.
std::string progressDetail(const ProgressItem& item, double itemShare, double secondsInItem);

}  // namespace quillon::ui
