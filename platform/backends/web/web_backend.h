// What the web backend offers the layers above it beyond the driver table:
// a call before each present, through which what is gathered for the page
// reaches it before the frame does, and one after, through which the page's
// explaining counts the graphics window's frames as the page does.
#pragma once

#include "backends/backend.h"

namespace standin {

// `listener` is called after each present of a host (null: none).
void web_set_present_listener(void (*listener)(HostId host));

// `hook` is called before each present of any host (null: none).
void web_set_before_present(void (*hook)());

}  // namespace standin
