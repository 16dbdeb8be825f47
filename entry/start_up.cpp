// The stand-in's start-up (start_up.h): the install functions of USER, the
// menu code and, where it is linked, the automation, lowest layer first.
// The browser build has no automation: its debug output goes to the page.
#include "start_up.h"

#ifdef __wasi__
#include "web_trace.h"
#else
#include "automation.h"
#endif
#include "menu/menu.h"
#include "user/window.h"

namespace standin {

void start_up() {
    install_user_hooks();  // GDI's window surfaces, a backend's input
    install_menu_hooks();  // USER's menu bar, raw input and system keys
#ifdef __wasi__
    install_web_trace();  // the kernel's debug output to the page, the web backend's presents
#else
    install_automation_hooks();  // the kernel's debug output, the headless backend's presents
#endif
}

}  // namespace standin
