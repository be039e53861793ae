# Shared build rules: warnings, one library per source folder, one test per tst_*.cpp.

set(TAYORI_WARNINGS -Wall -Wextra -Werror)

# tayori_library(NAME FOLDER_LIBS... [PUBLIC_LIBS]) builds every source of the calling folder.
function(tayori_library name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.ui ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  target_compile_options(${name} PRIVATE ${TAYORI_WARNINGS})
  target_compile_definitions(${name} PUBLIC
                             TAYORI_VERSION="${PROJECT_VERSION}")
endfunction()

# tayori_tests(LIBS...) makes one Qt Test executable per tst_*.cpp of the calling folder.
# Files named *_helper.cpp / *.h in the folder are linked into each of them.
function(tayori_tests)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
  file(GLOB helpers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_helper.cpp
       ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(src ${tests})
    get_filename_component(tname ${src} NAME_WE)
    add_executable(${tname} ${src} ${helpers})
    target_link_libraries(${tname} PRIVATE ${ARGN} Qt6::Test)
    target_include_directories(${tname} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_compile_options(${tname} PRIVATE ${TAYORI_WARNINGS})
    target_compile_definitions(${tname} PRIVATE
      TAYORI_TESTDATA="${TAYORI_TESTDATA}"
      TAYORI_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
      TAYORI_BINARY_DIR="${CMAKE_BINARY_DIR}")
    add_test(NAME ${tname} COMMAND ${tname})
    set_tests_properties(${tname} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp"
      TIMEOUT 300)
  endforeach()
endfunction()

# tayori_ime_test(NAME LIBS...) types through a real input method (ibus with Mozc) on a display
# of its own: the test runs inside scripts/ime-session, which skips (77) when a piece is
# missing, or fails under CI.
function(tayori_ime_test name)
  find_package(Qt6 REQUIRED COMPONENTS DBus)
  add_executable(${name} ${name}.cpp)
  target_link_libraries(${name} PRIVATE ${ARGN} Qt6::Test Qt6::DBus)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_options(${name} PRIVATE ${TAYORI_WARNINGS})
  add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/scripts/ime-session $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 180
                                          ENVIRONMENT "LC_ALL=C.UTF-8")
endfunction()
