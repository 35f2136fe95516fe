find_package(GTest REQUIRED)
include(GoogleTest)

# kt_add_test(<name> SOURCES <files...> LIBS <targets...> [RESOURCE_LOCK <lock>])
# One test executable per subsystem; every test runs headless on Qt's offscreen platform.
# Tests that share something outside their own temporary folders (the program's folder, which
# the application reads its default configuration from) name a lock so ctest runs them one at a time.
function(kt_add_test name)
  cmake_parse_arguments(ARG "" "RESOURCE_LOCK" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} kt::test_support GTest::gtest)
  set(properties ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  if(ARG_RESOURCE_LOCK)
    list(APPEND properties RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
  endif()
  gtest_discover_tests(${name} PROPERTIES ${properties} DISCOVERY_TIMEOUT 60)
endfunction()
