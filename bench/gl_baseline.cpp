// The floor under the renderer: a bare SDL2 + OpenGL 3.3 program that
// clears and draws four full-screen alpha-blended quads per frame, with no
// game, no device layer and no vsync, and prints the frames per second.
// With --gles it does the same on an OpenGL ES 3.0 context, as the game's
// --gles does.
//
//   gl_baseline [--seconds N] [--size WxH] [--gles]
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "gfx/gl/gl_build.h"

namespace {

const char* const kVertex = R"(
layout(location = 0) in vec2 aPos;
void main() { gl_Position = vec4(aPos, 0.5, 1.0); }
)";

const char* const kFragment = R"(
uniform vec4 uColor;
out vec4 fragColor;
void main() { fragColor = uColor; }
)";

GLuint Compile(GLenum type, const char* version, const char* src) {
    std::string error;
    const std::string text = std::string(version) + src;
    const GLuint s = gfx::CompileShader(type, text.c_str(), error);
    if (s == 0) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 5.0;
    int width = 800, height = 600;
    bool gles = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0) {
                std::fprintf(stderr, "bad --size\n");
                return 2;
            }
        } else if (std::strcmp(argv[i], "--gles") == 0) {
            gles = true;
        } else {
            std::fprintf(stderr, "usage: gl_baseline [--seconds N] [--size WxH] [--gles]\n");
            return 2;
        }
    }
    if (seconds <= 0.0) seconds = 1.0;

    if (gles) {
        SDL_SetHint(SDL_HINT_VIDEO_X11_FORCE_EGL, "1");
        SDL_SetHint(SDL_HINT_OPENGL_ES_DRIVER, "1");
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, gles ? 0 : 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, gles ? SDL_GL_CONTEXT_PROFILE_ES : SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* window = SDL_CreateWindow("gl baseline", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                          width, height, SDL_WINDOW_OPENGL);
    if (window == nullptr) {
        std::fprintf(stderr, "window: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
        std::fprintf(stderr, "%s: %s\n", gles ? "GLES 3.0" : "GL 3.3 core", SDL_GetError());
        return 1;
    }
    SDL_GL_SetSwapInterval(0);

    std::string linkError;
    const char* version = gles ? "#version 300 es\nprecision highp float;\n" : "#version 330 core\n";
    const GLuint program = gfx::LinkProgram(Compile(GL_VERTEX_SHADER, version, kVertex),
                                            Compile(GL_FRAGMENT_SHADER, version, kFragment), linkError);
    if (program == 0) {
        std::fprintf(stderr, "%s\n", linkError.c_str());
        return 1;
    }
    glUseProgram(program);
    const GLint color = glGetUniformLocation(program, "uColor");

    const float quad[12] = {-1, -1, 1, -1, -1, 1, -1, 1, 1, -1, 1, 1};
    GLuint vao = 0, vbo = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(1, &vbo);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glViewport(0, 0, width, height);

    std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    const Uint64 freq = SDL_GetPerformanceFrequency();
    const Uint64 start = SDL_GetPerformanceCounter();
    const auto limit = static_cast<Uint64>(seconds * static_cast<double>(freq));
    long frames = 0;
    bool quit = false;
    while (!quit && SDL_GetPerformanceCounter() - start < limit) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (e.type == SDL_QUIT) quit = true;
        }
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (int q = 0; q < 4; ++q) {
            glUniform4f(color, 0.2f * static_cast<float>(q + 1), 0.5f, 1.0f - 0.2f * static_cast<float>(q), 0.5f);
            glDrawArrays(GL_TRIANGLES, 0, 6);
        }
        SDL_GL_SwapWindow(window);
        ++frames;
    }
    const double elapsed = static_cast<double>(SDL_GetPerformanceCounter() - start) / static_cast<double>(freq);
    std::printf("%dx%d: %ld frames in %.2f s = %.1f frames per second\n", width, height, frames, elapsed,
                static_cast<double>(frames) / elapsed);

    glDeleteBuffers(1, &vbo);
    glDeleteVertexArrays(1, &vao);
    glDeleteProgram(program);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
