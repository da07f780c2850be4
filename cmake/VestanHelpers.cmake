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

# The Windows build has no SVG support: every SVG picture of a resource file
# is rendered to PNG at build time (rsvg-convert, at its own size) and kept
# under its old resource name, so the code loads it unchanged (Qt's image
# reader goes by the content when no reader claims the suffix).
function(vestan_windows_pictures out)
    if(NOT WIN32)
        set(${out} ${ARGN} PARENT_SCOPE)
        return()
    endif()
    find_program(VESTAN_RSVG_CONVERT rsvg-convert REQUIRED)
    set(kept)
    foreach(file ${ARGN})
        if(NOT file MATCHES "\\.qrc$")
            list(APPEND kept ${file})
            continue()
        endif()
        get_filename_component(dir ${file} DIRECTORY)
        get_filename_component(qrcName ${file} NAME)
        file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${dir})
        set(outDir ${CMAKE_BINARY_DIR}/pictures/${rel})
        file(READ ${file} text)
        string(REGEX MATCHALL "<file>[^<]+</file>" entries "${text}")
        set(pngs)
        foreach(entry ${entries})
            string(REGEX REPLACE "</?file>" "" name "${entry}")
            if(name MATCHES "\\.svg$")
                set(png ${outDir}/${name}.png)
                get_filename_component(pngDir ${png} DIRECTORY)
                add_custom_command(OUTPUT ${png}
                    COMMAND ${CMAKE_COMMAND} -E make_directory ${pngDir}
                    COMMAND ${VESTAN_RSVG_CONVERT} -o ${png} ${dir}/${name}
                    DEPENDS ${dir}/${name} VERBATIM)
                list(APPEND pngs ${png})
                string(REPLACE "${entry}" "<file alias=\"${name}\">${png}</file>" text "${text}")
            else()
                string(REPLACE "${entry}" "<file alias=\"${name}\">${dir}/${name}</file>" text "${text}")
            endif()
        endforeach()
        file(CONFIGURE OUTPUT ${outDir}/${qrcName} CONTENT "${text}" @ONLY)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
        set_source_files_properties(${outDir}/${qrcName} PROPERTIES OBJECT_DEPENDS "${pngs}")
        list(APPEND kept ${outDir}/${qrcName} ${pngs})
    endforeach()
    set(${out} ${kept} PARENT_SCOPE)
endfunction()

# vestan_subsystem(NAME DEPENDS ... [WIDGETS stem ... [WIDGETS_DEPENDS ...]]):
# a static library of every .cpp/.h/.qrc in the calling folder, so that adding
# a source file needs no CMake change. WIDGETS names the files (by stem) that
# hold controls: they and the resource files make NAME_widgets (on NAME and
# WIDGETS_DEPENDS), the rest NAME without Qt Widgets, which is what vestan-cli
# links.
function(vestan_subsystem name)
    cmake_parse_arguments(ARG "" "" "DEPENDS;WIDGETS;WIDGETS_DEPENDS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/*.h
        ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
    vestan_system_sources(sources)
    if(ARG_WIDGETS)
        list(JOIN ARG_WIDGETS "|" stems)
        set(widgets ${sources})
        list(FILTER widgets INCLUDE REGEX "/((${stems})\\.(cpp|h)|[^/]*\\.qrc)$")
        list(FILTER sources EXCLUDE REGEX "/((${stems})\\.(cpp|h)|[^/]*\\.qrc)$")
        vestan_static_library(${name}_widgets "${widgets}" ${name} ${ARG_WIDGETS_DEPENDS})
    endif()
    vestan_static_library(${name} "${sources}" ${ARG_DEPENDS})
endfunction()

function(vestan_static_library name sources)
    vestan_windows_pictures(sources ${sources})
    set(compiled ${sources})
    list(FILTER compiled INCLUDE REGEX "\\.(cpp|qrc)$")
    if(NOT compiled)
        # A folder with headers only (or nothing yet) still gives a target to depend on.
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${ARGN})
        return()
    endif()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# vestan_test_folder(NAME DEPENDS ... [PROPERTIES key value ...]): one test
