// The toast host of the test prefix: serves the two toast classes to any
// program that asks the Windows Runtime for them.
//
// Rules of Windows it keeps:
// - A desktop program's toast appears only when a shortcut installed in a
//   Start-menu Programs folder (all users or the user's, subfolders too)
//   carries its System.AppUserModel.ID; a desktop shortcut does not count
//   ("How to enable desktop toast notifications through an AppUserModelID").
//   Otherwise "your toast will not be displayed" ("Quickstart: Sending a
//   toast notification from the desktop"): no error is documented, so Show
//   succeeds, nothing appears, no event is raised, and the record says
//   "dropped". The shortcuts are looked at on every Show.
// Not kept: notification settings, scheduling, the Action Center.
#include <windows.h>
#include <activation.h>
#include <new>

#include "runtime_module.h"
#include "toast_channel.h"
#include "toast_classes.h"

using namespace tapdeck::sim;

// The host's thread runs for the rest of the process: it is never unloaded.
TAPDECK_SIM_RUNTIME_MODULE(toast::kCensus,
                           {{sdk::RuntimeClass_ToastNotificationManager,
                             []() -> IActivationFactory* { return new (std::nothrow) ToastManagerStatics(); }},
                            {sdk::RuntimeClass_ToastNotification,
                             []() -> IActivationFactory* { return new (std::nothrow) ToastNotificationFactory(); }}})
