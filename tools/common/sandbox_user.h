// The unprivileged user the tools' sandboxes run as when the tool itself is
// root (nobody, 65534), and the switch to it for good. POSIX.
#pragma once

#include <sys/types.h>

constexpr uid_t kSandboxUserId = 65534;
constexpr gid_t kSandboxGroupId = 65534;

// Becomes that user: every id, no supplementary groups, checked afterwards.
// Only async-signal-safe calls, so a child may call it between fork and
// exec. False (errno set) when any step did not take.
bool become_sandbox_user();
