#include "d3dx/d3dx_math.h"

#include <cmath>

#include "platform/game_math.h"

D3DXMATRIX::D3DXMATRIX(float f11, float f12, float f13, float f14, float f21, float f22, float f23, float f24,
                       float f31, float f32, float f33, float f34, float f41, float f42, float f43, float f44) {
    _11 = f11;
    _12 = f12;
    _13 = f13;
    _14 = f14;
    _21 = f21;
    _22 = f22;
    _23 = f23;
    _24 = f24;
    _31 = f31;
    _32 = f32;
    _33 = f33;
    _34 = f34;
    _41 = f41;
    _42 = f42;
    _43 = f43;
    _44 = f44;
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& mat) {
    D3DXMatrixMultiply(this, this, &mat);
    return *this;
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& mat) const {
    D3DXMATRIX r;
    D3DXMatrixMultiply(&r, this, &mat);
    return r;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& mat) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m[r][c] != mat.m[r][c]) return false;
    return true;
}

float D3DXVec3LengthSq(const D3DXVECTOR3* v) { return v->x * v->x + v->y * v->y + v->z * v->z; }
float D3DXVec3Length(const D3DXVECTOR3* v) { return std::sqrt(D3DXVec3LengthSq(v)); }
float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
    const D3DXVECTOR3 r(a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x);
    *out = r;
    return out;
}

D3DXVECTOR3* D3DXVec3Add(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
    *out = *a + *b;
    return out;
}

D3DXVECTOR3* D3DXVec3Subtract(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
    *out = *a - *b;
    return out;
}

D3DXVECTOR3* D3DXVec3Scale(D3DXVECTOR3* out, const D3DXVECTOR3* v, float s) {
    *out = *v * s;
    return out;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
    const float len = D3DXVec3Length(v);
    if (len == 0.0f || !std::isfinite(len)) {
        *out = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    } else {
        *out = *v / len;
    }
    return out;
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
    const float x = v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + m->_41;
    const float y = v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + m->_42;
    const float z = v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + m->_43;
    const float w = v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + m->_44;
    if (w != 0.0f && w != 1.0f) {
        const float inv = 1.0f / w;
        *out = D3DXVECTOR3(x * inv, y * inv, z * inv);
    } else {
        *out = D3DXVECTOR3(x, y, z);
    }
    return out;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
    const float x = v->x * m->_11 + v->y * m->_21 + v->z * m->_31;
    const float y = v->x * m->_12 + v->y * m->_22 + v->z * m->_32;
    const float z = v->x * m->_13 + v->y * m->_23 + v->z * m->_33;
    *out = D3DXVECTOR3(x, y, z);
    return out;
}

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
    *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

bool D3DXMatrixIsIdentity(const D3DXMATRIX* m) {
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    return *m == id;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] =
                a->m[i][0] * b->m[0][j] + a->m[i][1] * b->m[1][j] + a->m[i][2] * b->m[2][j] + a->m[i][3] * b->m[3][j];
    *out = r;
    return out;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m) {
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = m->m[j][i];
    *out = r;
    return out;
}

