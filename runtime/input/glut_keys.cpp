// The four GLUT keyboard callbacks: they read the modifier state and hand
// the key on to the runtime's character and special-key handlers. The
// pointer position GLUT passes along is not used.
#include <GL/freeglut.h>
#include "runtime/input/keyboard.h"

static_assert(KEY_MOD_SHIFT == GLUT_ACTIVE_SHIFT && KEY_MOD_CTRL == GLUT_ACTIVE_CTRL && KEY_MOD_ALT == GLUT_ACTIVE_ALT);

void rt_glut_keyboard(unsigned char key, int, int) { rt_on_char_key(key & 0xFF, true, glutGetModifiers()); }

void rt_glut_keyboard_up(unsigned char key, int, int) { rt_on_char_key(key & 0xFF, false, glutGetModifiers()); }

void rt_glut_special(int key, int, int) { rt_on_special_key(key, true); }

void rt_glut_special_up(int key, int, int) { rt_on_special_key(key, false); }
