// The two shader programs of the native viewer and the uniforms each one reads. The lit
// program draws meshes with Direct3D 9's fixed-function lighting equations, per vertex; the
// screen program draws quads given in window pixels. Both end in the same fragment
// stage: the texture (if any) modulated by the diffuse colour, plus the specular colour.
#pragma once

#include <epoxy/gl.h>

struct LitProgram {
    GLuint name = 0;
    GLint worldView, normalMatrix, projection, pixelOffset;
    GLint lighting, lightDiffuse, lightSpecular, lightAmbient, toLight;
    GLint materialDiffuse, materialAmbient, materialSpecular, materialEmissive, materialPower;
    GLint specularEnable, hasTexture, vertexColours;
};

struct ScreenProgram {
    GLuint name = 0;
    GLint pictureSize, hasTexture;
};

// Compile and link a program and look its uniforms up; false, with the reason noted as the
// start-up failure, when it does not compile or link.
bool buildLitProgram(LitProgram& program);
bool buildScreenProgram(ScreenProgram& program);
