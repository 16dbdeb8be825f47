// The stand-in's start-up (start_up.h): the install functions of USER, the
// menu code and, where it is linked, the automation, lowest layer first.
// The browser build has no automation.
#include "start_up.h"

#ifndef __wasi__
#include "automation.h"
#endif
#include "menu/menu.h"
#include "user/window.h"

namespace standin {

void start_up() {
    install_user_hooks();  // GDI's window surfaces, a backend's input
    install_menu_hooks();  // USER's menu bar, raw input and system keys
#ifndef __wasi__
    install_automation_hooks();  // the kernel's debug output, the headless backend's presents
#endif
}

}  // namespace standin
