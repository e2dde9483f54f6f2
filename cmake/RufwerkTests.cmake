# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 Rufwerk developers

# rufwerk_add_test(NAME <name> SOURCES <files...> LIBS <targets...>)
# One executable per test class, run offscreen with its own data folders.
function(rufwerk_add_test)
    cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE rufwerk_common Qt6::Test ${T_LIBS})
    target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES
        TIMEOUT 300
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;RUFWERK_BACKEND=sim;RUFWERK_TEST_BIN=${CMAKE_BINARY_DIR}/bin;RUFWERK_MODULE_DIR=${RUFWERK_MODULE_DIR}")
endfunction()

# Every tst_<unit>.cpp in the calling folder becomes one test linked against LIBS.
function(rufwerk_add_tests_in_folder)
    cmake_parse_arguments(T "" "" "LIBS;EXTRA_SOURCES" ${ARGN})
    file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
    foreach(_src ${_tests})
        get_filename_component(_name ${_src} NAME_WE)
        rufwerk_add_test(NAME ${_name} SOURCES ${_src} ${T_EXTRA_SOURCES} LIBS ${T_LIBS})
    endforeach()
endfunction()
