#ifndef QUENCHBOX_ENGINE_STATESPACE_H
#define QUENCHBOX_ENGINE_STATESPACE_H

#include <array>
#include <complex>
#include <cstddef>

namespace quenchbox::engine {

// Fixed-size algebra for the small linear networks of the engine: 2x2 and
// 3x3 matrices, the trapezoidal discretisation in double precision, and the
// transfer-function evaluation of the single-precision display copies. No
// allocation, so it runs on the audio thread.

template <typename T, std::size_t N>
using Vector = std::array<T, N>;

// Row-major: m[row][column].
template <typename T, std::size_t N>
using Matrix = std::array<std::array<T, N>, N>;

template <typename T, std::size_t N>
T dot(const Vector<T, N>& a, const Vector<T, N>& b)
{
    T sum = a[0] * b[0];
    for (std::size_t i = 1; i < N; ++i) sum += a[i] * b[i];
    return sum;
}

template <typename T, std::size_t N>
Vector<T, N> multiply(const Matrix<T, N>& m, const Vector<T, N>& v)
{
    Vector<T, N> result;
    for (std::size_t r = 0; r < N; ++r) result[r] = dot(m[r], v);
    return result;
}

template <typename T, std::size_t N>
Vector<T, N> multiply(const Vector<T, N>& row, const Matrix<T, N>& m)
{
    Vector<T, N> result;
    for (std::size_t c = 0; c < N; ++c) {
        result[c] = row[0] * m[0][c];
        for (std::size_t k = 1; k < N; ++k) result[c] += row[k] * m[k][c];
    }
    return result;
}

template <typename T, std::size_t N>
Matrix<T, N> multiply(const Matrix<T, N>& a, const Matrix<T, N>& b)
{
    Matrix<T, N> result;
    for (std::size_t r = 0; r < N; ++r) result[r] = multiply(a[r], b);
    return result;
}

template <typename T, std::size_t N>
Vector<T, N> scaled(const Vector<T, N>& v, T factor)
{
    Vector<T, N> result;
    for (std::size_t i = 0; i < N; ++i) result[i] = factor * v[i];
    return result;
}

// diagonal * I + m
template <typename T, std::size_t N>
Matrix<T, N> addDiagonal(const Matrix<T, N>& m, T diagonal)
{
    Matrix<T, N> result = m;
    for (std::size_t i = 0; i < N; ++i) result[i][i] += diagonal;
    return result;
}

template <typename T, std::size_t N>
Matrix<T, N> negated(const Matrix<T, N>& m)
{
    Matrix<T, N> result;
    for (std::size_t r = 0; r < N; ++r)
        for (std::size_t c = 0; c < N; ++c) result[r][c] = -m[r][c];
    return result;
}

// Inverse by the determinant: [[d, -b], [-c, a]] / (ad - bc).
template <typename T>
Matrix<T, 2> inverse(const Matrix<T, 2>& m)
{
    const T det = m[0][0] * m[1][1] - m[1][0] * m[0][1];
    return {{{m[1][1] / det, -m[0][1] / det}, {-m[1][0] / det, m[0][0] / det}}};
}

// Inverse by cofactors: the adjugate (transposed cofactor matrix) over the
// determinant.
template <typename T>
Matrix<T, 3> inverse(const Matrix<T, 3>& m)
{
    Matrix<T, 3> adjugate;
    for (std::size_t r = 0; r < 3; ++r) {
        const std::size_t r1 = (r + 1) % 3;
        const std::size_t r2 = (r + 2) % 3;
        for (std::size_t c = 0; c < 3; ++c) {
            const std::size_t c1 = (c + 1) % 3;
            const std::size_t c2 = (c + 2) % 3;
            // Cyclic index order gives the cofactor's sign without (-1)^(r+c).
            adjugate[c][r] = m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1];
        }
    }
    const T det = m[0][0] * adjugate[0][0] + m[0][1] * adjugate[1][0] + m[0][2] * adjugate[2][0];
    for (auto& row : adjugate)
        for (T& entry : row) entry /= det;
    return adjugate;
}

// The trapezoidal rule for ds/dt = A s + b x, y = c s + d x at period T,
// with S = (2/T) I: Ad = (S + A)(S - A)^-1, input columns 2 (S - A)^-1 b,
// output rows (2/T) c (S - A)^-1, direct terms c (S - A)^-1 b + d. It maps
// the whole left half-plane into the unit circle, so a stable network stays
// stable at any period.
template <std::size_t N>
class TrapezoidalRule {
public:
    TrapezoidalRule(const Matrix<double, N>& a, double period)
        : twoOverT(2.0 / period), minv(inverse(addDiagonal(negated(a), twoOverT)))
    {
    }

    Matrix<double, N> stateMatrix(const Matrix<double, N>& a) const { return multiply(addDiagonal(a, twoOverT), minv); }
    Vector<double, N> inputColumn(const Vector<double, N>& b) const { return scaled(multiply(minv, b), 2.0); }
    Vector<double, N> outputRow(const Vector<double, N>& c) const { return scaled(multiply(c, minv), twoOverT); }
    double directTerm(const Vector<double, N>& c, const Vector<double, N>& b, double d) const
    {
        return dot(multiply(c, minv), b) + d;
    }

private:
    double twoOverT;
    Matrix<double, N> minv;
};

using DisplayValue = std::complex<float>;

template <std::size_t N>
Vector<DisplayValue, N> toDisplay(const Vector<double, N>& v)
{
    Vector<DisplayValue, N> result;
    for (std::size_t i = 0; i < N; ++i) result[i] = DisplayValue(static_cast<float>(v[i]), 0.0f);
    return result;
}

template <std::size_t N>
Matrix<DisplayValue, N> toDisplay(const Matrix<double, N>& m)
{
    Matrix<DisplayValue, N> result;
    for (std::size_t r = 0; r < N; ++r) result[r] = toDisplay(m[r]);
    return result;
}

// row (zI - Ad)^-1 column: the state path of a discrete network at z.
template <std::size_t N>
DisplayValue throughStates(const Vector<DisplayValue, N>& row, const Matrix<DisplayValue, N>& ad,
                           const Vector<DisplayValue, N>& column, DisplayValue z)
{
    return dot(row, multiply(inverse(addDiagonal(negated(ad), z)), column));
}

}  // namespace quenchbox::engine

#endif
