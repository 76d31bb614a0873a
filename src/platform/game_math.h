#pragma once
// The game's own elementary functions. Play, and so a recorded demo, must come
// out the same on every machine and C library; the C library's sin, cos, atan2
// and pow differ from one library to the next in the last bit, so the game
// uses these instead. They take and give floats, work in double inside, and
// use only + - * / and sqrt (each correctly rounded by IEEE 754) and exact
// rounding to whole numbers, in a fixed order: the same bits everywhere,
// within one float ulp of the exact value over the angles the game uses.
//
// A double argument does not compile (it would lose its precision silently).

namespace gm {

float Sin(float x);
float Cos(float x);
// Both at once, for a little more than the price of one.
struct SinCosResult {
    float sin, cos;
};
SinCosResult SinCos(float x);
float Tan(float x);
float Atan(float x);
// The angle of (x, y): y first, as in the C library, with the same signed
// zeros and quadrants (Atan2(0, -1) == pi, Atan2(-0, -1) == -pi).
float Atan2(float y, float x);
// x to the power y for x >= 0 (and for x < 0 with a whole y), with the C
// library's special cases (Pow(x, 0) == 1, Pow(0, y < 0) == inf, NaN for a
// negative base to a fractional power).
float Pow(float x, float y);

double Sin(double) = delete;
double Cos(double) = delete;
double Tan(double) = delete;
void SinCos(double) = delete;
double Atan(double) = delete;
double Atan2(double, double) = delete;
double Pow(double, double) = delete;

}  // namespace gm
