#pragma once

#include <QString>

#include "base/Error.h"

namespace diadoc {

// Runs one call into the client library with its errors caught: the error text takes the error's
// description, or an empty text when the call succeeded; a failed call answers an empty result.
template <typename Call> auto guarded(QString& errorText, Call&& call) -> decltype(call())
{
    try {
        auto result = call();
        errorText.clear();
        return result;
    } catch (...) {
        errorText = core::currentError().description();
        return {};
    }
}

} // namespace diadoc
