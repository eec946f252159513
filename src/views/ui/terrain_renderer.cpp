// GL entry points beyond 1.1 come straight from the GL library.
#define GL_GLEXT_PROTOTYPES 1
#include "views/ui/terrain_renderer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "views/terrain_mesh.h"

namespace views::ui {

namespace {

const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;
uniform mat4 world;
uniform mat4 viewProjection;
uniform vec3 lightDirection;
uniform vec3 ambient;
out vec3 lit;
out vec2 texCoord;
void main() {
  vec4 p = world * vec4(position, 1.0);
  gl_Position = viewProjection * p;
  // The projection gives depth 0..1; GL clips -1..1.
  gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;
  vec3 n = normalize(mat3(world) * normal);
  lit = min(ambient + vec3(max(0.0, dot(n, -lightDirection))), vec3(1.0));
  texCoord = uv;
}
)";

const char* const kFragmentShader = R"(#version 330 core
in vec3 lit;
in vec2 texCoord;
uniform sampler2D map;
uniform bool textured;
out vec4 colour;
void main() {
  vec3 t = textured ? texture(map, texCoord).rgb : vec3(1.0);
  colour = vec4(t * lit, 1.0);
}
)";

GLuint Compile(GLenum type, const char* source) {
  const GLuint s = glCreateShader(type);
  glShaderSource(s, 1, &source, nullptr);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    glDeleteShader(s);
    return 0;
  }
  return s;
}

void Uniform(GLuint program, const char* name, const math::Mat4& m) {
  // Stored row-vector matrices, read column-major by GLSL: v M becomes M^T v.
  glUniformMatrix4fv(glGetUniformLocation(program, name), 1, GL_FALSE, &m.m[0][0]);
}

}  // namespace

bool TerrainRenderer::Create() {
  const GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader);
  const GLuint fs = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
  if (vs && fs) {
    program_ = glCreateProgram();
    glAttachShader(program_, vs);
    glAttachShader(program_, fs);
    glLinkProgram(program_);
    GLint linked = 0;
    glGetProgramiv(program_, GL_LINK_STATUS, &linked);
    if (!linked) {
      glDeleteProgram(program_);
      program_ = 0;
    }
  }
  if (vs) glDeleteShader(vs);
  if (fs) glDeleteShader(fs);
  if (!program_) return false;
  glGenVertexArrays(1, &vao_);
  glGenBuffers(1, &vbo_);
  glGenBuffers(1, &ebo_);
  return true;
}

void TerrainRenderer::Release() {
  ClearTexture();
  ReleaseOffscreen();
  if (vbo_) glDeleteBuffers(1, &vbo_);
  if (ebo_) glDeleteBuffers(1, &ebo_);
  if (vao_) glDeleteVertexArrays(1, &vao_);
  if (program_) glDeleteProgram(program_);
  vbo_ = ebo_ = vao_ = program_ = 0;
  indexCount_ = 0;
}

bool TerrainRenderer::UploadMesh(const TerrainMesh& mesh) {
  if (!program_) return false;
  glBindVertexArray(vao_);
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.vertices.size() * sizeof(TerrainVertex)),
               mesh.vertices.data(), GL_STATIC_DRAW);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ebo_);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.strips.size() * sizeof(std::uint32_t)),
               mesh.strips.data(), GL_STATIC_DRAW);
  const GLsizei stride = sizeof(TerrainVertex);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(TerrainVertex, x)));
  glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(TerrainVertex, nx)));
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(TerrainVertex, u)));
  for (GLuint i = 0; i < 3; ++i) glEnableVertexAttribArray(i);
  glBindVertexArray(0);
  indexCount_ = mesh.strips.size();
  return !OutOfMemory();
}

void TerrainRenderer::ClearTexture() {
  if (texture_) glDeleteTextures(1, &texture_);
  texture_ = 0;
  textureWidth_ = textureHeight_ = 0;
}

bool TerrainRenderer::ReserveTexture(int width, int height) {
  // A rebuild of the same size (another theme, an overlay shown) keeps the storage: making it
  // afresh is the slowest part of a software device's upload.
  if (texture_ && width == textureWidth_ && height == textureHeight_) return true;
  ClearTexture();
  if (width <= 0 || height <= 0) return false;
  GLuint t = 0;
  glGetError();
  glGenTextures(1, &t);
  glBindTexture(GL_TEXTURE_2D, t);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
  // No mipmaps: building them on a software renderer costs more than the mesh and the draw
  // together, and the texture's size already follows the mesh, not the cells.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  if (glGetError() != GL_NO_ERROR) {
    glDeleteTextures(1, &t);
    return false;
  }
  texture_ = t;
  textureWidth_ = width;
  textureHeight_ = height;
  return true;
}

