// The nanovg GL2 back end and framebuffer helpers, compiled once against
// the glad loader. GL 2.1 has framebuffers through
// GL_ARB_framebuffer_object, which the loader resolves, so the helpers are
// told that framebuffers are available.
#include <glad/gl.h>
#define NANOVG_GL2_IMPLEMENTATION
#define NANOVG_FBO_VALID 1
#include "nanovg.h"
#include "nanovg_gl.h"
#include "nanovg_gl_utils.h"
