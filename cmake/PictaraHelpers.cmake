# Shared build helpers.
#
# Source files are picked up by folder: Foo.cpp always, Foo_win.cpp only in the Windows builds,
# Foo_posix.cpp only in the native build. Adding a file needs no CMake edit (re-run happens
# automatically through CONFIGURE_DEPENDS).

function(pictara_collect_sources out dir)
  file(GLOB _all CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.c")
  set(_keep "")
  foreach(f IN LISTS _all)
    get_filename_component(_name "${f}" NAME_WE)
    if(_name MATCHES "_win$")
      if(WIN32)
        list(APPEND _keep "${f}")
      endif()
    elseif(_name MATCHES "_posix$")
      if(NOT WIN32)
        list(APPEND _keep "${f}")
      endif()
    else()
      list(APPEND _keep "${f}")
    endif()
  endforeach()
  set(${out} "${_keep}" PARENT_SCOPE)
endfunction()

# pictara_module(<name> DEPS <targets...> [WIN_LIBS <libs...>] [POSIX_LIBS <libs...>])
# A static library pictara_<name> from src/<name>. Headers are included as "<name>/header.h".
function(pictara_module name)
  cmake_parse_arguments(M "" "" "DEPS;WIN_LIBS;POSIX_LIBS" ${ARGN})
  pictara_collect_sources(_src "${CMAKE_CURRENT_SOURCE_DIR}")
  if(NOT _src)
    add_library(pictara_${name} INTERFACE)
    target_include_directories(pictara_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(pictara_${name} INTERFACE ${M_DEPS})
    return()
  endif()
  add_library(pictara_${name} STATIC ${_src})
  target_include_directories(pictara_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(pictara_${name} PUBLIC ${M_DEPS})
  if(WIN32)
    target_link_libraries(pictara_${name} PUBLIC ${M_WIN_LIBS})
  else()
    target_link_libraries(pictara_${name} PUBLIC ${M_POSIX_LIBS})
  endif()
endfunction()

macro(pictara_setup_gtest)
  if(WIN32)
    # Built from Debian's sources with the cross compiler; static like everything else.
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  else()
    find_package(GTest REQUIRED)
  endif()
  include(GoogleTest)
endmacro()

# pictara_unit_test(<name> SOURCES... LIBS...) — a native GoogleTest program, each test a CTest entry.
function(pictara_unit_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT T_SOURCES)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    PICTARA_FIXTURES="${PROJECT_SOURCE_DIR}/tests/fixtures"
    PICTARA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # A hung test fails after five minutes instead of holding up the whole run.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 300 ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endfunction()
