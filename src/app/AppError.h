#pragma once
// A failure of the application shell that the command guard shows to the user as it stands.
#include "platform/KvorError.h"

namespace kvor {

class EAppError : public EKvorError {
public:
    using EKvorError::EKvorError;
};

} // namespace kvor
