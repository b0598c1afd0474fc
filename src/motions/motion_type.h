#ifndef BREVANE_MOTIONS_MOTION_TYPE_H
#define BREVANE_MOTIONS_MOTION_TYPE_H

#include <cmath>
#include <cstdio>

#include "kinematics/cmat.h"
#include "kinematics/get_rotation_matrix_from_rotation_vector.h"
#include "kinematics/get_rotation_vector_from_rotation_matrix.h"
#include "kinematics/nao_geometric_model.h"
#include "kinematics/profiles_5_parts.h"
#include "kinematics/vect.h"
#include "motions/effector.h"
#include "motions/naomoveSuperClass.h"
#include "walk/walk.h"

// Player of one whole-body key-pose motion of the four limb ends (left foot,
// right foot, left hand, right hand): slot 0 is the initial pose, slots
// 1..N the key poses, each reached a given time after the previous one.
// Every control cycle it interpolates one sample of each limb's Cartesian
// trajectory and writes the joint angles of the four inverse models into the
// owner's joint arrays.
template <class T, int N>
class motionType {
public:
    NaoMoveSuperClass* owner;
    char toe_tip_mode;  // 1: the foot effectors hold toe tips
    Effector<T> left_foot[N + 1];
    Effector<T> right_foot[N + 1];
    Effector<T> left_hand[N + 1];
    Effector<T> right_hand[N + 1];
    double duration[N];
    int nb_samples[N];
    int cumul_samples[N];
    int total_samples;
    int index_pos;
    int segment;
    int current_sample;
    double dt;
    bool is_active;

    motionType(NaoMoveSuperClass* owner_, const Effector<T>& lf, const Effector<T>& rf, const Effector<T>& lh,
               const Effector<T>& rh, char toe_tip)
        : owner(owner_),
          toe_tip_mode(toe_tip),
          total_samples(0),
          index_pos(0),
          segment(0),
          current_sample(1),
          dt(owner_->dt),
          is_active(false)
    {
        for (int i = 0; i <= N; i++) {
            left_foot[i] = lf;
            right_foot[i] = rf;
            left_hand[i] = lh;
            right_hand[i] = rh;
        }
        for (int i = 0; i < N; i++) {
            duration[i] = 0;
            nb_samples[i] = 0;
            cumul_samples[i] = 0;
        }
    }

    void setNextPos(double Tseg, const Effector<T>& lf, const Effector<T>& rf, const Effector<T>& lh,
                    const Effector<T>& rh)
    {
        index_pos += 1;
        if (index_pos > N) {
            std::fprintf(
                stderr,
                "\n\n ===> !!! ERROR inside setNextPos: index_pos is greater than n = %d, number of points "
                "initially planned. Please change number in declaration of motion type variable.\n\n",
                N);
            return;
        }
        const int i = index_pos;
        left_foot[i] = lf;
        right_foot[i] = rf;
        left_hand[i] = lh;
        right_hand[i] = rh;
        duration[i - 1] = Tseg;
        nb_samples[i - 1] = static_cast<int>(Tseg / dt) + 1;
        total_samples += nb_samples[i - 1];
        cumul_samples[i - 1] = (i == 1) ? nb_samples[0] : cumul_samples[i - 2] + nb_samples[i - 1];
    }

