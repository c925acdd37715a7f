# What keeps a clean build cheap on a small machine: a compiler cache when there is one,
# precompiled headers shared between targets, and unity builds for the folders that ask.
# Included before any target is made, so the settings below reach every target.

# ccache, when installed (MV_CCACHE=OFF to do without; CCACHE_DISABLE=1 also works).
# The sloppiness lets it cache files compiled against a precompiled header (whose defines
# and fresh time stamps would otherwise make every look-up a miss); the base folder makes
# paths relative, so another clone of the repository finds the same entries.
option(MV_CCACHE "Compile through ccache when it is installed" ON)
find_program(MV_CCACHE_PROGRAM ccache)
if(MV_CCACHE AND MV_CCACHE_PROGRAM AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env
      CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
      CCACHE_BASEDIR=${PROJECT_SOURCE_DIR}
      ${MV_CCACHE_PROGRAM})
endif()

# Debug information costs about a third of every file's compile time and CI never reads it:
# CI builds with MV_DEBUG_INFO=OFF, same optimisation as the program built by hand.
option(MV_DEBUG_INFO "Keep the debug information of the build type" ON)
if(NOT MV_DEBUG_INFO)
  add_compile_options(-g0)
endif()

# Precompiled headers. Almost every file pulls in the same Qt, standard and GoogleTest
# headers, and parsing them was about 40% of a file's compile time. Three headers, each
# built once in a target of its own and reused by every library, program and test:
#   mv_pch_core     Qt Core and the standard library (targets without widgets)
#   mv_pch_widgets  the above with Qt Gui and Widgets
#   mv_pch_tests    the above with GoogleTest and the tests' printers of Qt values (test
#                   programs and their support)
# A precompiled header is only used when the compiler sees the same -D macros that touch
# it; a target that differs gets a "-Winvalid-pch" warning and still builds correctly,
# only slower. Set MV_PCH=OFF (or CMAKE_DISABLE_PRECOMPILE_HEADERS=ON) to check that every
# file includes what it uses.
option(MV_PCH "Use the shared precompiled headers" ON)
# Whether targets get the shared headers (see mv_use_pch_everywhere).
if(MV_PCH AND NOT CMAKE_DISABLE_PRECOMPILE_HEADERS AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set(MV_PCH_IN_USE ON)
else()
  set(MV_PCH_IN_USE OFF)
endif()

set(_mv_pch_core
    <algorithm> <cmath> <cstdint> <functional> <map> <memory> <optional> <set> <string>
    <unordered_map> <utility> <vector>
    <QByteArray> <QCoreApplication> <QDate> <QDateTime> <QDir> <QElapsedTimer> <QFile>
    <QFileInfo> <QHash> <QList> <QLocale> <QObject> <QPointer> <QProcess> <QRegularExpression>
    <QSaveFile> <QSet> <QString> <QStringList> <QTemporaryDir> <QTimer> <QUrl> <QVariant>)
set(_mv_pch_widgets ${_mv_pch_core}
    <QApplication> <QCheckBox> <QComboBox> <QDialog> <QGridLayout> <QGroupBox> <QHBoxLayout>
    <QImage> <QKeyEvent> <QLabel> <QLineEdit> <QPainter> <QPlainTextEdit> <QPushButton>
    <QVBoxLayout> <QWidget>)
# The printers must come before any test code (tests/support/QStringPrint.h says why).
set(_mv_pch_tests ${_mv_pch_widgets} <gtest/gtest.h> ${PROJECT_SOURCE_DIR}/tests/support/QStringPrint.h)

# A holder target per header: it compiles nothing else, and links exactly what gives the
# header its include folders and macros, so that its macros are a subset of every user's.
function(_mv_pch_holder name)
  if(TARGET ${name})
    return()
  endif()
  set(_src ${CMAKE_BINARY_DIR}/pch/${name}.cpp)
  if(NOT EXISTS ${_src})
    file(WRITE ${_src} "// Holds the ${name} precompiled header.\n")
  endif()
  add_library(${name} OBJECT EXCLUDE_FROM_ALL ${_src})
  set_target_properties(${name} PROPERTIES AUTOMOC OFF UNITY_BUILD OFF)
  target_link_libraries(${name} PRIVATE ${ARGN})
  target_precompile_headers(${name} PRIVATE ${_${name}})
endfunction()

# True in OUT when TARGET links (directly or through other targets) the target WANTED.
function(_mv_links out target wanted)
  set(_seen)
  set(_todo ${target})
  while(_todo)
    list(POP_FRONT _todo t)
    if(t IN_LIST _seen OR NOT TARGET ${t})
      continue()
    endif()
    list(APPEND _seen ${t})
    if(t STREQUAL wanted)
      set(${out} TRUE PARENT_SCOPE)
      return()
    endif()
    get_target_property(_aliased ${t} ALIASED_TARGET)
    if(_aliased)
      list(APPEND _todo ${_aliased})
    endif()
    get_target_property(_type ${t} TYPE)
    set(_props INTERFACE_LINK_LIBRARIES)
    if(NOT _type STREQUAL "INTERFACE_LIBRARY")
      list(APPEND _props LINK_LIBRARIES)
    endif()
    foreach(p ${_props})
      get_target_property(_libs ${t} ${p})
      foreach(l ${_libs})
        # $<LINK_ONLY:x> still links x; other generator expressions are left alone.
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" l "${l}")
        if(NOT l MATCHES "^\\$<" AND NOT l STREQUAL "_libs-NOTFOUND")
          list(APPEND _todo ${l})
        endif()
      endforeach()
    endforeach()
  endwhile()
  set(${out} FALSE PARENT_SCOPE)
endfunction()

# Gives TARGET the shared precompiled header that fits what it links.
function(_mv_use_pch target)
  _mv_links(_widgets ${target} Qt6::Widgets)
  _mv_links(_gtest ${target} GTest::gtest)
  if(_gtest AND _widgets)
    _mv_pch_holder(mv_pch_tests Qt6::Widgets GTest::gtest)
    set(_holder mv_pch_tests)
  elseif(_widgets)
    _mv_pch_holder(mv_pch_widgets Qt6::Widgets)
    set(_holder mv_pch_widgets)
  else()
    _mv_links(_core ${target} Qt6::Core)
    if(NOT _core)
      return()
    endif()
    _mv_pch_holder(mv_pch_core Qt6::Core)
    set(_holder mv_pch_core)
  endif()
  target_precompile_headers(${target} REUSE_FROM ${_holder})
endfunction()

# mv_use_pch_everywhere(): every C++ target under the source tree without a precompiled
# header of its own gets the shared one. Called once at the end of the top CMakeLists, when
# every target and link is known, so new folders need nothing. Folders built with special
# flags (fuzz/) are skipped, and so is everything when the compiler is not GCC: other
# compilers refuse, rather than ignore, a shared header built with other macros.
function(mv_use_pch_everywhere)
  if(NOT MV_PCH_IN_USE)
    return()
  endif()
  set(_dirs ${PROJECT_SOURCE_DIR})
  while(_dirs)
    list(POP_FRONT _dirs d)
    if(d STREQUAL "${PROJECT_SOURCE_DIR}/fuzz")
      continue()
    endif()
    get_property(_sub DIRECTORY ${d} PROPERTY SUBDIRECTORIES)
    list(APPEND _dirs ${_sub})
    get_property(_targets DIRECTORY ${d} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(t ${_targets})
      get_target_property(_type ${t} TYPE)
      get_target_property(_own ${t} PRECOMPILE_HEADERS)
      get_target_property(_reuse ${t} PRECOMPILE_HEADERS_REUSE_FROM)
      if(_type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$"
         AND NOT t MATCHES "^mv_pch_" AND NOT _own AND NOT _reuse)
        _mv_use_pch(${t})
      endif()
    endforeach()
  endwhile()
endfunction()

# Unity builds: a folder's files compiled in batches of MV_UNITY_BATCH, one compiler run per
# batch, so the inline and template code they share is compiled once per batch instead of
# once per file. A folder opts in with one line after making its target:
#     mv_unity(mv_core EXCLUDE ArchiveImport.cpp MaintenanceCopy.cpp)
# and opts out by dropping that line. The files of a batch share one translation unit: two
# files with a helper of the same name in an anonymous namespace (or a static function, a
# using-directive, a macro) fail with "redefinition of" or "is ambiguous" in
# Unity/unity_N_cxx.cxx, and the compiler names both files. Put one of them in EXCLUDE (or
# give the helper a distinct name). MV_UNITY_BUILD=OFF compiles every file alone.
option(MV_UNITY_BUILD "Compile the folders that opt in as unity builds" ON)
set(MV_UNITY_BATCH 8 CACHE STRING "Files per unity batch")
function(mv_unity target)
  cmake_parse_arguments(PARSE_ARGV 1 _u "" "" "EXCLUDE")
  if(NOT TARGET ${target} OR NOT MV_UNITY_BUILD)
    return()
  endif()
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${MV_UNITY_BATCH})
  # GCC takes a file included by the batch for a header, and warns of every test fixture
  # in an anonymous namespace as if a header had declared it.
  target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
  set(_out)
  foreach(f ${_u_EXCLUDE})
    get_filename_component(f ${f} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    if(EXISTS ${f})
      list(APPEND _out ${f})
    else()
      message(WARNING "mv_unity(${target}): ${f} is gone; drop it from EXCLUDE")
    endif()
  endforeach()
  if(_out)
    set_source_files_properties(${_out} TARGET_DIRECTORY ${target} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
  endif()
endfunction()
