// Single-precision complex value with the few operations the transposer needs, written out
// so that they compile to plain float arithmetic (no library NaN/infinity recovery paths).
#pragma once

#include <cmath>

namespace cadora {

struct ComplexF
{
	float re;
	float im;
};

inline ComplexF operator+ (ComplexF a, ComplexF b)
{
	return {a.re + b.re, a.im + b.im};
}
inline ComplexF operator- (ComplexF a, ComplexF b)
{
	return {a.re - b.re, a.im - b.im};
}
inline ComplexF operator* (ComplexF a, float s)
{
	return {a.re * s, a.im * s};
}

inline ComplexF operator* (ComplexF a, ComplexF b)
{
	return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

inline ComplexF conj (ComplexF a)
{
	return {a.re, -a.im};
}

// |a|^2
inline float squaredMagnitude (ComplexF a)
{
	return a.re * a.re + a.im * a.im;
}

// e^{i angle}: the angle is worked out in double and rounded to single precision, then its
// cosine and sine are taken in single precision.
inline ComplexF unitPhasor (double angle)
{
	const float a = static_cast<float> (angle);
	return {std::cos (a), std::sin (a)};
}

} // namespace cadora
