#ifndef BREVANE_KINEMATICS_POLY_DEGRE3_H
#define BREVANE_KINEMATICS_POLY_DEGRE3_H

// Cubic p(t) = c3 t^3 + c2 t^2 + c1 t + c0 with p(t0) = p0, p(t1) = p1,
// p'(t0) = dp0, p'(t1) = dp1. False (outputs untouched) when the system is
// singular, e.g. t0 == t1.
bool poly_degre3(double t0, double p0, double t1, double p1, double dp0, double dp1, double& c3, double& c2,
                 double& c1, double& c0);

#endif
