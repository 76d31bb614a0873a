#pragma once
// Vectors and matrices with the D3DX names: left-handed coordinates, row
// vectors (v' = v * M), so translation lives in the fourth row and
// A * B applies A first.
#include "platform/d3d_types.h"

constexpr float D3DX_PI = 3.141592654f;
constexpr float D3DXToRadian(float degree) { return degree * (D3DX_PI / 180.0f); }
constexpr float D3DXToDegree(float radian) { return radian * (180.0f / D3DX_PI); }

struct D3DXVECTOR3 : public D3DVECTOR {
    D3DXVECTOR3() : D3DVECTOR{0.0f, 0.0f, 0.0f} {}
    D3DXVECTOR3(const D3DVECTOR& v) : D3DVECTOR(v) {}
    D3DXVECTOR3(float fx, float fy, float fz) : D3DVECTOR{fx, fy, fz} {}

    D3DXVECTOR3& operator+=(const D3DXVECTOR3& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    D3DXVECTOR3& operator-=(const D3DXVECTOR3& v) {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }
    D3DXVECTOR3& operator*=(float f) {
        x *= f;
        y *= f;
        z *= f;
        return *this;
    }
    D3DXVECTOR3& operator/=(float f) {
        const float inv = 1.0f / f;
        x *= inv;
        y *= inv;
        z *= inv;
        return *this;
    }

    D3DXVECTOR3 operator+() const { return *this; }
    D3DXVECTOR3 operator-() const { return {-x, -y, -z}; }
    D3DXVECTOR3 operator+(const D3DXVECTOR3& v) const { return {x + v.x, y + v.y, z + v.z}; }
    D3DXVECTOR3 operator-(const D3DXVECTOR3& v) const { return {x - v.x, y - v.y, z - v.z}; }
    D3DXVECTOR3 operator*(float f) const { return {x * f, y * f, z * f}; }
    D3DXVECTOR3 operator/(float f) const {
        const float inv = 1.0f / f;
        return {x * inv, y * inv, z * inv};
    }
    friend D3DXVECTOR3 operator*(float f, const D3DXVECTOR3& v) { return v * f; }

    bool operator==(const D3DXVECTOR3& v) const { return x == v.x && y == v.y && z == v.z; }
    bool operator!=(const D3DXVECTOR3& v) const { return !(*this == v); }
};

struct D3DXMATRIX : public D3DMATRIX {
    D3DXMATRIX() : D3DMATRIX{} {}
    D3DXMATRIX(const D3DMATRIX& mat) : D3DMATRIX(mat) {}
    D3DXMATRIX(float f11, float f12, float f13, float f14, float f21, float f22, float f23, float f24, float f31,
               float f32, float f33, float f34, float f41, float f42, float f43, float f44);

    float& operator()(UINT row, UINT col) { return m[row][col]; }
    float operator()(UINT row, UINT col) const { return m[row][col]; }

    D3DXMATRIX& operator*=(const D3DXMATRIX& mat);
    D3DXMATRIX operator*(const D3DXMATRIX& mat) const;

    bool operator==(const D3DXMATRIX& mat) const;
    bool operator!=(const D3DXMATRIX& mat) const { return !(*this == mat); }
};

// Vectors.
float D3DXVec3Length(const D3DXVECTOR3* v);
float D3DXVec3LengthSq(const D3DXVECTOR3* v);
float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* D3DXVec3Add(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* D3DXVec3Subtract(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* D3DXVec3Scale(D3DXVECTOR3* out, const D3DXVECTOR3* v, float s);
// A zero-length vector normalises to the zero vector rather than to NaNs.
D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v);
// (x, y, z, 1) * m, divided by the resulting w (left alone when w is 0).
D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);
// (x, y, z, 0) * m: rotation and scale only.
D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);

// Matrices. Every function may be called with out aliasing an input.
D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out);
bool D3DXMatrixIsIdentity(const D3DXMATRIX* m);
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);
D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m);
float D3DXMatrixDeterminant(const D3DXMATRIX* m);
// Returns nullptr (and leaves out untouched) when m is singular.
D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m);
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z);
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz);
D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at, const D3DXVECTOR3* up);
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovy, float aspect, float zn, float zf);

