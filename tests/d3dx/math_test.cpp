#include <gtest/gtest.h>

#include <cmath>

#include "d3dx/d3dx_math.h"

namespace {

constexpr float kTol = 1e-5f;

void ExpectMatrixNear(const D3DXMATRIX& expected, const D3DXMATRIX& actual, float tol = kTol) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(expected.m[r][c], actual.m[r][c], tol) << "row " << r << " col " << c;
}

void ExpectVectorNear(const D3DXVECTOR3& expected, const D3DXVECTOR3& actual, float tol = kTol) {
    EXPECT_NEAR(expected.x, actual.x, tol);
    EXPECT_NEAR(expected.y, actual.y, tol);
    EXPECT_NEAR(expected.z, actual.z, tol);
}

D3DXVECTOR3 Point(const D3DXVECTOR3& v, const D3DXMATRIX& m) {
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &v, &m);
    return out;
}

TEST(D3DXMath, LookAtLHMatchesHandComputedMatrix) {
    // The play camera: straight down from (0, 99, 0) onto (0, 0, 0.01), up +y.
    const D3DXVECTOR3 eye(0, 99, 0), at(0, 0, 0.01f), up(0, 10, 0);
    D3DXMATRIX view;
    ASSERT_EQ(&view, D3DXMatrixLookAtLH(&view, &eye, &at, &up));
    // z axis = normalize(at - eye) = (0, -zy, zz), x axis = (1, 0, 0),
    // y axis = z cross x = (0, zz, zy).
    const float len = std::sqrt(99.0f * 99.0f + 0.01f * 0.01f);
    const float zy = 99.0f / len, zz = 0.01f / len;
    const D3DXMATRIX expected(1, 0, 0, 0, 0, zz, -zy, 0, 0, zy, zz, 0, 0, -99 * zz, 99 * zy, 1);
    ExpectMatrixNear(expected, view);
    // The eye goes to the origin and the target onto +z at its distance.
    ExpectVectorNear(D3DXVECTOR3(0, 0, 0), Point(eye, view), 1e-4f);
    ExpectVectorNear(D3DXVECTOR3(0, 0, len), Point(at, view), 1e-4f);
}

TEST(D3DXMath, LookAtLHFromBehindIsATranslation) {
    const D3DXVECTOR3 eye(0, 0, -10), at(0, 0, 0), up(0, 1, 0);
    D3DXMATRIX view, expected;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixTranslation(&expected, 0, 0, 10);
    ExpectMatrixNear(expected, view);
    // Left-handed: +x stays on the right of a viewer looking down +z.
    ExpectVectorNear(D3DXVECTOR3(1, 0, 10), Point(D3DXVECTOR3(1, 0, 0), view));
}

TEST(D3DXMath, PerspectiveFovLHMatchesHandComputedMatrix) {
    D3DXMATRIX proj;
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 2, 2.0f, 1.0f, 11.0f);
    const D3DXMATRIX expected(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.1f, 1, 0, 0, -1.1f, 0);
    ExpectMatrixNear(expected, proj);
    // Near plane to depth 0, far plane to depth 1.
    EXPECT_NEAR(0.0f, Point(D3DXVECTOR3(0, 0, 1), proj).z, kTol);
    EXPECT_NEAR(1.0f, Point(D3DXVECTOR3(0, 0, 11), proj).z, kTol);

    // The game's camera: pi/6, 4:3, near 3, far 830.
    D3DXMatrixPerspectiveFovLH(&proj, 0.5235988f, 640.0f / 480.0f, 3.0f, 830.0f);
    const float ys = 1.0f / std::tan(0.2617994f);
    EXPECT_NEAR(ys, proj._22, 1e-4f);
    EXPECT_NEAR(ys * 0.75f, proj._11, 1e-4f);
    EXPECT_NEAR(830.0f / 827.0f, proj._33, kTol);
    EXPECT_NEAR(-3.0f * 830.0f / 827.0f, proj._43, 1e-4f);
}