# program of every test_*.cpp in the calling folder, registered with ctest
# case by case; PROPERTIES are added to every case (LABELS, TIMEOUT ...).
function(vestan_test_folder name)
    cmake_parse_arguments(ARG "" "" "DEPENDS;PROPERTIES;LINUX_LINE" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    # LINUX_LINE: files that need trvsim or linesim on a pseudo-terminal,
    # which only Linux has; tools/windows/check.sh runs the Windows build
    # against them from outside instead.
    if(WIN32)
        foreach(file ${ARG_LINUX_LINE})
            list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${file})
            message(STATUS "${name}: ${file} not built for Windows (needs a Linux pseudo-terminal)")
        endforeach()
    endif()
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE vestan_test_main vestan_test_support ${ARG_DEPENDS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    if(CMAKE_CROSSCOMPILING)
        # Under an emulator a start costs a second or more: one ctest per
        # program, not one per case.
        add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
        set_tests_properties(${name} PROPERTIES ${ARG_PROPERTIES}
            ENVIRONMENT "VESTAN_BUILD_DIR=${CMAKE_BINARY_DIR}")
        return()
    endif()
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

# vestan_windows_resources(TARGET DESCRIPTION [ICON svg]): the version
# information of a Windows program from the project's version, its
# application manifest (per-monitor DPI awareness, common controls 6, Windows
# 10 and 11, long paths) and, given an SVG, its icon rendered at the sizes
# Windows asks for. Nothing elsewhere.
function(vestan_windows_resources target description)
    if(NOT WIN32)
        return()
    endif()
    cmake_parse_arguments(ARG "" "ICON" "" ${ARGN})
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
    set(VESTAN_RC_NAME ${target})
    set(VESTAN_RC_DESCRIPTION "${description}")
    string(REPLACE "." ";" numbers "${PROJECT_VERSION}")
    list(LENGTH numbers n)
    while(n LESS 4)
        list(APPEND numbers 0)
        math(EXPR n "${n} + 1")
    endwhile()
    list(JOIN numbers "," VESTAN_RC_VERSION)
    list(JOIN numbers "." VESTAN_RC_DOTTED)
    set(VESTAN_RC_MANIFEST ${dir}/${target}.manifest)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/program.manifest.in ${VESTAN_RC_MANIFEST} @ONLY)
    set(depends ${VESTAN_RC_MANIFEST})
    set(VESTAN_RC_ICON "")
    if(ARG_ICON)
        find_program(VESTAN_RSVG_CONVERT rsvg-convert REQUIRED)
        find_program(VESTAN_ICOTOOL icotool REQUIRED)
        set(small)
        foreach(size 16 20 24 32 40 48 64)
            list(APPEND small ${dir}/icon-${size}.png)
        endforeach()
        set(ico ${dir}/${target}.ico)
        add_custom_command(OUTPUT ${ico}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
            COMMAND ${CMAKE_COMMAND} -DSVG=${ARG_ICON} -DDIR=${dir} -DRSVG=${VESTAN_RSVG_CONVERT}
                -P ${PROJECT_SOURCE_DIR}/cmake/windows/iconsizes.cmake
            COMMAND ${VESTAN_ICOTOOL} -c -o ${ico} ${small} -r ${dir}/icon-256.png
            DEPENDS ${ARG_ICON} ${PROJECT_SOURCE_DIR}/cmake/windows/iconsizes.cmake VERBATIM)
        set(VESTAN_RC_ICON "IDI_ICON1 ICON \"${ico}\"")
        list(APPEND depends ${ico})
    endif()
    configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/program.rc.in ${dir}/${target}.rc @ONLY)
    set_source_files_properties(${dir}/${target}.rc PROPERTIES OBJECT_DEPENDS "${depends}")
    target_sources(${target} PRIVATE ${dir}/${target}.rc)
endfunction()
