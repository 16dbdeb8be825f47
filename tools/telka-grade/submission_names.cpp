// Making students' folder names safe and unique (submission_names.h).
#include "submission_names.h"

#include "out_layout.h"
#include "submission.h"

#include <algorithm>
#include <set>

namespace {

std::string folded(const std::string &name) {
    std::string out = name;
    for (char &c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

std::string safe_name(const std::string &name) {
    std::string out;
    for (const char c : name) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                          c == '_' || c == '-' || c == '+' || c == '@';
        out.push_back(keep ? c : '_');
    }
    if (out.empty() || out[0] == '.') out.insert(out.begin(), '_');
    if (out.size() > kNameLimit) out.resize(kNameLimit);
    return out;
}

void give_unique_names(std::vector<Submission> *subs) {
    std::set<std::string> taken;
    for (const char *reserved : kOutFolderNames) taken.insert(folded(reserved));
    std::vector<bool> keeps(subs->size());
    for (size_t i = 0; i < subs->size(); ++i) {
        keeps[i] = taken.insert(folded((*subs)[i].name)).second;
    }
    for (size_t i = 0; i < subs->size(); ++i) {
        if (keeps[i]) continue;
        std::string &name = (*subs)[i].name;
        for (unsigned n = 2;; ++n) {
            const std::string candidate = name + "-" + std::to_string(n);
            if (taken.insert(folded(candidate)).second) {
                name = candidate;
                break;
            }
        }
    }
    std::stable_sort(subs->begin(), subs->end(),
                     [](const Submission &a, const Submission &b) { return a.name < b.name; });
}
