// Single-precision complex value with the few operations the transposer needs, written out
// so that they compile to plain float arithmetic (no library NaN/infinity recovery paths).
#pragma once

namespace cadora {

struct ComplexF
{
	float re;
	float im;
};

inline ComplexF operator+ (ComplexF a, ComplexF b) { return {a.re + b.re, a.im + b.im}; }
inline ComplexF operator- (ComplexF a, ComplexF b) { return {a.re - b.re, a.im - b.im}; }
inline ComplexF operator* (ComplexF a, float s) { return {a.re * s, a.im * s}; }

inline ComplexF operator* (ComplexF a, ComplexF b)
{
	return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

inline ComplexF conj (ComplexF a) { return {a.re, -a.im}; }

// |a|^2
inline float squaredMagnitude (ComplexF a) { return a.re * a.re + a.im * a.im; }

} // namespace cadora