bool TerrainRenderer::FillTexture(const platform::Image& picture) {
  if (!texture_ || picture.IsEmpty() || picture.Width() != textureWidth_ || picture.Height() != textureHeight_) {
    ClearTexture();
    return false;
  }
  cairo_surface_t* surface = picture.Surface();
  cairo_surface_flush(surface);
  glGetError();
  glBindTexture(GL_TEXTURE_2D, texture_);
  // cairo's native-endian 0xAARRGGBB words, taken as they lie (no conversion pass); rows may
  // be padded.
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, cairo_image_surface_get_stride(surface) / 4);
  // The picture's top row is the northern mesh row, where v is 0.
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, textureWidth_, textureHeight_, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                  cairo_image_surface_get_data(surface));
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  if (glGetError() != GL_NO_ERROR) {
    ClearTexture();
    return false;
  }
  return true;
}

void TerrainRenderer::Render(int width, int height, const SceneState& s) {
  glViewport(0, 0, width, height);
  glClearColor(s.background[0], s.background[1], s.background[2], 1.0f);
  glClearDepth(1.0);
  glClearStencil(0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDisable(GL_CULL_FACE);  // both sides of the surface are drawn
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  if (indexCount_ == 0 || !program_) return;
  glUseProgram(program_);
  Uniform(program_, "world", s.world);
  Uniform(program_, "viewProjection", math::Multiply(s.view, s.projection));
  glUniform3f(glGetUniformLocation(program_, "lightDirection"), s.light.x, s.light.y, s.light.z);
  glUniform3f(glGetUniformLocation(program_, "ambient"), s.ambient[0], s.ambient[1], s.ambient[2]);
  glUniform1i(glGetUniformLocation(program_, "textured"), texture_ ? 1 : 0);
  glUniform1i(glGetUniformLocation(program_, "map"), 0);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture_);
  glBindVertexArray(vao_);
  glEnable(GL_PRIMITIVE_RESTART);
  glPrimitiveRestartIndex(kStripRestart);
  glDrawElements(GL_TRIANGLE_STRIP, static_cast<GLsizei>(indexCount_), GL_UNSIGNED_INT, nullptr);
  glDisable(GL_PRIMITIVE_RESTART);
  glBindVertexArray(0);
  glUseProgram(0);
}

bool TerrainRenderer::BindOffscreen(int w, int h) {
  // Kept while the size stays, as a window keeps its own frame buffer between frames.
  if (!fbo_ || w != offscreenWidth_ || h != offscreenHeight_) {
    ReleaseOffscreen();
    glGenFramebuffers(1, &fbo_);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glGenRenderbuffers(1, &colour_);
    glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    glGenRenderbuffers(1, &depth_);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, w, h);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth_);
    offscreenWidth_ = w;
    offscreenHeight_ = h;
  }
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) return true;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  ReleaseOffscreen();
  return false;
}

void TerrainRenderer::ReleaseOffscreen() {
  if (colour_) glDeleteRenderbuffers(1, &colour_);
  if (depth_) glDeleteRenderbuffers(1, &depth_);
  if (fbo_) glDeleteFramebuffers(1, &fbo_);
  fbo_ = colour_ = depth_ = 0;
  offscreenWidth_ = offscreenHeight_ = 0;
}

std::vector<std::uint8_t> TerrainRenderer::RenderOffscreen(int w, int h, const SceneState& scene) {
  std::vector<std::uint8_t> out;
  if (w <= 0 || h <= 0 || !BindOffscreen(w, h)) return out;
  Render(w, h, scene);
  out.resize(static_cast<std::size_t>(w) * h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
  // GL's rows run bottom-up: turned over in place.
  const std::size_t row = static_cast<std::size_t>(w) * 4;
  for (int y = 0; y < h / 2; ++y)
    std::swap_ranges(out.begin() + static_cast<std::ptrdiff_t>(y * row),
                     out.begin() + static_cast<std::ptrdiff_t>((y + 1) * row),
                     out.begin() + static_cast<std::ptrdiff_t>((h - 1 - y) * row));
  if (glGetError() != GL_NO_ERROR) out.clear();
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  return out;
}

int TerrainRenderer::MaxTextureSize() {
  GLint v = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &v);
  return v;
}

bool TerrainRenderer::OutOfMemory() {
  bool oom = false;
  for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) oom |= e == GL_OUT_OF_MEMORY;
  return oom;
}

}  // namespace views::ui