// The same functions on the plain Direct3D records, for fields declared as
// D3DMATRIX / D3DVECTOR (the Game context's matrices, for one). Arguments of
// the D3DX types still pick the functions above; any mix lands here.
inline D3DMATRIX* D3DXMatrixIdentity(D3DMATRIX* out) {
    D3DXMATRIX r;
    *out = *D3DXMatrixIdentity(&r);
    return out;
}
inline D3DMATRIX* D3DXMatrixMultiply(D3DMATRIX* out, const D3DMATRIX* a, const D3DMATRIX* b) {
    const D3DXMATRIX x(*a), y(*b);
    D3DXMATRIX r;
    *out = *D3DXMatrixMultiply(&r, &x, &y);
    return out;
}
inline D3DMATRIX* D3DXMatrixTranspose(D3DMATRIX* out, const D3DMATRIX* m) {
    const D3DXMATRIX x(*m);
    D3DXMATRIX r;
    *out = *D3DXMatrixTranspose(&r, &x);
    return out;
}
inline D3DMATRIX* D3DXMatrixInverse(D3DMATRIX* out, float* determinant, const D3DMATRIX* m) {
    const D3DXMATRIX x(*m);
    D3DXMATRIX r;
    if (!D3DXMatrixInverse(&r, determinant, &x)) return nullptr;
    *out = r;
    return out;
}
inline D3DMATRIX* D3DXMatrixTranslation(D3DMATRIX* out, float x, float y, float z) {
    D3DXMATRIX r;
    *out = *D3DXMatrixTranslation(&r, x, y, z);
    return out;
}
inline D3DMATRIX* D3DXMatrixScaling(D3DMATRIX* out, float sx, float sy, float sz) {
    D3DXMATRIX r;
    *out = *D3DXMatrixScaling(&r, sx, sy, sz);
    return out;
}
inline D3DMATRIX* D3DXMatrixRotationX(D3DMATRIX* out, float angle) {
    D3DXMATRIX r;
    *out = *D3DXMatrixRotationX(&r, angle);
    return out;
}
inline D3DMATRIX* D3DXMatrixRotationY(D3DMATRIX* out, float angle) {
    D3DXMATRIX r;
    *out = *D3DXMatrixRotationY(&r, angle);
    return out;
}
inline D3DMATRIX* D3DXMatrixRotationZ(D3DMATRIX* out, float angle) {
    D3DXMATRIX r;
    *out = *D3DXMatrixRotationZ(&r, angle);
    return out;
}
inline D3DMATRIX* D3DXMatrixLookAtLH(D3DMATRIX* out, const D3DVECTOR* eye, const D3DVECTOR* at, const D3DVECTOR* up) {
    const D3DXVECTOR3 e(*eye), a(*at), u(*up);
    D3DXMATRIX r;
    *out = *D3DXMatrixLookAtLH(&r, &e, &a, &u);
    return out;
}
inline D3DMATRIX* D3DXMatrixPerspectiveFovLH(D3DMATRIX* out, float fovy, float aspect, float zn, float zf) {
    D3DXMATRIX r;
    *out = *D3DXMatrixPerspectiveFovLH(&r, fovy, aspect, zn, zf);
    return out;
}
inline D3DVECTOR* D3DXVec3TransformCoord(D3DVECTOR* out, const D3DVECTOR* v, const D3DMATRIX* m) {
    const D3DXVECTOR3 x(*v);
    const D3DXMATRIX y(*m);
    D3DXVECTOR3 r;
    *out = *D3DXVec3TransformCoord(&r, &x, &y);
    return out;
}
inline D3DVECTOR* D3DXVec3TransformNormal(D3DVECTOR* out, const D3DVECTOR* v, const D3DMATRIX* m) {
    const D3DXVECTOR3 x(*v);
    const D3DXMATRIX y(*m);
    D3DXVECTOR3 r;
    *out = *D3DXVec3TransformNormal(&r, &x, &y);
    return out;
}

// Bytes per vertex of a flexible vertex format.
UINT D3DXGetFVFVertexSize(DWORD fvf);
