// A stand-in for TOVRAN in the frame's tests: a few host functions that record how they were
// called, the data word 22980 and nothing else, so that every other binding fails.
#pragma once

#include <cstdint>
#include <string>

struct FakeCall {
  unsigned ordinal = 0;  // which function was called last
  std::intptr_t ints[6] = {};
  double reals[3] = {};
  std::string text;      // the formatted text of a formatting function
};

// The ordinals that the stand-in exports, in the order of its directory.
inline constexpr unsigned kFakeOrdinals[] = {35802, 52289, 41399, 52541, 52178};

extern "C" FakeCall* FakeLastCall();
