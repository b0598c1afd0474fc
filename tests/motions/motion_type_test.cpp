#include "motions/motion_type.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "kinematics/get_rotation_matrix_from_rotation_vector.h"
#include "motions/motion_env.h"
#include "motions/naomoveSuperClass.h"

namespace {

typedef Vector_<double> V;
typedef Matrix_<double> M;
typedef Effector<double> E;
const double kPi = 3.14159265358979323846;

// An owner at dt 0.02 s, built in a scratch directory.
class MotionTypeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::testing::internal::CaptureStderr();
        owner_.reset(new NaoMoveSuperClass(0.02, 1, 0, 0, "./"));
        ::testing::internal::GetCapturedStderr();
    }
    // A reachable standing pose of the four limb ends.
    E lf() const { return E(owner_->init_pos_foot_left, owner_->init_rotM_foot_left); }
    E rf() const { return E(owner_->init_pos_foot_right, owner_->init_rotM_foot_right); }
    E lh() const { return E(owner_->init_pos_hand_left, owner_->init_rotM_hand_left); }
    E rh() const { return E(owner_->init_pos_hand_right, owner_->init_rotM_hand_right); }

    MotionScratchDir dir_;
    std::unique_ptr<NaoMoveSuperClass> owner_;
};

TEST_F(MotionTypeTest, OneKeyPoseOfATenthOfASecondRunsSixCycles)
{
    motionType<double, 2> mo(owner_.get(), lf(), rf(), lh(), rh(), 0);
    mo.setNextPos(0.1, lf(), rf(), lh(), rh());
    EXPECT_EQ(mo.nb_samples[0], 6);
    double gain = 0;
    for (int i = 0; i < 5; i++) {
        EXPECT_TRUE(mo.callUpdate(gain, 0));
        EXPECT_TRUE(mo.IsActive());
    }
    EXPECT_FALSE(mo.callUpdate(gain, 0));
    EXPECT_EQ(mo.current_sample, 1);
    EXPECT_FALSE(mo.IsActive());
}

TEST_F(MotionTypeTest, KeyPoseOfPointFourSecondsTakes21Cycles)
{
    motionType<double, 2> mo(owner_.get(), lf(), rf(), lh(), rh(), 0);
    mo.setNextPos(0.4, lf(), rf(), lh(), rh());
    EXPECT_EQ(mo.nb_samples[0], 21);
    EXPECT_EQ(mo.total_samples, 21);
}

TEST_F(MotionTypeTest, SamplesAreSplitIntoSegments)
{
    motionType<double, 3> mo(owner_.get(), lf(), rf(), lh(), rh(), 0);
    mo.setNextPos(0.04, lf(), rf(), lh(), rh());  // 3 samples
    mo.setNextPos(0.02, lf(), rf(), lh(), rh());  // 2 samples
    ASSERT_EQ(mo.total_samples, 5);
    EXPECT_EQ(mo.cumul_samples[0], 3);
    EXPECT_EQ(mo.cumul_samples[1], 5);
    const int segments[5] = {0, 0, 0, 1, 1};
    double gain = 0;
    for (int k = 0; k < 5; k++) {
        const bool more = mo.callUpdate(gain, 0);
        EXPECT_EQ(mo.segment, segments[k]) << "sample " << k + 1;
        EXPECT_EQ(more, k < 4);
    }
}

TEST_F(MotionTypeTest, TooManyKeyPosesAreRefused)
{
    motionType<double, 2> mo(owner_.get(), lf(), rf(), lh(), rh(), 0);
    mo.setNextPos(0.1, lf(), rf(), lh(), rh());
    mo.setNextPos(0.2, lf(), rf(), lh(), rh());
    for (int extra = 0; extra < 2; extra++) {
        ::testing::internal::CaptureStderr();
        mo.setNextPos(0.3, lf(), rf(), lh(), rh());
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "\n\n ===> !!! ERROR inside setNextPos: index_pos is greater than n = 2, number of points "
                  "initially "
                  "planned. Please change number in declaration of motion type variable.\n\n");
    }
    EXPECT_EQ(mo.total_samples, 6 + 11);
    EXPECT_EQ(mo.duration[1], 0.2);
}

