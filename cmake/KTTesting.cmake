find_package(GTest REQUIRED)
include(GoogleTest)

# kt_add_test(<name> SOURCES <files...> LIBS <targets...>)
# One test executable per subsystem; every test runs headless on Qt's offscreen platform.
function(kt_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} kt::test_support GTest::gtest)
  gtest_discover_tests(${name}
    PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen
    DISCOVERY_TIMEOUT 60)
endfunction()
