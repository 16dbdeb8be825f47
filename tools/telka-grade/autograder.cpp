// Making the autograder zip (autograder.h). The library goes in as the
// installed files themselves (telka-run, telka-grade, telka.h, libtelka.a,
// telka.pc made relocatable), so setup needs no compiler run of its own and
// marks with exactly the files the teacher marks with. The zip itself is
// made by the zip program.
#include "autograder.h"

#include "process.h"

#include "temp_folder.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The runtime set of scripts/packages.list, read by CMake when telka-grade is built.
const char *const kRuntimePackages = TELKA_RUNTIME_PACKAGES;

const char *const kSetup = R"SH(#!/usr/bin/env bash
# Sets a marking service's machine up for these TELKA tests: installs the
# Debian packages a submission needs to build and run (only those missing,
# so no network is needed when they are there), checks the bundled library
# runs, checks that a submission's build can be sandboxed here, and makes
# the tests' expected runs here, with this machine's fonts.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
packages=(@PACKAGES@)
missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup.sh: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
export PATH="$here/telka/bin:$PATH" PKG_CONFIG_PATH="$here/telka/lib/pkgconfig"
telka-run --help >/dev/null
# --prepare checks the build's sandbox first: a service that cannot make it
# must not mark every student 0.
if ! telka-grade "$here/tests" --prepare; then
  echo "setup.sh: NOT READY: this machine cannot mark TELKA submissions (telka-grade's message is above)." >&2
  echo "setup.sh: the marking service must allow bubblewrap to make user namespaces." >&2
  exit 1
fi
echo "setup.sh: ready"
)SH";

const char *const kRun = R"SH(#!/usr/bin/env bash
# Marks the submission with the bundled TELKA tests and writes the results
# where the marking service reads them. TELKA_AUTOGRADER_ROOT moves the
# whole layout (default /autograder), so it can be tried in a scratch folder.
set -uo pipefail
root=${TELKA_AUTOGRADER_ROOT:-/autograder}
source=$root/source
mkdir -p "$root/results"
export PATH="$source/telka/bin:$PATH" PKG_CONFIG_PATH="$source/telka/lib/pkgconfig"
exec telka-grade "$source/tests" --one "$root/submission" --results "$root/results/results.json" --out "$root/marking"
)SH";

std::string replace_all(std::string text, const std::string &from, const std::string &to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

bool copy_one(const fs::path &from, const fs::path &to) {
    std::error_code ec;
    fs::create_directories(to.parent_path(), ec);
    if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec)) {
        std::fprintf(stderr, "telka-grade: cannot copy '%s': %s\n", from.string().c_str(), ec.message().c_str());
        return false;
    }
    return true;
}

// The folder under prefix holding pkgconfig/telka.pc and libtelka.a (lib,
// lib64, or a multiarch folder under lib).
fs::path find_libdir(const fs::path &prefix) {
    std::vector<fs::path> candidates = {prefix / "lib", prefix / "lib64"};
    std::error_code ec;
    for (const auto &e : fs::directory_iterator(prefix / "lib", ec))
        if (e.is_directory()) candidates.push_back(e.path());
    for (const fs::path &c : candidates)
        if (fs::is_regular_file(c / "libtelka.a", ec) && fs::is_regular_file(c / "pkgconfig" / "telka.pc", ec))
            return c;
    return {};
}

// telka.pc with its folders found from where it lies.
bool write_relocatable_pc(const fs::path &from, const fs::path &to) {
    std::ifstream in(from);
    std::ofstream out(to);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("prefix=", 0) == 0)
            line = "prefix=${pcfiledir}/../..";
        else if (line.rfind("exec_prefix=", 0) == 0)
            line = "exec_prefix=${prefix}";
        else if (line.rfind("libdir=", 0) == 0)
            line = "libdir=${prefix}/lib";
        else if (line.rfind("includedir=", 0) == 0)
            line = "includedir=${prefix}/include";
        out << line << "\n";
    }
    return static_cast<bool>(out);
}