TEST_F(MotionTypeTest, WithoutKeyPosesTheMotionEndsAtOnce)
{
    motionType<double, 2> mo(owner_.get(), lf(), rf(), lh(), rh(), 0);
    double gain = 3;
    EXPECT_FALSE(mo.callUpdate(gain, 0));
    EXPECT_FALSE(mo.IsActive());
    EXPECT_EQ(mo.current_sample, 1);
}

TEST_F(MotionTypeTest, LinearSegmentSteps)
{
    motionType<double, 2> mo(owner_.get(), lf(), rf(), lh(), rh(), 0);
    E start(V(0, 0, 0), M());
    E end(V(0.03, 0, 0), M());
    for (int k = 1; k <= 3; k++) {
        E out;
        mo.SubcallUpdate(&end, &start, &out, 3, k, 0, 0);
        EXPECT_NEAR(out.target_pos[0], 0.01 * k, 1e-15);
        EXPECT_EQ(out.target_pos[1], 0.0);
    }
}

TEST_F(MotionTypeTest, OrientationIsInterpolatedAboutTheRelativeAxis)
{
    motionType<double, 2> mo(owner_.get(), lf(), rf(), lh(), rh(), 0);
    E start(V(0, 0, 0), M());
    E end(V(0, 0, 0), get_rotation_matrix_from_rotation_vector(0.6, V(0, 1, 0)));
    E out;
    mo.SubcallUpdate(&end, &start, &out, 4, 2, 0, 0);
    const M half = get_rotation_matrix_from_rotation_vector(0.3, V(0, 1, 0));
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) EXPECT_NEAR(out.rotM[i][j], half[i][j], 1e-12);
}

TEST_F(MotionTypeTest, EndPointArcIsFollowedAndWrittenBack)
{
    motionType<double, 2> mo(owner_.get(), lf(), rf(), lh(), rh(), 0);
    E start(V(1, 0, 0), M());
    E end(V(1, 0, 0), M());
    end.setTransfoForSpecRotMoveEndPoint(V(1, 0, 0), V(0, 0, 0), V(0, 0, 1), kPi / 2, 1.0);
    E out;
    mo.SubcallUpdate(&end, &start, &out, 2, 1, 0, 0);
    EXPECT_NEAR(out.target_pos[0], std::cos(kPi / 4), 1e-12);
    EXPECT_NEAR(out.target_pos[1], std::sin(kPi / 4), 1e-12);
    mo.SubcallUpdate(&end, &start, &out, 2, 2, 0, 0);
    EXPECT_NEAR(out.target_pos[0], 0.0, 1e-12);
    EXPECT_NEAR(out.target_pos[1], 1.0, 1e-12);
    EXPECT_NEAR(end.target_pos[0], 0.0, 1e-12);
    EXPECT_NEAR(end.target_pos[1], 1.0, 1e-12);
}

TEST_F(MotionTypeTest, ArcRatioScalesTheRadius)
{
    motionType<double, 2> mo(owner_.get(), lf(), rf(), lh(), rh(), 0);
    E start(V(2, 0, 0), M());
    E end(start);
    end.setTransfoForSpecRotMoveEndPoint(start.target_pos, V(1, 0, 0), V(0, 0, 1), kPi, 2.0);
    E out;
    mo.SubcallUpdate(&end, &start, &out, 2, 1, 0, 0);
    // Half-way: a quarter turn and 1.5 times the radius.
    EXPECT_NEAR(out.target_pos[0], 1.0, 1e-12);
    EXPECT_NEAR(out.target_pos[1], 1.5, 1e-12);
}

