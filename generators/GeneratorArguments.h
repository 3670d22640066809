#pragma once

// Throws std::invalid_argument for a negative dimension or point count; the
// generators call it before they allocate or read anything.
void RequireValidCounts(int d, int n);
