// The keyboard poll's only view of the keyboard. Each platform provides both queries; keys are
// named by their Windows virtual-key codes (a letter or digit by its upper-case character).
#pragma once

// Called once at the start of every poll, before its first query. The queued state cannot
// change during a poll (no message is taken meanwhile), so a platform may read it here for
// every key at once.
void sampleKeyboard();

// The key's state as recorded from the keyboard messages the viewer's own thread has taken.
bool isKeyDownQueued(int virtualKey);

// The key's physical state at the moment of the query.
bool isKeyDownAsync(int virtualKey);
