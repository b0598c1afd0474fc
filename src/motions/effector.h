#ifndef BREVANE_MOTIONS_EFFECTOR_H
#define BREVANE_MOTIONS_EFFECTOR_H

#include "kinematics/cmat.h"
#include "kinematics/vect.h"
#include "kinematics/get_rotation_matrix_from_rotation_vector.h"
#include "kinematics/get_rotation_vector_from_rotation_matrix.h"

// Cartesian target of one limb end (foot sole point or toe tip, or hand
// point) in the torso frame, with the time law and servo gain of the
// trajectory that ends at it, and two optional arcs (a rotation of the end
// point about a centre, and a rotation of the orientation) that the
// trajectory follows instead of a straight line.
template <class T>
class Effector {
public:
    Vector_<T> target_pos;
    Vector_<T> rot_axis;
    Vector_<T> rot_vector;
    T rot_angle;
    Matrix_<T> rotM;
    T servo_gain;
    Vector_<T> endpoint_axis;
    T endpoint_angle;
    Matrix_<T> endpoint_rotM;
    Vector_<T> endpoint_centre;
    T endpoint_ratio;
    Vector_<T> orient_axis;
    T orient_angle;
    Matrix_<T> orient_rotM;
    int traj_profile;  // 0 linear, 1 five-part

    // A slot or an interpolation output: the scalars get the values of a pose
    // without arcs, so that copying an unassigned slot reads nothing
    // indeterminate.
    Effector()
        : target_pos(0, 0, 0),
          rot_axis(0, 0, 0),
          rot_vector(0, 0, 0),
          rot_angle(0),
          rotM(),
          servo_gain(0.25),
          endpoint_axis(0, 0, 0),
          endpoint_angle(0),
          endpoint_rotM(),
          endpoint_centre(0, 0, 0),
          endpoint_ratio(1),
          orient_axis(0, 0, 0),
          orient_angle(0),
          orient_rotM(),
          traj_profile(0)
    {
        setGainForServo(0.25);
    }

    Effector(const Vector_<T>& pos, const Matrix_<T>& R) : Effector()
    {
        traj_profile = 0;
        setGainForServo(0.25);
        setPos(pos);
        setRotM(R);
    }

    Effector(const Effector& e)
        : target_pos(e.target_pos),
          rot_axis(e.rot_axis),
          rot_vector(e.rot_vector),
          rot_angle(e.rot_angle),
          rotM(e.rotM),
          servo_gain(e.servo_gain),
          endpoint_axis(e.endpoint_axis),
          endpoint_angle(e.endpoint_angle),
          endpoint_rotM(e.endpoint_rotM),
          endpoint_centre(e.endpoint_centre),
          endpoint_ratio(e.endpoint_ratio),
          orient_axis(e.orient_axis),
          orient_angle(e.orient_angle),
          orient_rotM(e.orient_rotM),
          traj_profile(e.traj_profile)
    {
    }

    Effector& operator=(const Effector& e)
    {
        target_pos = e.target_pos;
        rot_axis = e.rot_axis;
        rot_vector = e.rot_vector;
        rot_angle = e.rot_angle;
        rotM = e.rotM;
        servo_gain = e.servo_gain;
        endpoint_axis = e.endpoint_axis;
        endpoint_angle = e.endpoint_angle;
        endpoint_rotM = e.endpoint_rotM;
        endpoint_centre = e.endpoint_centre;
        endpoint_ratio = e.endpoint_ratio;
        orient_axis = e.orient_axis;
        orient_angle = e.orient_angle;
        orient_rotM = e.orient_rotM;
        traj_profile = e.traj_profile;
        return *this;
    }

    void setPos(const Vector_<T>& p)
    {
        target_pos = p;
        InitTransfoEndPoint();
    }

    void setRotM(const Matrix_<T>& R)
    {
        rotM = R;
        rot_vector = get_rotation_vector_from_rotation_matrix(R);
        getAngleAndAxisRotFromRotVector();
        InitTransfoOrient();
    }

    void addTrans(const Vector_<T>& d)
    {
        setPos(target_pos + d);
        const Matrix_<T> R(rotM);
        setRotM(R);
    }

    void setGainForServo(T g) { servo_gain = g; }
    void setTrajProfileLinear() { traj_profile = 0; }
    void setTrajProfileCubic() { traj_profile = 1; }

    void getAngleAndAxisRotFromRotVector()
    {
        const T a = rot_vector.norm();
        if (a < 1e-5) {
            rot_angle = 0;
            rot_axis = Vector_<T>(0, 0, 1);
        } else {
            rot_angle = a;
            rot_axis = rot_vector * (1.0 / a);
        }
    }

    void InitTransfoEndPoint()
    {
        endpoint_axis = Vector_<T>(0, 0, 1);
        endpoint_angle = 0;
        endpoint_rotM = Matrix_<T>();
        endpoint_centre = Vector_<T>(0, 0, 0);
        endpoint_ratio = 1;
    }

    void InitTransfoOrient()
    {
        orient_axis = Vector_<T>(0, 0, 1);
        orient_angle = 0;
        orient_rotM = Matrix_<T>();
    }

    void ClearTransfo()
    {
        InitTransfoOrient();
        InitTransfoEndPoint();
    }

    void setTransfoForSpecRotMoveEndPoint(const Vector_<T>& p, const Vector_<T>& centre,
                                          const Vector_<T>& axis, T angle, T ratio)
    {
        // Copies first: p or centre may be members of this effector.
        const Vector_<T> p0(p);
        const Vector_<T> c0(centre);
        endpoint_axis = axis;
        endpoint_angle = angle;
        endpoint_rotM = get_rotation_matrix_from_rotation_vector(angle, axis);
        endpoint_centre = c0;
        target_pos = c0 + ratio * (endpoint_rotM * (p0 - c0));
        endpoint_ratio = ratio;
    }

    void setTransfoForSpecRotMoveOrientOnly(const Matrix_<T>& R, const Vector_<T>& axis, T angle)
    {
        const Vector_<T> u(axis);
        const Matrix_<T> M = get_rotation_matrix_from_rotation_vector(angle, u);
        setRotM(M * R);
        orient_axis = u;
        orient_angle = angle;
        orient_rotM = M;
    }

    void setTransfoForSpecRotMoveBothEndPointOrient(const Matrix_<T>& R, const Vector_<T>& p,
                                                    const Vector_<T>& centre, const Vector_<T>& axis1,
                                                    T angle1, const Vector_<T>& axis2, T angle2, T ratio)
    {
        const Matrix_<T> R0(R);
        setTransfoForSpecRotMoveEndPoint(p, centre, axis1, angle1, ratio);
        setTransfoForSpecRotMoveOrientOnly(R0, axis2, angle2);
    }
};

#endif
