#include <gtest/gtest.h>
#include "platform/ia_ioctrl.h"
TEST(Smoke, Builds) { EXPECT_EQ(68u, sizeof(ia_dynamic_params_cmds_st)); }