TEST(D3DXMath, InverseOfScaleAndTranslation) {
    const D3DXMATRIX m(2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 8, 0, 1, 2, 3, 1);
    D3DXMATRIX inv;
    float det = 0;
    ASSERT_EQ(&inv, D3DXMatrixInverse(&inv, &det, &m));
    EXPECT_NEAR(64.0f, det, kTol);
    const D3DXMATRIX expected(0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 0.125f, 0, -0.5f, -0.5f, -0.375f, 1);
    ExpectMatrixNear(expected, inv);
}

TEST(D3DXMath, InverseOfDenseMatrixAndOfAView) {
    const D3DXMATRIX m(1, 2, 0, 1, 0, 1, 3, 0, 2, 0, 1, 1, 1, 1, 1, 2);
    D3DXMATRIX inv, product, id;
    float det = 0;
    ASSERT_NE(nullptr, D3DXMatrixInverse(&inv, &det, &m));
    EXPECT_NEAR(D3DXMatrixDeterminant(&m), det, kTol);
    EXPECT_NEAR(17.0f, det, 1e-4f);  // cofactor expansion by hand
    D3DXMatrixIdentity(&id);
    ExpectMatrixNear(id, m * inv);
    ExpectMatrixNear(id, inv * m);

    // The camera's world matrix is the inverse of its view: it maps the
    // view-space origin back to the eye. In place (out == in) works too.
    const D3DXVECTOR3 eye(3, 40, -7), at(0, 0, 5), up(0, 1, 0);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    ASSERT_NE(nullptr, D3DXMatrixInverse(&view, nullptr, &view));
    ExpectVectorNear(eye, Point(D3DXVECTOR3(0, 0, 0), view), 1e-4f);
}

TEST(D3DXMath, InverseOfSingularMatrixFailsAndLeavesOutputAlone) {
    const D3DXMATRIX singular(1, 2, 3, 4, 2, 4, 6, 8, 0, 0, 1, 0, 0, 0, 0, 1);
    D3DXMATRIX out;
    D3DXMatrixTranslation(&out, 5, 6, 7);
    const D3DXMATRIX before = out;
    float det = 99;
    EXPECT_EQ(nullptr, D3DXMatrixInverse(&out, &det, &singular));
    EXPECT_EQ(0.0f, det);
    EXPECT_EQ(before, out);
}

TEST(D3DXMath, RotationsAreLeftHandedRowVector) {
    D3DXMATRIX rx, ry, rz;
    D3DXMatrixRotationX(&rx, D3DX_PI / 2);
    D3DXMatrixRotationY(&ry, D3DX_PI / 2);
    D3DXMatrixRotationZ(&rz, D3DX_PI / 2);
    ExpectVectorNear(D3DXVECTOR3(0, 0, 1), Point(D3DXVECTOR3(0, 1, 0), rx));
    ExpectVectorNear(D3DXVECTOR3(0, 0, -1), Point(D3DXVECTOR3(1, 0, 0), ry));
    ExpectVectorNear(D3DXVECTOR3(0, 1, 0), Point(D3DXVECTOR3(1, 0, 0), rz));
}

TEST(D3DXMath, MultiplyAppliesTheLeftMatrixFirst) {
    D3DXMATRIX t, r, s, m;
    D3DXMatrixTranslation(&t, 1, 0, 0);
    D3DXMatrixRotationZ(&r, D3DX_PI / 2);
    D3DXMatrixScaling(&s, 2, 3, 4);
    D3DXMatrixMultiply(&m, &t, &r);  // translate, then turn
    ExpectVectorNear(D3DXVECTOR3(0, 1, 0), Point(D3DXVECTOR3(0, 0, 0), m));
    D3DXMatrixMultiply(&m, &r, &t);  // turn, then translate
    ExpectVectorNear(D3DXVECTOR3(1, 0, 0), Point(D3DXVECTOR3(0, 0, 0), m));
    // Aliased output.
    m = s;
    D3DXMatrixMultiply(&m, &m, &t);
    ExpectVectorNear(D3DXVECTOR3(3, 3, 4), Point(D3DXVECTOR3(1, 1, 1), m));
}

