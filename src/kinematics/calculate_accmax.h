#ifndef BREVANE_KINEMATICS_CALCULATE_ACCMAX_H
#define BREVANE_KINEMATICS_CALCULATE_ACCMAX_H

// Peak a(t1) of the cubic acceleration with a(t0) = a0, a'(t0) = a'(t1) = 0
// whose integral over [t0, t1] is V/2; 0 when the system is singular.
double calculate_accmax(double t0, double a0, double t1, double V);

#endif