namespace {

// Cofactor expansion shared by the determinant and the inverse; the 2x2
// minors of the lower and upper halves are computed once.
struct Cofactors {
    float c[4][4];  // adjugate (already transposed)
    float det;
};

Cofactors Adjugate(const D3DXMATRIX& a) {
    const float(&m)[4][4] = a.m;
    const float s0 = m[0][0] * m[1][1] - m[1][0] * m[0][1];
    const float s1 = m[0][0] * m[1][2] - m[1][0] * m[0][2];
    const float s2 = m[0][0] * m[1][3] - m[1][0] * m[0][3];
    const float s3 = m[0][1] * m[1][2] - m[1][1] * m[0][2];
    const float s4 = m[0][1] * m[1][3] - m[1][1] * m[0][3];
    const float s5 = m[0][2] * m[1][3] - m[1][2] * m[0][3];
    const float c5 = m[2][2] * m[3][3] - m[3][2] * m[2][3];
    const float c4 = m[2][1] * m[3][3] - m[3][1] * m[2][3];
    const float c3 = m[2][1] * m[3][2] - m[3][1] * m[2][2];
    const float c2 = m[2][0] * m[3][3] - m[3][0] * m[2][3];
    const float c1 = m[2][0] * m[3][2] - m[3][0] * m[2][2];
    const float c0 = m[2][0] * m[3][1] - m[3][0] * m[2][1];

    Cofactors r;
    r.det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    r.c[0][0] = m[1][1] * c5 - m[1][2] * c4 + m[1][3] * c3;
    r.c[0][1] = -m[0][1] * c5 + m[0][2] * c4 - m[0][3] * c3;
    r.c[0][2] = m[3][1] * s5 - m[3][2] * s4 + m[3][3] * s3;
    r.c[0][3] = -m[2][1] * s5 + m[2][2] * s4 - m[2][3] * s3;
    r.c[1][0] = -m[1][0] * c5 + m[1][2] * c2 - m[1][3] * c1;
    r.c[1][1] = m[0][0] * c5 - m[0][2] * c2 + m[0][3] * c1;
    r.c[1][2] = -m[3][0] * s5 + m[3][2] * s2 - m[3][3] * s1;
    r.c[1][3] = m[2][0] * s5 - m[2][2] * s2 + m[2][3] * s1;
    r.c[2][0] = m[1][0] * c4 - m[1][1] * c2 + m[1][3] * c0;
    r.c[2][1] = -m[0][0] * c4 + m[0][1] * c2 - m[0][3] * c0;
    r.c[2][2] = m[3][0] * s4 - m[3][1] * s2 + m[3][3] * s0;
    r.c[2][3] = -m[2][0] * s4 + m[2][1] * s2 - m[2][3] * s0;
    r.c[3][0] = -m[1][0] * c3 + m[1][1] * c1 - m[1][2] * c0;
    r.c[3][1] = m[0][0] * c3 - m[0][1] * c1 + m[0][2] * c0;
    r.c[3][2] = -m[3][0] * s3 + m[3][1] * s1 - m[3][2] * s0;
    r.c[3][3] = m[2][0] * s3 - m[2][1] * s1 + m[2][2] * s0;
    return r;
}

}  // namespace

float D3DXMatrixDeterminant(const D3DXMATRIX* m) { return Adjugate(*m).det; }

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m) {
    const Cofactors cf = Adjugate(*m);
    if (determinant) *determinant = cf.det;
    if (cf.det == 0.0f || !std::isfinite(cf.det)) return nullptr;
    const float inv = 1.0f / cf.det;
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = cf.c[i][j] * inv;
    *out = r;
    return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
    *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz) {
    *out = D3DXMATRIX(sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle) {
    const auto [s, c] = gm::SinCos(angle);
    *out = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle) {
    const auto [s, c] = gm::SinCos(angle);
    *out = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle) {
    const auto [s, c] = gm::SinCos(angle);
    *out = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at, const D3DXVECTOR3* up) {
    D3DXVECTOR3 zaxis = *at - *eye;
    D3DXVec3Normalize(&zaxis, &zaxis);
    D3DXVECTOR3 xaxis;
    D3DXVec3Cross(&xaxis, up, &zaxis);
    D3DXVec3Normalize(&xaxis, &xaxis);
    D3DXVECTOR3 yaxis;
    D3DXVec3Cross(&yaxis, &zaxis, &xaxis);
    *out = D3DXMATRIX(xaxis.x, yaxis.x, zaxis.x, 0, xaxis.y, yaxis.y, zaxis.y, 0, xaxis.z, yaxis.z, zaxis.z, 0,
                      -D3DXVec3Dot(&xaxis, eye), -D3DXVec3Dot(&yaxis, eye), -D3DXVec3Dot(&zaxis, eye), 1);
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovy, float aspect, float zn, float zf) {
    const float yScale = 1.0f / gm::Tan(fovy * 0.5f);
    const float xScale = yScale / aspect;
    const float q = zf / (zf - zn);
    *out = D3DXMATRIX(xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, q, 1, 0, 0, -zn * q, 0);
    return out;
}

UINT D3DXGetFVFVertexSize(DWORD fvf) {
    UINT size = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
        case D3DFVF_XYZ: size = 12; break;
        case D3DFVF_XYZRHW: size = 16; break;
        case 0x006: size = 16; break;  // XYZB1
        case 0x008: size = 20; break;  // XYZB2
        case 0x00A: size = 24; break;  // XYZB3
        case 0x00C: size = 28; break;  // XYZB4
        case 0x00E: size = 32; break;  // XYZB5
        default: break;
    }
    if (fvf & D3DFVF_NORMAL) size += 12;
    if (fvf & 0x020) size += 4;  // point size
    if (fvf & D3DFVF_DIFFUSE) size += 4;
    if (fvf & D3DFVF_SPECULAR) size += 4;
    const UINT texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    for (UINT i = 0; i < texCount && i < 8; ++i) {
        // Two bits per set from bit 16: 0 = two floats, 1 = three, 2 = four, 3 = one.
        static constexpr UINT kFloats[4] = {2, 3, 4, 1};
        size += 4 * kFloats[(fvf >> (16 + 2 * i)) & 3];
    }
    return size;
}
