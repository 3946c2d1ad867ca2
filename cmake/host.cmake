find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB unit_test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${unit_test_sources})
target_link_libraries(unit_tests PRIVATE kavren_core GTest::gtest_main)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 60 LABELS unit)
