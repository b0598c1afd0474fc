#ifndef BREVANE_KINEMATICS_VECT_H
#define BREVANE_KINEMATICS_VECT_H

// Three-component vector on the heap: x, y, z. Copies are deep and every
// arithmetic result is a fresh object; there is no bounds check.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>

template <class T>
struct brevane_nondeduced {
    typedef T type;
};

template <class T>
class Vector_ {
public:
    T* v;  // exactly 3 elements; null only after destroy()

    Vector_(T x, T y, T z) : v(nullptr)
    {
        v = new (std::nothrow) T[3];
        if (v == nullptr) {
            fputs("Memory allocation failed in file vect.h, constructor.", stderr);
            fputs("Exiting with value 1.\n", stderr);
            exit(1);
        }
        v[0] = x;
        v[1] = y;
        v[2] = z;
    }

    Vector_(const Vector_& o) : v(nullptr)
    {
        initialize();
        copy(o.v);
    }

    ~Vector_() { destroy(); }

    // Copies into the existing array: no reallocation, self-assignment safe.
    Vector_& operator=(const Vector_& o)
    {
        copy(o.v);
        return *this;
    }

    T& operator[](int i) { return v[i]; }
    const T& operator[](int i) const { return v[i]; }

    T norm() const { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

    Vector_ crossprod(const Vector_& b) const
    {
        Vector_ r(0, 0, 0);
        r.v[0] = v[1] * b.v[2] - v[2] * b.v[1];
        r.v[1] = -(v[0] * b.v[2] - v[2] * b.v[0]);
        r.v[2] = v[0] * b.v[1] - v[1] * b.v[0];
        return r;
    }

    void initialize()
    {
        v = new (std::nothrow) T[3];
        if (v == nullptr) {
            fputs("Memory allocation failed in file vec.h, method initialize().", stderr);
            fputs("Exiting with value 1.\n", stderr);
            exit(1);
        }
        v[0] = v[1] = v[2] = 0;
    }

    void copy(const T* p)
    {
        for (int i = 0; i < 3; i++) v[i] = p[i];
    }

    void destroy()
    {
        if (v != nullptr) {
            delete[] v;
            v = nullptr;
        }
    }
};

// Dot product, summed in index order.
template <class T>
T operator*(const Vector_<T>& a, const Vector_<T>& b)
{
    T s = 0;
    for (int i = 0; i < 3; i++) s += a[i] * b[i];
    return s;
}

template <class T>
Vector_<T> operator+(const Vector_<T>& a, const Vector_<T>& b)
{
    Vector_<T> r(0, 0, 0);
    for (int i = 0; i < 3; i++) r[i] = a[i] + b[i];
    return r;
}

template <class T>
Vector_<T> operator-(const Vector_<T>& a, const Vector_<T>& b)
{
    Vector_<T> r(0, 0, 0);
    for (int i = 0; i < 3; i++) r[i] = a[i] - b[i];
    return r;
}

template <class T>
Vector_<T> operator-(const Vector_<T>& a)
{
    Vector_<T> r(0, 0, 0);
    for (int i = 0; i < 3; i++) r[i] = -a[i];
    return r;
}

template <class T>
Vector_<T> scalmult(const Vector_<T>& a, const T s)
{
    Vector_<T> r(0, 0, 0);
    for (int i = 0; i < 3; i++) r[i] = a[i] * s;
    return r;
}

// The scalar is not deduced, so that v * 2 works as well as v * 2.0.
template <class T>
Vector_<T> operator*(const Vector_<T>& a, const typename brevane_nondeduced<T>::type s)
{
    return scalmult(a, s);
}

template <class T>
Vector_<T> operator*(const typename brevane_nondeduced<T>::type s, const Vector_<T>& a)
{
    return scalmult(a, s);
}

#endif
