// Copies of the show's state blocks for the tests that compare two runs byte for byte.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

using StateCopy = std::vector<uint8_t>;

// Every state block of the show as it stands, in the blocks' order.
StateCopy copyOfState();
// The names of the blocks in which two copies differ, for a failure message.
std::string differingBlocks(const StateCopy &a, const StateCopy &b);