    bool callUpdate(double& gain, int side)
    {
        // Without a key pose there is nothing to play: the motion ends at once.
        if (total_samples <= 0) {
            current_sample = 1;
            is_active = false;
            return false;
        }
        const int k = current_sample;
        segment = 0;
        while (segment < N - 1 && cumul_samples[segment] < k) segment++;
        const int NT = nb_samples[segment];
        const int kk = (segment == 0) ? k : k - cumul_samples[segment - 1];

        Effector<T> lf, rf, lh, rh;
        SubcallUpdate(&left_foot[segment + 1], &left_foot[segment], &lf, NT, kk, 0, 0);
        SubcallUpdate(&right_foot[segment + 1], &right_foot[segment], &rf, NT, kk, 1, 0);
        SubcallUpdate(&left_hand[segment + 1], &left_hand[segment], &lh, NT, kk, 2, 0);
        SubcallUpdate(&right_hand[segment + 1], &right_hand[segment], &rh, NT, kk, 3, 0);

        Model* m = owner->walk_engine->model;
        if (toe_tip_mode) {
            m->nao_inverse_geometric_model_left_leg(GetAnklePointFromToeTip(lf.target_pos, lf.rotM), lf.rotM,
                                                    owner->q_left_leg);
            m->nao_inverse_geometric_model_right_leg(GetAnklePointFromToeTip(rf.target_pos, rf.rotM), rf.rotM,
                                                     owner->q_right_leg);
        } else {
            m->nao_inverse_geometric_model_left_leg(lf.target_pos, lf.rotM, owner->q_left_leg);
            m->nao_inverse_geometric_model_right_leg(rf.target_pos, rf.rotM, owner->q_right_leg);
        }
        m->nao_inverse_geometric_model_left_arm(lh.target_pos, lh.rotM, owner->q_left_arm);
        m->nao_inverse_geometric_model_right_arm(rh.target_pos, rh.rotM, owner->q_right_arm);

        if (side == -1) {
            gain = lf.servo_gain;
        } else if (side == 1) {
            gain = rf.servo_gain;
        } else {
            gain = 0.25;
        }

        if (k >= total_samples) {
            current_sample = 1;
            is_active = false;
            return false;
        }
        current_sample = k + 1;
        is_active = true;
        return true;
    }

    void reset()
    {
        current_sample = 1;
        is_active = false;
    }

    bool IsActive() { return is_active; }

    void SubcallUpdate(Effector<T>* end, Effector<T>* start, Effector<T>* out, int NT, int k, int limb,
                       int trace)
    {
        (void)limb;
        (void)trace;
        const int profile = end->traj_profile;
        const double step = dt;
        auto law = [profile, step, NT, k](double a, double b) {
            double P = a;
            if (profile == 1) {
                get_one_point_profiles_5_parts(NT, k, step, a, b, P);
            } else {
                get_one_point_profiles_5_parts_linear(NT, k, a, b, P);
            }
            return P;
        };
        const Matrix_<T> R0(start->rotM);
        const Vector_<T> p0(start->target_pos);

        if (std::fabs(end->orient_angle) > 0.01) {
            const double s = law(0.0, end->orient_angle);
            out->rotM = get_rotation_matrix_from_rotation_vector(s * end->orient_axis) * R0;
            end->rotM = out->rotM;
        } else {
            const Matrix_<T> rel = end->rotM * transpose(R0);
            double theta = 0;
            Vector_<T> u(0, 0, 1);
            get_axis_angle_from_rotation_matrix(rel, theta, u);
            const double s = law(0.0, theta);
            out->rotM = get_rotation_matrix_from_rotation_vector(s * u) * R0;
        }

        if (std::fabs(end->endpoint_angle) > 0.01) {
            const double s = law(0.0, end->endpoint_angle);
            const double r = law(1.0, end->endpoint_ratio);
            const Matrix_<T> turn = r * get_rotation_matrix_from_rotation_vector(s * end->endpoint_axis);
            out->target_pos = end->endpoint_centre + turn * (p0 - end->endpoint_centre);
            end->target_pos = out->target_pos;
            end->rotM = out->rotM;
        } else {
            for (int j = 0; j < 3; j++) out->target_pos[j] = law(p0[j], end->target_pos[j]);
        }
    }

    Vector_<T> GetAnklePointFromToeTip(Vector_<T> toe, Matrix_<T> R)
    {
        return toe - R * Vector_<T>(owner->walk_engine->model->Length_Ankle_Toe_Tip, 0, 0);
    }

    Vector_<T> GetToeTipFromAnkle(Vector_<T> ankle, Matrix_<T> R)
    {
        return ankle + R * Vector_<T>(owner->walk_engine->model->Length_Ankle_Toe_Tip, 0, 0);
    }
};

#endif
