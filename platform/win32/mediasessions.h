// The system media sessions read through Windows.Media.Control: the manager is requested
// from its statics, each asynchronous result awaited as asyncwait.h says. Split from the
// activation so that tests can hand in statics of their own.
#pragma once

#include "platform/desktop.h"
#include "platform/win32/mediacontrolabi.h"

#include <atomic>
#include <memory>

namespace cadora::platform {

// The current sessions of the manager that statics gives; null when the request, its
// wait or the session list fails. The list reads one session at a time, keeping the last
// session and the last media properties it fetched.
std::unique_ptr<MediaSessionList> openMediaSessionsFrom (mediacontrol::ManagerStatics* statics,
                                                         const std::atomic<bool>* keepGoing);

} // namespace cadora::platform
