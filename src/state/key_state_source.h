// The keyboard poll's only view of the keyboard. Each platform provides both queries; keys are
// named by their Windows virtual-key codes (a letter or digit by its upper-case character).
#pragma once

// The key's state as recorded from the keyboard messages the viewer's own thread has taken.
bool isKeyDownQueued(int virtualKey);

// The key's physical state at the moment of the query.
bool isKeyDownAsync(int virtualKey);