TEST(D3DXMath, TransformCoordDividesByWAndNormalIgnoresTranslation) {
    D3DXMATRIX t;
    D3DXMatrixTranslation(&t, 10, 20, 30);
    D3DXVECTOR3 out;
    const D3DXVECTOR3 v(1, 2, 3);
    D3DXVec3TransformNormal(&out, &v, &t);
    ExpectVectorNear(v, out);
    D3DXVec3TransformCoord(&out, &v, &t);
    ExpectVectorNear(D3DXVECTOR3(11, 22, 33), out);

    D3DXMATRIX half;
    D3DXMatrixIdentity(&half);
    half._44 = 2.0f;
    D3DXVec3TransformCoord(&out, &v, &half);
    ExpectVectorNear(D3DXVECTOR3(0.5f, 1, 1.5f), out);
}

TEST(D3DXMath, VectorHelpers) {
    D3DXVECTOR3 v(3, 0, 4), n;
    EXPECT_FLOAT_EQ(5.0f, D3DXVec3Length(&v));
    D3DXVec3Normalize(&n, &v);
    ExpectVectorNear(D3DXVECTOR3(0.6f, 0, 0.8f), n);
    const D3DXVECTOR3 zero;
    D3DXVec3Normalize(&n, &zero);  // no NaNs from a zero vector
    EXPECT_EQ(zero, n);
    EXPECT_EQ(D3DXVECTOR3(4, 2, 6), D3DXVECTOR3(1, 2, 3) * 2 - D3DXVECTOR3(-2, 2, 0));
    EXPECT_EQ(D3DXVECTOR3(1, 0, 0), 0.5f * D3DXVECTOR3(2, 0, 0));
    D3DXVECTOR3 c;
    const D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0);
    D3DXVec3Cross(&c, &x, &y);
    EXPECT_EQ(D3DXVECTOR3(0, 0, 1), c);
}

TEST(D3DXMath, PlainRecordOverloadsGiveTheSameResults) {
    // Fields of the plain types (and any mix with the D3DX ones) work directly.
    D3DMATRIX view, inv;
    const D3DVECTOR eye{3, 40, -7}, at{0, 0, 5};
    const D3DXVECTOR3 up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMATRIX expected;
    const D3DXVECTOR3 e(eye), a(at);
    D3DXMatrixLookAtLH(&expected, &e, &a, &up);
    EXPECT_EQ(expected, D3DXMATRIX(view));
    ASSERT_NE(nullptr, D3DXMatrixInverse(&inv, nullptr, &view));
    D3DVECTOR back;
    const D3DVECTOR origin{0, 0, 0};
    D3DXVec3TransformCoord(&back, &origin, &inv);
    ExpectVectorNear(e, back, 1e-4f);
    D3DMATRIX product;
    const D3DXMATRIX invX(inv);
    D3DXMatrixMultiply(&product, &view, &invX);  // mixed argument types
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    ExpectMatrixNear(id, product, 1e-4f);
    const D3DMATRIX zero{};
    EXPECT_EQ(nullptr, D3DXMatrixInverse(&inv, nullptr, &zero));
}

TEST(D3DXMath, FvfVertexSizes) {
    EXPECT_EQ(32u, D3DXGetFVFVertexSize(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
    EXPECT_EQ(28u, D3DXGetFVFVertexSize(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1));
    EXPECT_EQ(24u, D3DXGetFVFVertexSize(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1));
    EXPECT_EQ(12u, D3DXGetFVFVertexSize(D3DFVF_XYZ));
    EXPECT_EQ(40u, D3DXGetFVFVertexSize(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX2));
    // A three-component first texture set.
    EXPECT_EQ(36u, D3DXGetFVFVertexSize(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1 | (1u << 16)));
}

}  // namespace
