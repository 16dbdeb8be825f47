// Reads an in-memory dialog template in the classic layout (DLGTEMPLATE and
// DLGITEMTEMPLATE records, UTF-16 strings, ordinals) into plain values. The
// template carries no size, so every read is checked against a fixed limit.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace standin {

// No template may reach further than this from its first byte; one that would
// (a huge item count, a string without its terminator) is refused before any
// byte beyond the limit is read.
constexpr size_t kMaxTemplateBytes = 64 * 1024;

// A menu, class or title field: absent (a single 0x0000), an ordinal
// (0xFFFF followed by a WORD), or a name.
struct TemplateName {
    enum class Kind { None, Ordinal, Name };
    Kind kind = Kind::None;
    WORD ordinal = 0;
    std::string name;  // Windows-1252; characters it lacks become '?'
};

struct DialogItemTemplate {
    DWORD style = 0;
    DWORD ex_style = 0;
    int x = 0;  // dialog units, relative to the dialog's client area
    int y = 0;
    int cx = 0;
    int cy = 0;
    WORD id = 0;
    TemplateName cls;    // never None: an ordinal class or a class name
    TemplateName title;  // None is read as an empty text
    const BYTE *data = nullptr;  // creation data starting at its size word, or null
    size_t data_size = 0;        // bytes at `data`, the size word included
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD ex_style = 0;
    int x = 0;  // dialog units
    int y = 0;
    int cx = 0;
    int cy = 0;
    TemplateName menu;
    TemplateName cls;   // None: the standard dialog class
    std::string title;  // Windows-1252
    bool has_font = false;  // DS_SETFONT: the two fields below are valid
    int point_size = 0;
    std::string face;
    std::vector<DialogItemTemplate> items;
    size_t size = 0;  // bytes from the template's start to the end of its last field
};

// Parses `tmpl`. Returns false with a one-line reason in *error for a null
// pointer, an extended template, or anything that breaks the layout or the
// limit.
bool parse_dialog_template(const void *tmpl, DialogTemplate *out, std::string *error);

}  // namespace standin
