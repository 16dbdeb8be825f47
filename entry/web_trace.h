// The browser build's debug channel and explaining (web_trace.cpp), started
// by the stand-in's start-up.
#pragma once

namespace standin {

void install_web_trace();

}  // namespace standin
