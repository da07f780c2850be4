# vestan_system_sources(VAR): X_win.cpp takes the place of X.cpp on Windows
# and is left out everywhere else, so the one per-system piece of a folder
# needs neither an #ifdef nor a CMake line of its own.
function(vestan_system_sources var)
    set(kept)
    foreach(file ${${var}})
        if(file MATCHES "_win\\.cpp$")
            if(WIN32)
                list(APPEND kept ${file})
            endif()
            continue()
        endif()
        string(REGEX REPLACE "\\.cpp$" "_win.cpp" twin "${file}")
        if(WIN32 AND NOT twin STREQUAL file AND EXISTS "${twin}")
            continue()
        endif()
        list(APPEND kept ${file})
    endforeach()
    set(${var} ${kept} PARENT_SCOPE)
endfunction()

# vestan_subsystem(NAME DEPENDS ...): a static library of every .cpp/.h/.qrc in
# the calling folder, so that adding a source file needs no CMake change.
function(vestan_subsystem name)
    cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/*.h
        ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
    vestan_system_sources(sources)
    set(compiled ${sources})
    list(FILTER compiled INCLUDE REGEX "\\.(cpp|qrc)$")
    if(NOT compiled)
        # A folder with headers only (or nothing yet) still gives a target to depend on.
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
        return()
    endif()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
endfunction()

# vestan_test_folder(NAME DEPENDS ... [PROPERTIES key value ...]): one test
# program of every test_*.cpp in the calling folder, registered with ctest
# case by case; PROPERTIES are added to every case (LABELS, TIMEOUT ...).
function(vestan_test_folder name)
    cmake_parse_arguments(ARG "" "" "DEPENDS;PROPERTIES" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE vestan_test_main vestan_test_support ${ARG_DEPENDS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    gtest_discover_tests(${name}
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
        # The extra properties go first: the ENVIRONMENT list reaches ctest
        # flattened, so only its first entry takes effect and whatever
        # followed it would be misread as property names.
        PROPERTIES ${ARG_PROPERTIES}
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VESTAN_BUILD_DIR=${CMAKE_BINARY_DIR}"
        DISCOVERY_TIMEOUT 60)
endfunction()

# vestan_fuzz_target(NAME SOURCES ... [LIBS ...]): a libFuzzer program (clang
# only) with the code under test compiled in, instrumented, so the fuzzer sees
# its coverage; undefined behaviour stops the run. Registers a 30-second smoke
# run from the committed seeds as ctest test NAME_smoke.
function(vestan_fuzz_target name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(WARNING "VESTAN_FUZZ needs clang; ${name} is skipped")
        return()
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    target_compile_options(${name} PRIVATE
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    set_target_properties(${name} PROPERTIES AUTOMOC OFF)
    file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/corpus)
    add_test(NAME ${name}_smoke
        COMMAND ${name} -max_total_time=30 -max_len=4096
                ${CMAKE_CURRENT_BINARY_DIR}/corpus ${CMAKE_CURRENT_SOURCE_DIR}/seeds)
    set_tests_properties(${name}_smoke PROPERTIES TIMEOUT 120)
endfunction()
