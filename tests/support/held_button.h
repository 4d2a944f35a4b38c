#pragma once
// The break as the held mouse button gives it, set directly: a routine run under it must stop
// and leave the break message (or none, where its caller reports it), after which the button
// is up and the message cleared, ready for the same routine to run whole.

#include <gtest/gtest.h>

#include <string>

#include "lang/run_state.h"
#include "lang/values.h"

namespace pravella::test {

template <class Routine>
void expectStopsWhileHeld(const std::string& name, Routine routine, bool reports = true) {
  ResultString.clear();
  vkButtonDownSinceMs.store(1);  // held since long ago
  EXPECT_EQ(routine(), 0) << name;
  vkButtonDownSinceMs.store(0);
  EXPECT_EQ(ResultString, reports ? "...<Error>...**** BREAK *****\n" : "") << name;
  ResultString.clear();
}

}  // namespace pravella::test
