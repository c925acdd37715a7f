# Dependencies named mv_* must be libraries already defined: a folder listed later, or one
# without sources (which makes no target), is a mistake to report, not a link to drop.
function(_mv_check_deps who)
  foreach(d ${ARGN})
    if(d MATCHES "^mv_" AND NOT TARGET ${d})
      message(FATAL_ERROR "${who} needs ${d}, which is not defined here: a folder without sources, "
                          "or listed after ${who} in the top CMakeLists.txt")
    endif()
  endforeach()
endfunction()

# mv_library(NAME DEPS...): one static library per source folder, sources globbed so that
# adding a file needs no edit here. A folder without sources yet makes no target.
function(mv_library name)
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB _hdrs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT _srcs)
    return()
  endif()
  add_library(${name} STATIC ${_srcs} ${_hdrs})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  _mv_check_deps(${name} ${ARGN})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# mv_test_folder(NAME DEPS...): one test executable per test folder.
function(mv_test_folder name)
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB _hdrs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT _srcs)
    return()
  endif()
  add_executable(${name} ${_srcs} ${_hdrs})
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests/support)
  _mv_check_deps(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE ${ARGN} mv_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE MV_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures")
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
