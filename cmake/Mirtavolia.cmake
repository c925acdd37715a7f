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

# mv_autogen_follows_sources(TARGET FILES...): moc runs again when the globbed file list of
# TARGET changes. With Ninja the "Automatic MOC" step of a target is out of date only when a
# file named in its depfile is newer than its timestamp: the sources and headers moc saw
# last time and the CMake files read at configure time. A header added to a folder makes
# the glob check configure again, which lists the header for moc, but nothing the step
# depends on changes, so the new Q_OBJECT class is never compiled ("undefined reference to
# vtable" at link). The file list written here is read as a CMake file, so it is among
# those the step depends on; it is rewritten only when the list changes. A build folder
# made before the list existed has depfiles without it: its moc steps run once more.
function(mv_autogen_follows_sources target)
  set(_list ${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/${target}_sources.cmake)
  if(NOT EXISTS ${_list})
    get_target_property(_autogen ${target} AUTOGEN_BUILD_DIR)
    if(NOT _autogen)
      set(_autogen ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen)
    endif()
    file(REMOVE ${_autogen}/timestamp)
  endif()
  list(SORT ARGN)
  string(REPLACE ";" "\n  " _content "${ARGN}")
  file(CONFIGURE OUTPUT ${_list} CONTENT "# The files of ${target}, read so that moc runs again when they change.\nset(_mv_sources_of_${target}\n  ${_content})\n")
  include(${_list})
endfunction()

# mv_library(NAME DEPS... [FOLDERS SUB...]): one static library per source folder, sources
# globbed so that adding a file needs no edit here. FOLDERS adds the sources of sub-folders
# that only sort one library's files by what they hold (the core's groups). A folder
# without sources yet makes no target.
function(mv_library name)
  cmake_parse_arguments(PARSE_ARGV 1 _lib "" "" "FOLDERS")
  set(_dirs ${CMAKE_CURRENT_SOURCE_DIR})
  foreach(_sub ${_lib_FOLDERS})
    list(APPEND _dirs ${CMAKE_CURRENT_SOURCE_DIR}/${_sub})
  endforeach()
  set(_srcs)
  set(_hdrs)
  foreach(_dir ${_dirs})
    file(GLOB _s CONFIGURE_DEPENDS ${_dir}/*.cpp)
    file(GLOB _h CONFIGURE_DEPENDS ${_dir}/*.h)
    list(APPEND _srcs ${_s})
    list(APPEND _hdrs ${_h})
  endforeach()
  set(_deps ${_lib_UNPARSED_ARGUMENTS})
  if(NOT _srcs)
    return()
  endif()
  add_library(${name} STATIC ${_srcs} ${_hdrs})
  mv_autogen_follows_sources(${name} ${_srcs} ${_hdrs})
  # Includes name the folder of a header from one of two roots: "objdb/Database.h",
  # "core/configuration/Configuration.h" (a header of the includer's own folder is included plain).
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/src/platform)
  _mv_check_deps(${name} ${_deps})
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
  mv_autogen_follows_sources(${name} ${_srcs} ${_hdrs})
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests/support)
  _mv_check_deps(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE ${ARGN} mv_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE MV_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures")
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
