// Editing and caret movement of the edit control's text model. "\r\n" is one
// step for the caret and for deletion; at a soft break caret_at_eol tells on
// which line the caret shows, as End and Up/Down leave it.
#include "dialog/control_edit_model.h"

#include <algorithm>

namespace standin {

void EditModel::relayout() {
    if (multiline) {
        lines = layout_lines(text.data(), text.size(), adv, std::max(1, width), wrap);
    } else {
        // A single-line edit shows every byte on one line, breaks included.
        lines.assign(1, TextLine{0, text.size(), text.size()});
    }
    caret = std::min(caret, text.size());
    if (caret_at_eol) {
        const size_t k = line_of(caret);
        caret_at_eol = k > 0 && soft_break_at(k - 1) && lines[k].start == caret;
    }
}

void EditModel::set_text(const char *s, size_t max_bytes) {
    text.assign(s ? s : "", s ? std::min(std::char_traits<char>::length(s), max_bytes) : 0);
    caret = 0;
    caret_at_eol = false;
    goal_x = -1;
    relayout();
}

void EditModel::edited() {
    caret_at_eol = false;
    goal_x = -1;
    relayout();
}

bool EditModel::insert(const char *s, size_t n) {
    if (n == 0) return true;
    if (text.size() + n > limit) return false;
    text.insert(caret, s, n);
    caret += n;
    edited();
    return true;
}

bool EditModel::backspace() {
    if (caret == 0) return false;
    const size_t from = prev_pos(caret);
    text.erase(from, caret - from);
    caret = from;
    edited();
    return true;
}

bool EditModel::erase_forward() {
    if (caret >= text.size()) return false;
    text.erase(caret, next_pos(caret) - caret);
    edited();
    return true;
}

size_t EditModel::prev_pos(size_t i) const {
    if (i >= 2 && text[i - 1] == '\n' && text[i - 2] == '\r') return i - 2;
    return i - 1;
}

size_t EditModel::next_pos(size_t i) const {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') return i + 2;
    return i + 1;
}

bool EditModel::soft_break_at(size_t line) const {
    return line + 1 < lines.size() && lines[line].end == lines[line].next;
}

size_t EditModel::line_of(size_t pos) const {
    auto it = std::upper_bound(lines.begin(), lines.end(), pos,
                               [](size_t p, const TextLine &l) { return p < l.start; });
    return it == lines.begin() ? 0 : static_cast<size_t>(it - lines.begin()) - 1;
}

size_t EditModel::caret_line() const {
    const size_t k = line_of(caret);
    if (caret_at_eol && k > 0 && lines[k].start == caret && soft_break_at(k - 1)) return k - 1;
    return k;
}

long long EditModel::caret_x() const {
    const TextLine &l = lines[caret_line()];
    return text_span_width(text.data(), l.start, std::min(caret, l.end), adv);
}

size_t EditModel::position_at(size_t line, long long x) const {
    const TextLine &l = lines[std::min(line, lines.size() - 1)];
    long long at = 0;
    size_t i = l.start;
    while (i < l.end) {
        const int w = adv[static_cast<unsigned char>(text[i])];
        // Nearest boundary: past the middle of a glyph counts as after it.
        if (x < at + (w + 1) / 2) break;
        at += w;
        ++i;
    }
    return i;
}

void EditModel::set_caret(size_t pos) {
    caret = std::min(pos, text.size());
    caret_at_eol = false;
    goal_x = -1;
}

void EditModel::move_to(size_t line, long long x) {
    line = std::min(line, lines.size() - 1);
    goal_x = -1;
    caret = position_at(line, x);
    // The end of a soft-wrapped line is also the start of the next one.
    caret_at_eol = soft_break_at(line) && caret == lines[line].end;
}

void EditModel::move_left() {
    if (caret > 0) set_caret(prev_pos(caret));
    else set_caret(0);
}

void EditModel::move_right() {
    if (caret < text.size()) set_caret(next_pos(caret));
    else set_caret(caret);
}

void EditModel::move_up() {
    const size_t k = caret_line();
    if (goal_x < 0) goal_x = caret_x();
    if (k == 0) return;
    const long long goal = goal_x;
    move_to(k - 1, goal);
    goal_x = goal;
}

void EditModel::move_down() {
    const size_t k = caret_line();
    if (goal_x < 0) goal_x = caret_x();
    if (k + 1 >= lines.size()) return;
    const long long goal = goal_x;
    move_to(k + 1, goal);
    goal_x = goal;
}

void EditModel::move_home() {
    const size_t k = caret_line();
    set_caret(lines[k].start);
}

void EditModel::move_end() {
    const size_t k = caret_line();
    set_caret(lines[k].end);
    caret_at_eol = soft_break_at(k);
}

void EditModel::move_text_start() { set_caret(0); }

void EditModel::move_text_end() { set_caret(text.size()); }

}  // namespace standin
