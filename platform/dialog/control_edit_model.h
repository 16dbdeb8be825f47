// The text model behind the edit control: bytes, insertion point, line layout
// (word-wrapped for multi-line edits), editing and caret movement. No window
// or pixels here; the advances come from the control's font.
#pragma once

#include "dialog/control_text_layout.h"

#include <cstddef>
#include <string>
#include <vector>

namespace standin {

struct EditModel {
    std::string text;                 // line breaks are "\r\n", as Windows keeps them
    size_t caret = 0;                 // byte index of the insertion point
    bool caret_at_eol = false;        // at a soft break: shown at the end of the upper line
    long long goal_x = -1;            // x that Up and Down aim for; -1: take the caret's
    size_t limit = 0;                 // most bytes typing may produce
    bool multiline = false;
    bool wrap = false;                // multi-line without horizontal scrolling
    int width = 1;                    // formatting width, pixels
    Advances adv{};
    std::vector<TextLine> lines;      // always at least one

    void relayout();
    // Replaces the text (cut to `max_bytes`) and puts the caret at its start.
    void set_text(const char *s, size_t max_bytes);

    // Typed text at the caret; false when it would pass `limit`.
    bool insert(const char *s, size_t n);
    bool backspace();
    bool erase_forward();

    void move_left();
    void move_right();
    void move_up();
    void move_down();
    void move_home();
    void move_end();
    void move_text_start();
    void move_text_end();
    // Caret to the position nearest `x` pixels into line `line`.
    void move_to(size_t line, long long x);
    void set_caret(size_t pos);

    // Line that holds byte `pos` (a soft break's position belongs to the line below).
    size_t line_of(size_t pos) const;
    // Line on which the caret is shown.
    size_t caret_line() const;
    // Caret's x in pixels from the start of its line.
    long long caret_x() const;

private:
    size_t prev_pos(size_t i) const;
    size_t next_pos(size_t i) const;
    size_t position_at(size_t line, long long x) const;
    bool soft_break_at(size_t line) const;
    void edited();
};

}  // namespace standin
