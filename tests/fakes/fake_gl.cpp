// The recording GL and GLU. Mipmap uploads keep the image size and a checksum
// of its bytes instead of the bytes themselves.
#include "fake_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdint>
#include <initializer_list>

namespace fakegl {

std::vector<GlCall> calls;
static GLuint nextTextureName = 1;

void reset() {
    calls.clear();
    nextTextureName = 1;
}

std::vector<GlCall> named(const std::string& name) {
    std::vector<GlCall> result;
    for (const GlCall& call : calls)
        if (call.name == name)
            result.push_back(call);
    return result;
}

size_t count(const std::string& name) {
    return named(name).size();
}

size_t find(const std::string& name, size_t from) {
    for (size_t i = from; i < calls.size(); ++i)
        if (calls[i].name == name)
            return i;
    return calls.size();
}

static void record(const char* name, std::initializer_list<double> args) {
    calls.push_back(GlCall{name, std::vector<double>(args)});
}

static void recordArray(const char* name, std::initializer_list<double> head, const float* values,
                        int n) {
    GlCall call{name, std::vector<double>(head)};
    for (int i = 0; i < n; ++i)
        call.args.push_back(values[i]);
    calls.push_back(call);
}

} // namespace fakegl

using fakegl::record;
using fakegl::recordArray;

extern "C" {

void glLineWidth(GLfloat width) {
    record("glLineWidth", {width});
}
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    record("glViewport", {double(x), double(y), double(w), double(h)});
}
void glMatrixMode(GLenum mode) {
    record("glMatrixMode", {double(mode)});
}
void glLoadIdentity(void) {
    record("glLoadIdentity", {});
}
void glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    record("glFrustum", {l, r, b, t, n, f});
}
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    record("glClearColor", {r, g, b, a});
}
void glClearDepth(GLclampd depth) {
    record("glClearDepth", {depth});
}
void glDepthFunc(GLenum func) {
    record("glDepthFunc", {double(func)});
}
void glEnable(GLenum cap) {
    record("glEnable", {double(cap)});
}
void glDisable(GLenum cap) {
    record("glDisable", {double(cap)});
}
void glShadeModel(GLenum mode) {
    record("glShadeModel", {double(mode)});
}
void glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
    recordArray("glLightfv", {double(light), double(pname)}, params, 4);
}
void glClear(GLbitfield mask) {
    record("glClear", {double(mask)});
}
void glPixelStorei(GLenum pname, GLint param) {
    record("glPixelStorei", {double(pname), double(param)});
}
void glBindTexture(GLenum target, GLuint texture) {
    record("glBindTexture", {double(target), double(texture)});
}
void glTexParameteri(GLenum target, GLenum pname, GLint param) {
    record("glTexParameteri", {double(target), double(pname), double(param)});
}
void glNewList(GLuint list, GLenum mode) {
    record("glNewList", {double(list), double(mode)});
}
void glEndList(void) {
    record("glEndList", {});
}
void glCallList(GLuint list) {
    record("glCallList", {double(list)});
}
void glMaterialf(GLenum face, GLenum pname, GLfloat param) {
    record("glMaterialf", {double(face), double(pname), param});
}
void glHint(GLenum target, GLenum mode) {
    record("glHint", {double(target), double(mode)});
}
void glBegin(GLenum mode) {
    record("glBegin", {double(mode)});
}
void glEnd(void) {
    record("glEnd", {});
}
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    record("glNormal3f", {x, y, z});
}
void glTexCoord2f(GLfloat s, GLfloat t) {
    record("glTexCoord2f", {s, t});
}
void glColor3ub(GLubyte r, GLubyte g, GLubyte b) {
    record("glColor3ub", {double(r), double(g), double(b)});
}
void glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    record("glColor3f", {r, g, b});
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    record("glVertex3f", {x, y, z});
}
void glPushMatrix(void) {
    record("glPushMatrix", {});
}
void glPopMatrix(void) {
    record("glPopMatrix", {});
}
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    record("glTranslatef", {x, y, z});
}
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    record("glRotatef", {angle, x, y, z});
}
void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    record("glScalef", {x, y, z});
}

void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
    // Colours are read as four values, as GL does; the shininess is one.
    recordArray("glMaterialfv", {double(face), double(pname)}, params,
                pname == GL_SHININESS ? 1 : 4);
}

void glGenTextures(GLsizei n, GLuint* textures) {
    record("glGenTextures", {double(n)});
    for (GLsizei i = 0; i < n; ++i)
        textures[i] = fakegl::nextTextureName++;
}

GLint gluBuild2DMipmaps(GLenum target, GLint components, GLsizei width, GLsizei height,
                        GLenum format, GLenum type, const void* data) {
    // Reads every byte, so that a short buffer shows up under AddressSanitizer.
    const auto* bytes = static_cast<const unsigned char*>(data);
    uint32_t checksum = 2166136261u;
    const size_t size = size_t(width) * size_t(height) * 3;
    for (size_t i = 0; i < size; ++i)
        checksum = (checksum ^ bytes[i]) * 16777619u;
    record("gluBuild2DMipmaps", {double(target), double(components), double(width), double(height),
                                 double(format), double(type), double(checksum)});
    return 0;
}

void gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz,
               GLdouble ux, GLdouble uy, GLdouble uz) {
    record("gluLookAt", {ex, ey, ez, cx, cy, cz, ux, uy, uz});
}

} // extern "C"
