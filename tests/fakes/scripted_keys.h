// A scripted key source for the unit tests: the test holds and releases keys, and both key
// queries answer from the same set of held keys.
#pragma once

#include <initializer_list>

namespace scripted_keys {

void hold(std::initializer_list<int> keys);
void releaseAll();

} // namespace scripted_keys
