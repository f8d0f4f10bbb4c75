#include "app/startup_failure.h"

namespace {

std::string firstFailure;

} // namespace

void noteStartUpFailure(std::string_view reason) {
    if (firstFailure.empty()) {
        firstFailure = reason;
    }
}

const std::string& startUpFailureReason() {
    static const std::string unknown = "the graphics could not be set up";
    return firstFailure.empty() ? unknown : firstFailure;
}
