// GL entry points beyond 1.1 come straight from the GL library.
#define GL_GLEXT_PROTOTYPES 1
#include "views/ui/terrain_renderer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include "views/terrain_mesh.h"

namespace views::ui {

namespace {

// The surface pass in two kinds. Under a grey ambient light every face's lighting is one
// value, carried with the map coordinates in one vector (GREY): a software device sets up
// every face for each value it carries, so fewer values draw the faces sooner.
const char* const kSurfaceVersion = "#version 330 core\n";
const char* const kGrey = "#define GREY 1\n";
const char* const kVertexShader = R"(
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;
uniform mat4 world;
uniform mat4 viewProjection;
uniform vec3 lightDirection;
uniform vec3 ambient;
#ifdef GREY
out vec3 litUv;
#else
out vec3 lit;
out vec2 texCoord;
#endif
void main() {
  vec4 p = world * vec4(position, 1.0);
  gl_Position = viewProjection * p;
  // The projection gives depth 0..1; GL clips -1..1.
  gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;
  vec3 n = normalize(mat3(world) * normal);
  vec3 l = min(ambient + vec3(max(0.0, dot(n, -lightDirection))), vec3(1.0));
#ifdef GREY
  litUv = vec3(l.r, uv);
#else
  lit = l;
  texCoord = uv;
#endif
}
)";

// The surface pass keeps each pixel's lighting and texture coordinates (exact floats); the
// map is looked up afterwards, so the faces can be drawn before the map picture is ready.
const char* const kFragmentShader = R"(
#ifdef GREY
in vec3 litUv;
#else
in vec3 lit;
in vec2 texCoord;
#endif
layout(location = 0) out vec4 shade;
layout(location = 1) out vec2 coord;
void main() {
#ifdef GREY
  shade = vec4(vec3(litUv.x), 1.0);
  coord = litUv.yz;
#else
  shade = vec4(lit, 1.0);
  coord = texCoord;
#endif
}
)";

// One triangle over the whole frame: the map through each surface pixel's coordinates,
// modulated by its lighting; the background where no face was drawn.
const char* const kComposeVertexShader = R"(#version 330 core
void main() {
  vec2 p = vec2(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? 3.0 : -1.0);
  gl_Position = vec4(p, 0.0, 1.0);
}
)";

const char* const kComposeFragmentShader = R"(#version 330 core
uniform sampler2D shades;
uniform sampler2D coords;
uniform sampler2D map;
uniform bool textured;
uniform vec3 background;
out vec4 colour;
void main() {
  ivec2 at = ivec2(gl_FragCoord.xy);
  vec4 lit = texelFetch(shades, at, 0);
  if (lit.a == 0.0) {
    colour = vec4(background, 1.0);
    return;
  }
  // The map has one level, so no level of detail is wanted.
  vec3 t = textured ? textureLod(map, texelFetch(coords, at, 0).xy, 0.0).rgb : vec3(1.0);
  colour = vec4(t * lit.rgb, 1.0);
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

GLuint Link(const char* vertexSource, const char* fragmentSource) {
  const GLuint vs = Compile(GL_VERTEX_SHADER, vertexSource);
  const GLuint fs = Compile(GL_FRAGMENT_SHADER, fragmentSource);
  GLuint program = 0;
  if (vs && fs) {
    program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) {
      glDeleteProgram(program);
      program = 0;
    }
  }
  if (vs) glDeleteShader(vs);
  if (fs) glDeleteShader(fs);
  return program;
}

}  // namespace

bool TerrainRenderer::Create() {
  const std::string plain = kSurfaceVersion, grey = plain + kGrey;
  program_ = Link((plain + kVertexShader).c_str(), (plain + kFragmentShader).c_str());
  greyProgram_ = Link((grey + kVertexShader).c_str(), (grey + kFragmentShader).c_str());
  compose_ = Link(kComposeVertexShader, kComposeFragmentShader);
  if (!program_ || !greyProgram_ || !compose_) {
    Release();
    return false;
  }
  glGenVertexArrays(1, &vao_);
  glGenVertexArrays(1, &emptyVao_);
  glGenBuffers(1, &vbo_);
  glGenBuffers(1, &ebo_);
  return true;
}

void TerrainRenderer::Release() {
  ClearTexture();
  ReleaseOffscreen();
  ReleaseSurfaceFrame();
  if (vbo_) glDeleteBuffers(1, &vbo_);
  if (ebo_) glDeleteBuffers(1, &ebo_);
  if (vao_) glDeleteVertexArrays(1, &vao_);
  if (emptyVao_) glDeleteVertexArrays(1, &emptyVao_);
  if (program_) glDeleteProgram(program_);
  if (greyProgram_) glDeleteProgram(greyProgram_);
  if (compose_) glDeleteProgram(compose_);
  vbo_ = ebo_ = vao_ = emptyVao_ = program_ = greyProgram_ = compose_ = 0;
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
  surfaceDrawn_ = false;
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

bool TerrainRenderer::BindSurfaceFrame(int w, int h) {
  if (!surfaceFbo_ || w != surfaceWidth_ || h != surfaceHeight_) {
    ReleaseSurfaceFrame();
    glGenFramebuffers(1, &surfaceFbo_);
    glBindFramebuffer(GL_FRAMEBUFFER, surfaceFbo_);
    const GLint formats[2] = {GL_RGBA32F, GL_RG32F};
    const GLenum layouts[2] = {GL_RGBA, GL_RG};
    glGenTextures(2, surfaceTargets_);
    for (int i = 0; i < 2; ++i) {
      glBindTexture(GL_TEXTURE_2D, surfaceTargets_[i]);
      glTexImage2D(GL_TEXTURE_2D, 0, formats[i], w, h, 0, layouts[i], GL_FLOAT, nullptr);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
      glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i, GL_TEXTURE_2D, surfaceTargets_[i], 0);
    }
    glGenRenderbuffers(1, &surfaceDepth_);
    glBindRenderbuffer(GL_RENDERBUFFER, surfaceDepth_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, w, h);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, surfaceDepth_);
    const GLenum targets[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
    glDrawBuffers(2, targets);
    surfaceWidth_ = w;
    surfaceHeight_ = h;
  }
  glBindFramebuffer(GL_FRAMEBUFFER, surfaceFbo_);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) return true;
  ReleaseSurfaceFrame();
  return false;
}

