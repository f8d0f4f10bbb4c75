// Asks the main loop to end with the given exit code. Returns at once; the loop ends when it
// takes the request from its queue.
#pragma once

void requestQuit(int exitCode);
