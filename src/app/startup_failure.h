// Why a start-up failed: the first failing step notes it, in its own words, and the platform's
// process entry prints it as its one line before ending with exit code 1.
#pragma once

#include <string>
#include <string_view>

void noteStartUpFailure(std::string_view reason);
const std::string& startUpFailureReason();
