include(GoogleTest)

# zt_test(name LABEL unit|component|integration SOURCES ... LIBS ...)
# One GoogleTest executable, its cases registered with ctest under LABEL.
function(zt_test name)
  cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock Threads::Threads)
  gtest_discover_tests(${name} PROPERTIES LABELS ${T_LABEL} DISCOVERY_TIMEOUT 60)
endfunction()
