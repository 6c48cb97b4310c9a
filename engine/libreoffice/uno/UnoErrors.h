#pragma once

// Every UNO exception leaves the binding as an rm::Error: a lost bridge
// becomes OfficeConnectionLost, anything else OfficeCallFailed with the
// office's own message. Calls on a running office go through
// OfficeSession::call(); officeCall() is for the connection being made.

#include "engine/Error.h"

#include <string>
#include <utility>

namespace rm::lo {

// To be called inside a catch block: throws the rm::Error for the exception
// being handled. `what` says what was being done (ErrorText::OfficeStep).
[[noreturn]] void rethrowAsError(const std::string& what);

Error connectionLostError();

template <class Call>
auto officeCall(const std::string& what, Call&& call) -> decltype(call())
{
    try {
        return std::forward<Call>(call)();
    } catch (...) {
        rethrowAsError(what);
    }
}

} // namespace rm::lo
