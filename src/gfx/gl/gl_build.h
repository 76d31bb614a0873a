#pragma once
// Compiling a shader and linking a program (the GL context must be current),
// with the driver's log as the error when either fails. Header only, so that
// a bare GL program (bench/gl_baseline) can use it without the device.
#include <string>

#include "gfx/gl/gl_api.h"

namespace gfx {

// The shader, or 0 with `error` naming the stage and giving the log.
inline GLuint CompileShader(GLenum type, const char* text, std::string& error) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE) return shader;
    char log[2048] = {};
    glGetShaderInfoLog(shader, sizeof log - 1, nullptr, log);
    error = std::string(type == GL_VERTEX_SHADER ? "vertex shader: " : "fragment shader: ") + log;
    glDeleteShader(shader);
    return 0;
}

// Links the shaders into a new program and detaches them again; the
// program, or 0 with `error` giving the link log.
inline GLuint LinkProgram(GLuint vs, GLuint fs, std::string& error) {
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDetachShader(program, vs);
    glDetachShader(program, fs);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked == GL_TRUE) return program;
    char log[2048] = {};
    glGetProgramInfoLog(program, sizeof log - 1, nullptr, log);
    error = std::string("link: ") + log;
    glDeleteProgram(program);
    return 0;
}

}  // namespace gfx