TEST_F(MotionTypeTest, FivePartLawEndsOnTheKeyPose)
{
    motionType<double, 2> mo(owner_.get(), lf(), rf(), lh(), rh(), 0);
    E start(V(0, 0, 0), M());
    E end(V(0.1, -0.2, 0.05), M());
    end.setTrajProfileCubic();
    double last_x = 0;
    for (int k = 1; k <= 10; k++) {
        E out;
        mo.SubcallUpdate(&end, &start, &out, 10, k, 0, 0);
        EXPECT_GE(out.target_pos[0], last_x - 1e-15);
        last_x = out.target_pos[0];
        if (k == 10) {
            EXPECT_NEAR(out.target_pos[0], 0.1, 1e-9);
            EXPECT_NEAR(out.target_pos[1], -0.2, 1e-9);
            EXPECT_NEAR(out.target_pos[2], 0.05, 1e-9);
        }
    }
}

TEST_F(MotionTypeTest, ToeTipAndAnklePointConvert)
{
    motionType<double, 2> mo(owner_.get(), lf(), rf(), lh(), rh(), 1);
    const double L = owner_->walk_engine->model->Length_Ankle_Toe_Tip;
    const V a = mo.GetAnklePointFromToeTip(V(0.1, 0.05, -0.3), M());
    EXPECT_NEAR(a[0], 0.1 - L, 1e-15);
    EXPECT_NEAR(a[1], 0.05, 1e-15);
    const M yaw = get_rotation_matrix_from_rotation_vector(kPi / 2, V(0, 0, 1));
    const V b = mo.GetAnklePointFromToeTip(V(0.1, 0.05, -0.3), yaw);
    EXPECT_NEAR(b[0], 0.1, 1e-12);
    EXPECT_NEAR(b[1], 0.05 - L, 1e-12);
    const V c = mo.GetToeTipFromAnkle(b, yaw);
    EXPECT_NEAR(c[1], 0.05, 1e-12);
}

TEST_F(MotionTypeTest, GainIsTheDefaultServoGainForEverySide)
{
    motionType<double, 2> mo(owner_.get(), lf(), rf(), lh(), rh(), 0);
    E foot = lf();
    foot.setGainForServo(0.9);
    mo.setNextPos(0.1, foot, rf(), lh(), rh());
    for (int side : {-1, 0, 1}) {
        double gain = 0;
        mo.callUpdate(gain, side);
        EXPECT_EQ(gain, 0.25) << side;
    }
}

TEST_F(MotionTypeTest, ResetRewindsToTheFirstSample)
{
    motionType<double, 3> mo(owner_.get(), lf(), rf(), lh(), rh(), 0);
    mo.setNextPos(0.04, lf(), rf(), lh(), rh());
    mo.setNextPos(0.04, lf(), rf(), lh(), rh());
    double gain = 0;
    for (int i = 0; i < 4; i++) mo.callUpdate(gain, 0);
    EXPECT_EQ(mo.segment, 1);
    mo.reset();
    EXPECT_FALSE(mo.IsActive());
    mo.callUpdate(gain, 0);
    EXPECT_EQ(mo.segment, 0);
    EXPECT_EQ(mo.current_sample, 2);
}

TEST_F(MotionTypeTest, ToeTipModeFeedsTheAnklePointToTheLegs)
{
    const double L = owner_->walk_engine->model->Length_Ankle_Toe_Tip;
    E toe_l = lf();
    toe_l.addTrans(owner_->init_rotM_foot_left * V(L, 0, 0));
    E toe_r = rf();
    toe_r.addTrans(owner_->init_rotM_foot_right * V(L, 0, 0));
    motionType<double, 2> mo(owner_.get(), toe_l, toe_r, lh(), rh(), 1);
    mo.setNextPos(0.04, toe_l, toe_r, lh(), rh());
    double gain = 0;
    mo.callUpdate(gain, 0);
    V p(0, 0, 0);
    M R;
    owner_->walk_engine->model->nao_direct_geometric_model_left_leg(owner_->q_left_leg, p, R);
    for (int j = 0; j < 3; j++) EXPECT_NEAR(p[j], owner_->init_pos_foot_left[j], 1e-6);
}

}  // namespace
