// Writing and reading the explain dump (explain_dump.h). The reader checks
// every count against the bytes left before it allocates, so a cut or
// corrupt file is refused with a message rather than read past its end.
#include "explain_dump.h"

#include <cstring>

namespace standin {

namespace {

constexpr char kMagic[8] = {'T', 'E', 'L', 'K', 'A', 'E', 'X', 'P'};

struct Writer {
    std::vector<uint8_t> out;
    void word(uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void text(const std::string &s) {
        word(static_cast<uint32_t>(s.size()));
        out.insert(out.end(), s.begin(), s.end());
        while (out.size() % 4 != 0) out.push_back(0);
    }
};

struct Reader {
    const uint8_t *p;
    size_t left;
    bool ok = true;
    uint32_t word() {
        if (left < 4) {
            ok = false;
            return 0;
        }
        const uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
        p += 4;
        left -= 4;
        return v;
    }
    int32_t signed_word() { return static_cast<int32_t>(word()); }
    // Whether n items of `size` words each can still follow.
    bool room(uint64_t n, uint64_t size) {
        if (n > left / 4 / size) ok = false;
        return ok;
    }
    std::string text() {
        const uint32_t n = word();
        const size_t padded = (static_cast<size_t>(n) + 3) / 4 * 4;
        if (!ok || padded > left) {
            ok = false;
            return {};
        }
        std::string s(reinterpret_cast<const char *>(p), n);
        p += padded;
        left -= padded;
        return s;
    }
};

}  // namespace

std::vector<uint8_t> explain_dump_bytes(const ExplainDump &d) {
    Writer w;
    w.out.assign(kMagic, kMagic + sizeof kMagic);
    w.word(kExplainDumpVersion);
    w.word(d.width);
    w.word(d.height);
    w.word(static_cast<uint32_t>(d.origin_x));
    w.word(static_cast<uint32_t>(d.origin_y));
    w.word(d.frame);
    w.word(static_cast<uint32_t>(d.frames.size()));
    for (const ExplainFrame &f : d.frames) {
        for (uint32_t v : {f.number, f.first_call, f.calls, static_cast<uint32_t>(f.ns),
                           static_cast<uint32_t>(f.ns >> 32), f.event_kind, static_cast<uint32_t>(f.event_x),
                           static_cast<uint32_t>(f.event_y), f.event_key, f.periodic})
            w.word(v);
    }
    w.word(static_cast<uint32_t>(d.calls.size()));
    for (const ExplainCall &c : d.calls) {
        w.word(c.id);
        w.word(c.frame);
        w.word(c.line);
        w.text(c.file);
        w.text(c.text);
    }
    for (uint32_t v : d.before) w.word(v);
    w.word(static_cast<uint32_t>(d.footprints.size()));
    for (const ExplainFootprint &f : d.footprints) {
        w.word(f.id);
        w.word(static_cast<uint32_t>(f.runs.size()));
        for (const ExplainRun &r : f.runs) {
            w.word(static_cast<uint32_t>(r.y));
            w.word(static_cast<uint32_t>(r.x0));
            w.word(static_cast<uint32_t>(r.x1));
        }
        for (uint32_t v : f.values) w.word(v);
    }
    for (uint32_t v : d.after) w.word(v);
    return w.out;
}

bool parse_explain_dump(const uint8_t *data, size_t size, ExplainDump *out, std::string *error) {
    *out = ExplainDump{};
    if (size < sizeof kMagic || std::memcmp(data, kMagic, sizeof kMagic) != 0) {
        *error = "not an explain dump";
        return false;
    }
    Reader r{data + sizeof kMagic, size - sizeof kMagic};
    const uint32_t version = r.word();
    if (r.ok && version != kExplainDumpVersion) {
        *error = "an explain dump of version " + std::to_string(version) + ", not " +
                 std::to_string(kExplainDumpVersion);
        return false;
    }
    ExplainDump &d = *out;
    d.width = r.word();
    d.height = r.word();
    d.origin_x = r.signed_word();
    d.origin_y = r.signed_word();
    d.frame = r.word();
    const uint32_t frames = r.word();
    if (r.room(frames, 10)) {
        d.frames.resize(frames);
        for (ExplainFrame &f : d.frames) {
            f.number = r.word();
            f.first_call = r.word();
            f.calls = r.word();
            f.ns = r.word();
            f.ns |= static_cast<uint64_t>(r.word()) << 32;
            f.event_kind = r.word();
            f.event_x = r.signed_word();
            f.event_y = r.signed_word();
            f.event_key = r.word();
            f.periodic = r.word();
        }
    }
    const uint32_t calls = r.word();
    if (r.room(calls, 5)) {
        d.calls.resize(calls);
        for (ExplainCall &c : d.calls) {
            c.id = r.word();
            c.frame = r.word();
            c.line = r.word();
            c.file = r.text();
            c.text = r.text();
            if (!r.ok) break;
        }
    }
    const uint64_t pixels = uint64_t{d.width} * d.height;
    if (r.room(pixels, 1)) {
        d.before.resize(static_cast<size_t>(pixels));
        for (uint32_t &v : d.before) v = r.word();
    }
    const uint32_t footprints = r.word();
    if (r.room(footprints, 2)) {
        d.footprints.resize(footprints);
        for (ExplainFootprint &f : d.footprints) {
            f.id = r.word();
            const uint32_t runs = r.word();
            if (!r.room(runs, 3)) break;
            f.runs.resize(runs);
            uint64_t n = 0;
            for (ExplainRun &run : f.runs) {
                run.y = r.signed_word();
                run.x0 = r.signed_word();
                run.x1 = r.signed_word();
                if (run.x1 > run.x0) n += static_cast<uint64_t>(run.x1 - run.x0);
            }
            if (!r.room(n, 1)) break;
            f.values.resize(static_cast<size_t>(n));
            for (uint32_t &v : f.values) v = r.word();
        }
    }
    if (r.room(pixels, 1)) {
        d.after.resize(static_cast<size_t>(pixels));
        for (uint32_t &v : d.after) v = r.word();
    }
    if (!r.ok) {
        *error = "the explain dump is cut short or damaged";
        return false;
    }
    return true;
}

}  // namespace standin
