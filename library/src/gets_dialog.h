// The line-input dialog's in-memory template and dialog procedure.
#pragma once

#include <windows.h>

#include <cstddef>

constexpr size_t kGetsTemplateSize = 292;

// Fills `buffer` (kGetsTemplateSize bytes, 4-byte aligned) with the dialog
// template for `prompt`.
void build_gets_template(unsigned char *buffer, const char *prompt);

INT_PTR CALLBACK gets_dialog_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
