add_executable(ia_sim_test ia_sim_test.cpp)
target_link_libraries(ia_sim_test sensorplatform GTest::gtest_main)
gtest_discover_tests(ia_sim_test)
