#pragma once
// The window's side of the statistics store: its notices in message boxes.

namespace dm {

void tellStatisticsInBoxes();

} // namespace dm