bool write_script(const fs::path &path, const std::string &text) {
    std::ofstream(path) << text;
    std::error_code ec;
    fs::permissions(path,
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                        fs::perms::others_exec,
                    ec);
    return !ec;
}

// The tests folder; expected runs made from a reference stay behind, since
// the service makes its own with its own fonts.
bool copy_tests(const TestSuite &suite, const fs::path &to) {
    std::error_code ec;
    const fs::path from(suite.folder);
    const bool drop_expected = !suite.reference_sources.empty();
    fs::recursive_directory_iterator it(from, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const fs::path rel = it->path().lexically_relative(from);
        const bool expected =
            rel.has_parent_path() && rel.filename() == "expected" && !rel.parent_path().has_parent_path();
        if (drop_expected && expected && it->is_directory()) {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_directory())
            fs::create_directories(to / rel, ec);
        else if (it->is_regular_file() && !copy_one(it->path(), to / rel))
            return false;
    }
    return !ec;
}

}  // namespace

std::string own_folder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

bool make_autograder(const TestSuite &suite, const std::string &zip) {
    std::error_code ec;
    const fs::path prefix = fs::path(own_folder()).parent_path();
    const fs::path libdir = find_libdir(prefix);
    if (libdir.empty() || !fs::is_regular_file(prefix / "include" / "telka.h", ec) ||
        !fs::is_regular_file(prefix / "bin" / "telka-run", ec)) {
        std::fprintf(stderr,
                     "telka-grade: --autograder bundles the installed library beside telka-grade, and '%s' is not an "
                     "installed prefix (bin/telka-run, include/telka.h, lib/libtelka.a, lib/pkgconfig/telka.pc); run "
                     "the telka-grade of `make install` or the Debian package\n",
                     prefix.string().c_str());
        return false;
    }
    std::string why;
    const TempFolder folder(make_temp_folder("telka-autograder", "a temporary folder", &why));
    if (folder.empty()) {
        std::fprintf(stderr, "telka-grade: %s\n", why.c_str());
        return false;
    }
    const fs::path stage(folder.path());
    const fs::path lib = stage / "telka";
    bool ok = copy_one(prefix / "bin" / "telka-run", lib / "bin" / "telka-run") &&
              copy_one(prefix / "bin" / "telka-grade", lib / "bin" / "telka-grade") &&
              copy_one(prefix / "include" / "telka.h", lib / "include" / "telka.h") &&
              copy_one(libdir / "libtelka.a", lib / "lib" / "libtelka.a");
    fs::create_directories(lib / "lib" / "pkgconfig", ec);
    ok = ok && write_relocatable_pc(libdir / "pkgconfig" / "telka.pc", lib / "lib" / "pkgconfig" / "telka.pc");
    ok = ok && copy_tests(suite, stage / "tests");
    ok = ok && write_script(stage / "setup.sh", replace_all(kSetup, "@PACKAGES@", kRuntimePackages));
    ok = ok && write_script(stage / "run_autograder", kRun);
    const fs::path target = fs::absolute(zip, ec);
    fs::remove(target, ec);  // zip would add to an old archive
    if (ok) {
        const std::string log = (stage / "zip.log").string();
        const ProcessResult p =
            run_process({"zip", "-q", "-r", "-X", target.string(), "setup.sh", "run_autograder", "tests", "telka"},
                        stage.string(), log, 300);
        if (!p.started || p.exit_status != 0) {
            std::ifstream in(log);
            std::stringstream ss;
            ss << in.rdbuf();
            std::fprintf(stderr, "telka-grade: making '%s' failed (the zip program: Debian package zip):\n%s",
                         target.string().c_str(), ss.str().c_str());
            ok = false;
        }
    }
    if (ok) std::printf("telka-grade: wrote %s\n", target.string().c_str());
    return ok;
}
