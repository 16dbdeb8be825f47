// The stand-in's one start-up: every record through which a lower layer
// calls an upper one (platform/README.md, "The seams") filled at one moment,
// by each registering layer's install function, in layer order. The process
// entry runs it before WinMain; a program or test that drives the whole
// stand-in without the entry runs it before its first window.
#pragma once

namespace standin {

// Idempotent: a later call registers the same records again.
void start_up();

}  // namespace standin
