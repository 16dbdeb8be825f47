// The dialog-template reader: walks the header, the menu/class/title arrays,
// the optional font and the DWORD-aligned items, never reading past
// kMaxTemplateBytes. UTF-16 text becomes Windows-1252 through cp1252.h.
#include "dialog/dialog_template.h"

#include "text/cp1252.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace standin {

namespace {

constexpr size_t kHeaderBytes = 18;      // sizeof(DLGTEMPLATE), packed
constexpr size_t kItemHeaderBytes = 18;  // sizeof(DLGITEMTEMPLATE), packed
// The smallest item: header, ordinal class (two WORDs), empty title, no data.
constexpr size_t kMinItemBytes = kItemHeaderBytes + 4 + 2 + 2;
constexpr WORD kExtendedSignature = 0xFFFF;

// Unicode -> Windows-1252, built once from the forward table.
uint8_t to_cp1252(char32_t c) {
    static const std::array<char32_t, 256> forward = [] {
        std::array<char32_t, 256> f{};
        for (int b = 0; b < 256; ++b) f[b] = cp1252_to_unicode(static_cast<uint8_t>(b));
        return f;
    }();
    if (c < 0x80) return static_cast<uint8_t>(c);
    for (int b = 0x80; b < 256; ++b)
        if (forward[b] == c && c != 0) return static_cast<uint8_t>(b);
    return '?';
}

class Reader {
public:
    explicit Reader(const void *base) : base_(reinterpret_cast<uintptr_t>(base)) {}

    size_t offset() const { return off_; }
    const BYTE *here() const { return reinterpret_cast<const BYTE *>(base_ + off_); }

    // Moves to the next address that is a multiple of `a` (2 or 4): the
    // template's alignment rules are about addresses, not offsets.
    bool align(size_t a) {
        const uintptr_t at = base_ + off_;
        const uintptr_t aligned = (at + (a - 1)) & ~static_cast<uintptr_t>(a - 1);
        return skip(aligned - at);
    }
    bool skip(size_t n) {
        if (n > kMaxTemplateBytes - off_) return fail("runs past the size limit");
        off_ += n;
        return true;
    }
    bool bytes(void *out, size_t n) {
        if (n > kMaxTemplateBytes - off_) return fail("runs past the size limit");
        std::memcpy(out, here(), n);
        off_ += n;
        return true;
    }
    bool word(WORD *w) { return bytes(w, sizeof *w); }

    // A NUL-terminated UTF-16 string (the first unit may already be read).
    bool string(std::string *out, bool have_first = false, WORD first = 0) {
        out->clear();
        WORD unit = first;
        if (!have_first && !word(&unit)) return false;
        while (unit != 0) {
            char32_t c = unit;
            if (unit >= 0xD800 && unit <= 0xDFFF) c = 0xFFFD;  // surrogates: no 1252 character anyway
            out->push_back(static_cast<char>(to_cp1252(c)));
            if (!word(&unit)) return false;
        }
        return true;
    }

    // A menu, class or title array. `zero_is_none`: a leading 0x0000 means
    // "absent" (otherwise it is an empty name).
    bool name(TemplateName *out, bool zero_is_none) {
        if (!align(2)) return false;
        WORD first = 0;
        if (!word(&first)) return false;
        if (first == 0 && zero_is_none) {
            out->kind = TemplateName::Kind::None;
            return true;
        }
        if (first == 0xFFFF) {
            out->kind = TemplateName::Kind::Ordinal;
            return word(&out->ordinal);
        }
        out->kind = TemplateName::Kind::Name;
        return string(&out->name, true, first);
    }

    bool fail(const char *why) {
        if (!error_) error_ = why;
        return false;
    }
    const char *error() const { return error_ ? error_ : "malformed"; }

private:
    uintptr_t base_;
    size_t off_ = 0;
    const char *error_ = nullptr;
};

int16_t as_short(const BYTE *p) {
    int16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

DWORD as_dword(const BYTE *p) {
    DWORD v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

WORD as_word(const BYTE *p) {
    WORD v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

bool read_item(Reader &r, DialogItemTemplate *item) {
    if (!r.align(4)) return false;
    BYTE h[kItemHeaderBytes];
    if (!r.bytes(h, sizeof h)) return false;
    item->style = as_dword(h);
    item->ex_style = as_dword(h + 4);
    item->x = as_short(h + 8);
    item->y = as_short(h + 10);
    item->cx = as_short(h + 12);
    item->cy = as_short(h + 14);
    item->id = as_word(h + 16);
    if (!r.name(&item->cls, false)) return false;
    if (item->cls.kind == TemplateName::Kind::Name && item->cls.name.empty()) return r.fail("an item has no class");
    if (!r.name(&item->title, false)) return false;
    if (!r.align(2)) return false;
    const BYTE *data = r.here();
    WORD size = 0;
    if (!r.word(&size)) return false;
    if (size != 0) {
        // The size counts the size word itself.
        if (size < sizeof size) return r.fail("an item's creation data is shorter than its size word");
        if (!r.skip(size - sizeof size)) return false;
        item->data = data;
        item->data_size = size;
    }
    return true;
}

}  // namespace

bool parse_dialog_template(const void *tmpl, DialogTemplate *out, std::string *error) {
    *out = DialogTemplate{};
    if (!tmpl) {
        *error = "no template";
        return false;
    }
    Reader r(tmpl);
    BYTE h[kHeaderBytes];
    if (!r.bytes(h, sizeof h)) {
        *error = r.error();
        return false;
    }
    if (as_word(h) == 1 && as_word(h + 2) == kExtendedSignature) {
        *error = "extended (DLGTEMPLATEEX) templates are not supported";
        return false;
    }
    out->style = as_dword(h);
    out->ex_style = as_dword(h + 4);
    const WORD count = as_word(h + 8);
    out->x = as_short(h + 10);
    out->y = as_short(h + 12);
    out->cx = as_short(h + 14);
    out->cy = as_short(h + 16);
    // Refused at once: even the smallest items would not fit under the limit.
    if (kHeaderBytes + 6 + size_t{count} * kMinItemBytes > kMaxTemplateBytes) {
        *error = "too many items";
        return false;
    }

    bool ok = r.name(&out->menu, true) && r.name(&out->cls, true);
    TemplateName title;
    ok = ok && r.name(&title, true);
    if (ok && title.kind == TemplateName::Kind::Ordinal) ok = r.fail("the title is an ordinal");
    out->title = title.name;
    if (ok && (out->style & DS_SETFONT)) {
        WORD points = 0;
        ok = r.align(2) && r.word(&points) && r.string(&out->face);
        out->has_font = ok;
        out->point_size = points;
    }
    for (WORD i = 0; ok && i < count; ++i) {
        DialogItemTemplate item;
        ok = read_item(r, &item);
        if (ok) out->items.push_back(std::move(item));
    }
    if (!ok) {
        *error = r.error();
        *out = DialogTemplate{};
        return false;
    }
    out->size = r.offset();
    return true;
}

}  // namespace standin
