#ifndef BREVANE_KINEMATICS_DETERMINANTS_H
#define BREVANE_KINEMATICS_DETERMINANTS_H

// Determinants of square matrices given row by row.
double det22(const double* m);  // 4 values
double det33(const double* m);  // 9 values, expanded along the first column
double det44(const double* m);  // 16 values, expanded along the first column

// Cramer's rule on a 4-by-4 system A x = rhs: dets[j] is det44 of A with
// column j replaced by rhs (x[j] = dets[j] / det44(A)).
void det44_with_column_replaced(const double* A, const double* rhs, double* dets);

#endif