void TerrainRenderer::ReleaseSurfaceFrame() {
  if (surfaceTargets_[0]) glDeleteTextures(2, surfaceTargets_);
  if (surfaceDepth_) glDeleteRenderbuffers(1, &surfaceDepth_);
  if (surfaceFbo_) glDeleteFramebuffers(1, &surfaceFbo_);
  surfaceTargets_[0] = surfaceTargets_[1] = surfaceDepth_ = surfaceFbo_ = 0;
  surfaceWidth_ = surfaceHeight_ = 0;
  surfaceDrawn_ = false;
}

bool TerrainRenderer::DrawSurface(int width, int height, const SceneState& s) {
  GLint drawTarget = 0, readTarget = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawTarget);
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readTarget);
  surfaceDrawn_ = false;
  const bool bound = width > 0 && height > 0 && BindSurfaceFrame(width, height);
  if (bound) {
    glViewport(0, 0, width, height);
    const GLfloat none[4] = {0, 0, 0, 0};
    glClearBufferfv(GL_COLOR, 0, none);
    glClearBufferfv(GL_COLOR, 1, none);
    glClearDepth(1.0);
    glClearStencil(0);
    glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    if (indexCount_ > 0 && program_) {
      glEnable(GL_DEPTH_TEST);
      glDepthFunc(GL_LEQUAL);
      glDisable(GL_CULL_FACE);  // both sides of the surface are drawn
      const bool greyLight = s.ambient[0] == s.ambient[1] && s.ambient[1] == s.ambient[2];
      const GLuint program = greyLight ? greyProgram_ : program_;
      glUseProgram(program);
      Uniform(program, "world", s.world);
      Uniform(program, "viewProjection", math::Multiply(s.view, s.projection));
      glUniform3f(glGetUniformLocation(program, "lightDirection"), s.light.x, s.light.y, s.light.z);
      glUniform3f(glGetUniformLocation(program, "ambient"), s.ambient[0], s.ambient[1], s.ambient[2]);
      glBindVertexArray(vao_);
      glEnable(GL_PRIMITIVE_RESTART);
      glPrimitiveRestartIndex(kStripRestart);
      glDrawElements(GL_TRIANGLE_STRIP, static_cast<GLsizei>(indexCount_), GL_UNSIGNED_INT, nullptr);
      glDisable(GL_PRIMITIVE_RESTART);
      glBindVertexArray(0);
      glUseProgram(0);
      glDisable(GL_DEPTH_TEST);
    }
    surfaceDrawn_ = true;
    surfaceScene_ = s;
  }
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawTarget));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readTarget));
  return bound;
}

bool TerrainRenderer::SurfaceDrawnFor(int width, int height, const SceneState& s) const {
  // Everything the surface pass uses; the background only shows in the second pass.
  auto same = [](const auto& a, const auto& b) { return std::memcmp(&a, &b, sizeof a) == 0; };
  return surfaceDrawn_ && width == surfaceWidth_ && height == surfaceHeight_ && same(s.world, surfaceScene_.world) &&
         same(s.view, surfaceScene_.view) && same(s.projection, surfaceScene_.projection) &&
         same(s.light, surfaceScene_.light) && same(s.ambient, surfaceScene_.ambient);
}

void TerrainRenderer::Render(int width, int height, const SceneState& s) {
  if (!SurfaceDrawnFor(width, height, s)) DrawSurface(width, height, s);
  glViewport(0, 0, width, height);
  glDisable(GL_DEPTH_TEST);
  glClearColor(s.background[0], s.background[1], s.background[2], 1.0f);
  if (!surfaceDrawn_ || !compose_) {
    glClear(GL_COLOR_BUFFER_BIT);
    return;
  }
  glUseProgram(compose_);
  glUniform1i(glGetUniformLocation(compose_, "shades"), 0);
  glUniform1i(glGetUniformLocation(compose_, "coords"), 1);
  glUniform1i(glGetUniformLocation(compose_, "map"), 2);
  glUniform1i(glGetUniformLocation(compose_, "textured"), texture_ ? 1 : 0);
  glUniform3f(glGetUniformLocation(compose_, "background"), s.background[0], s.background[1], s.background[2]);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, surfaceTargets_[0]);
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, surfaceTargets_[1]);
  glActiveTexture(GL_TEXTURE2);
  glBindTexture(GL_TEXTURE_2D, texture_);
  glBindVertexArray(emptyVao_);
  glDrawArrays(GL_TRIANGLES, 0, 3);
  glBindVertexArray(0);
  glActiveTexture(GL_TEXTURE0);
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
  if (fbo_) glDeleteFramebuffers(1, &fbo_);
  fbo_ = colour_ = 0;
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
