#include "scripted_keys.h"

#include "state/key_state_source.h"

#include <set>

namespace {
std::set<int> heldKeys;
}

namespace scripted_keys {

void hold(std::initializer_list<int> keys) {
    heldKeys.insert(keys);
}
void releaseAll() {
    heldKeys.clear();
}

} // namespace scripted_keys

bool isKeyDownQueued(int virtualKey) {
    return heldKeys.count(virtualKey) != 0;
}
bool isKeyDownAsync(int virtualKey) {
    return heldKeys.count(virtualKey) != 0;
}
