# Sourced by the grade tests: make_class DIR SOURCE_DIR writes DIR/tests
# (the mouse-draw example as the reference, one test of three clicks and q)
# and DIR/subs with four students made from the same example: alice hands it
# in unchanged, bob draws the dots green, carol's does not compile, dave's
# spins before its first wait.
make_class() {
  local dir=$1 src=$2 example=$2/examples/mouse_draw.c
  mkdir -p "$dir/tests/draw" "$dir/subs"
  cp "$example" "$dir/tests/reference.c"
  printf 'TELKA_MOUSE(-100, 50);\nTELKA_MOUSE(20, -30);\nTELKA_MOUSE(150, 100);\nTELKA_KBD(113);\n' \
    >"$dir/tests/draw/script.scr"
  printf 'name = Drawing with clicks\ntimeout = 8\nweight = 2\n' >"$dir/tests/draw/test.conf"
  cp "$example" "$dir/subs/alice.c"
  sed 's/TELKA_circle(TELKA_RED/TELKA_circle(TELKA_GREEN/' "$example" >"$dir/subs/bob.c"
  printf 'int main(void) { return x; }\n' >"$dir/subs/carol.c"
  sed 's/^    start_page();/    start_page();\n    { volatile int spin = 1; while (spin) { } }/' "$example" >"$dir/subs/dave.c"
  # The edits must have taken, or the class tests nothing.
  if cmp -s "$example" "$dir/subs/bob.c" || cmp -s "$example" "$dir/subs/dave.c"; then
    echo "FAIL: the example changed; the planted edits no longer apply" >&2
    return 1
  fi
}

# The build tree's library, as pkg-config would give the installed one.
build_tree_flags() {
  local src=$1 build=$2
  export TELKA_GRADE_CFLAGS="-I$src/library/include"
  TELKA_GRADE_LIBS="$build/package/libtelka.a $(pkg-config --libs freetype2 fontconfig x11 xext libpng) -lstdc++ -lm"
  TELKA_GRADE_LIBS+=" ${GRADE_EXTRA_LIBS:-}"
  export TELKA_GRADE_LIBS
}
