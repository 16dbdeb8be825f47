// USER's records in the layers below, registered once at start-up
// (install_user_hooks, window.h): window DCs draw into window surfaces
// through GDI's WindowSurfaceHooks, and a backend's input reaches the queue
// through the backends' CoreCalls.
#include "user/window.h"

#include "gdi/target.h"
#include "user/message_queue.h"

namespace standin {

void install_user_hooks() {
    set_window_surface_hooks(window_surface_hooks());
    set_core_calls(CoreCalls{queue_input});
}

}  // namespace standin
