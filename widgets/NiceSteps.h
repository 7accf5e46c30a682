#pragma once
// Round steps for the scales of the plots: 1, 2 or 5 times a power of ten.

// The smallest round step of at least atLeast (which must be above 0).
double NiceStep(double atLeast);
