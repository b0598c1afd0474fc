#ifndef BREVANE_KINEMATICS_DETERMINANTS_H
#define BREVANE_KINEMATICS_DETERMINANTS_H

// Determinants of square matrices given row by row.
double det22(const double* m);  // 4 values
double det33(const double* m);  // 9 values, expanded along the first column
double det44(const double* m);  // 16 values, expanded along the first column

#endif
