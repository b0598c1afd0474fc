#ifndef BREVANE_WORLD_GEOMETRY_H
#define BREVANE_WORLD_GEOMETRY_H

// Plane geometry of the field (metres): circle intersections for the
// landmark fixes, segment crossing for the walk collision check, angle
// wrapping. Stateless free functions.

struct Point_t {
    double x;
    double y;
};

void SubVec(double x1, double y1, double x2, double y2, double& dx, double& dy);
double Length2(double x, double y);

// Intersection of two circles. Result: 0 no point (the output is not
// written), 1 one contact point, 2 two points of which the one to the LEFT
// of the directed line from the first centre to the second is returned,
// 3 identical circles (the point is one of their common points).
int TwoCircles(double x1, double y1, double r1, double x2, double y2, double r2, double& x, double& y);
// Same with the first centre at the origin.
int TwoCircles0a(double r1, double cx, double cy, double r2, double& px, double& py);
// The two-point case by rotating (cx, cy) onto the x axis; 2, or 0 when
// rounding leaves no real solution.
int TwoCircles0b(double r1, double cx, double cy, double r2, double& px, double& py);
// The second centre at (a2, 0); 2, or 0 when rounding leaves no real solution.
int TwoCircles00(double r1, double a2, double r2, double& px, double& py);

// +1 / -1 when c lies left / right of the directed line a->b by more than the
// dead band (0.5 m^2 of twice the triangle area), else 0.
int AreaSign(Point_t& a, Point_t& b, Point_t& c);
bool Collinear(Point_t a, Point_t b, Point_t c);
bool Left(Point_t a, Point_t b, Point_t c);
bool Xor(bool x, bool y);
// Segment ab properly crosses segment cd (touching and overlap do not count).
bool Intersect(Point_t a, Point_t b, Point_t c, Point_t d);

void Assigndi(Point_t& p, Point_t& q);
bool Between(Point_t a, Point_t b, Point_t c);
// Codes: '1' proper crossing, '0' none, 'v' at a vertex, 'e' collinear
// overlap, '?' undecided.
char ParallelInt(Point_t a, Point_t b, Point_t c, Point_t d, Point_t& p);
char SegSegInt(Point_t a, Point_t b, Point_t c, Point_t d, Point_t& p);

void Set_2M_PI_Mod(double& angle);
void Set_M_PI_Mod(double& angle);

// Wraps in place into [-pi, pi] (2 pi added while below -pi, then taken
// away while above pi), the wrapping of the world model and the skills.
// A non-finite angle is left as it is.
void wrap_angle(double& angle);

#endif
