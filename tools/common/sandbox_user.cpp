// The switch to the sandbox's user (sandbox_user.h). Each id is read back,
// since a setresuid that half-succeeds would leave root's saved id behind.
#include "sandbox_user.h"

#include <grp.h>
#include <unistd.h>

#include <cerrno>

bool become_sandbox_user() {
    if (setgroups(0, nullptr) != 0 || setresgid(kSandboxGroupId, kSandboxGroupId, kSandboxGroupId) != 0 ||
        setresuid(kSandboxUserId, kSandboxUserId, kSandboxUserId) != 0)
        return false;
    uid_t ru, eu, su;
    gid_t rg, eg, sg;
    if (getresuid(&ru, &eu, &su) != 0 || getresgid(&rg, &eg, &sg) != 0) return false;
    if (ru != kSandboxUserId || eu != kSandboxUserId || su != kSandboxUserId || rg != kSandboxGroupId ||
        eg != kSandboxGroupId || sg != kSandboxGroupId || getgroups(0, nullptr) != 0) {
        errno = EPERM;
        return false;
    }
    return true;
}
