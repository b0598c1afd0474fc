#ifndef BREVANE_KINEMATICS_CMAT_H
#define BREVANE_KINEMATICS_CMAT_H

// 3-by-3 matrix on the heap, stored row by row and reached through row
// pointers: M[i][j] is element (i, j). Copies are deep.

#include "kinematics/vect.h"

template <class T>
class Matrix_ {
public:
    T* m;     // 9 elements, row by row
    T** row;  // row[i] == m + 3 * i

    Matrix_() : m(nullptr), row(nullptr) { initialize(); }

    explicit Matrix_(const T* p) : m(nullptr), row(nullptr)
    {
        initialize();
        copy(p);
    }

    Matrix_(const Matrix_& o) : m(nullptr), row(nullptr)
    {
        initialize();
        copy(o.m);
    }

    ~Matrix_() { destroy(); }

    Matrix_& operator=(const Matrix_& o)
    {
        if (m != o.m) copy(o.m);
        return *this;
    }

    T* operator[](int i) { return row[i]; }
    const T* operator[](int i) const { return row[i]; }

    // Allocates both arrays and sets the identity.
    void initialize()
    {
        m = new (std::nothrow) T[9];
        if (m == nullptr) {
            fputs("Memory allocation failed in file cmat.h, method initialize().", stderr);
            fputs("Exiting with value 1.\n", stderr);
            exit(1);
        }
        row = new (std::nothrow) T*[3];
        if (row == nullptr) {
            fputs("Memory allocation failed in file cmat.h, method initialize().", stderr);
            fputs("Exiting with value 1.\n", stderr);
            exit(1);
        }
        for (int i = 0; i < 9; i++) m[i] = 0;
        for (int i = 0; i < 3; i++) {
            row[i] = m + 3 * i;
            row[i][i] = 1;
        }
    }

    void copy(const T* p)
    {
        for (int i = 0; i < 9; i++) m[i] = p[i];
    }

    // Both pointers are cleared, so a second destroy() is harmless.
    void destroy()
    {
        if (m == nullptr) return;
        delete[] m;
        m = nullptr;
        delete[] row;
        row = nullptr;
    }
};

template <class T>
Matrix_<T> transpose(const Matrix_<T>& M)
{
    Matrix_<T> r;
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) r[j][i] = M[i][j];
    return r;
}

template <class T>
Matrix_<T> matmult(const Matrix_<T>& A, const Matrix_<T>& B)
{
    Matrix_<T> r;
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) {
            T s = 0;
            for (int k = 0; k < 3; k++) s += A[i][k] * B[k][j];
            r[i][j] = s;
        }
    return r;
}

template <class T>
Vector_<T> matmult(const Matrix_<T>& M, const Vector_<T>& v)
{
    Vector_<T> r(0, 0, 0);
    for (int i = 0; i < 3; i++) {
        T s = 0;
        for (int j = 0; j < 3; j++) s += M[i][j] * v[j];
        r[i] = s;
    }
    return r;
}

template <class T>
Matrix_<T> operator*(const Matrix_<T>& A, const Matrix_<T>& B)
{
    return matmult(A, B);
}

template <class T>
Vector_<T> operator*(const Matrix_<T>& M, const Vector_<T>& v)
{
    return matmult(M, v);
}

template <class T>
Matrix_<T> operator+(const Matrix_<T>& A, const Matrix_<T>& B)
{
    Matrix_<T> r;
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) r[i][j] = A[i][j] + B[i][j];
    return r;
}

template <class T>
Matrix_<T> operator-(const Matrix_<T>& A, const Matrix_<T>& B)
{
    Matrix_<T> r;
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) r[i][j] = A[i][j] - B[i][j];
    return r;
}

template <class T>
Matrix_<T> scalmult(const Matrix_<T>& M, const T s)
{
    Matrix_<T> r(M);
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) r[i][j] *= s;
    return r;
}

// Scalar on the left only: there is no matrix-times-scalar form.
template <class T>
Matrix_<T> operator*(const typename brevane_nondeduced<T>::type s, const Matrix_<T>& M)
{
    return scalmult(M, s);
}

template <class T>
T trace(const Matrix_<T>& M)
{
    return M[0][0] + M[1][1] + M[2][2];
}

#endif
