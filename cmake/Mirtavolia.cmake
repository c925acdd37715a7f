# Dependencies that are mv_* names are linked only once their folder has sources, so that
# folders can be filled in any order.
function(_mv_existing out)
  set(_deps)
  foreach(d ${ARGN})
    if(d MATCHES "^mv_")
      if(TARGET ${d})
        list(APPEND _deps ${d})
      endif()
    else()
      list(APPEND _deps ${d})
    endif()
  endforeach()
  set(${out} ${_deps} PARENT_SCOPE)
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
  _mv_existing(_deps ${ARGN})
  target_link_libraries(${name} PUBLIC ${_deps})
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
  _mv_existing(_deps ${ARGN})
  target_link_libraries(${name} PRIVATE ${_deps} mv_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE MV_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures")
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
