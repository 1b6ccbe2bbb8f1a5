// Purpose: how far a gauge is, in whole percent.
#pragma once

namespace orvu {

// A gauge's percent done: trunc((progress - minimum) * 100 / (maximum - minimum)), 0 for an empty range.
int gaugePercent(int progress, int minimum, int maximum);

} // namespace orvu
