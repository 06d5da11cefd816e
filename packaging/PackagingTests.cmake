# Tests of the desktop files, the install layout and the Debian package.
# They run in every build, the sanitizer build included: there the package
# carries the instrumented program, and its smoke run is checked like the rest.

# A tool the tests need but that is missing skips its test with the reason
# (scripts/packages.sh lists the packages; ./test.sh installs them).
function(quillora_tool_test name tool package)
    find_program(${tool}_PROGRAM ${tool})
    if(${tool}_PROGRAM)
        add_test(NAME ${name} COMMAND ${${tool}_PROGRAM} ${ARGN})
    else()
        add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} -E echo "${tool} not found: install ${package}")
        set_tests_properties(${name} PROPERTIES SKIP_REGULAR_EXPRESSION "not found")
    endif()
endfunction()

# Warnings count as failures: menus and software centres act on them.
quillora_tool_test(packaging.desktop_entry_valid desktop-file-validate desktop-file-utils
    ${CMAKE_CURRENT_SOURCE_DIR}/com.tolvenrix.Quillora.desktop)
set_tests_properties(packaging.desktop_entry_valid PROPERTIES FAIL_REGULAR_EXPRESSION "(warning|error):")
quillora_tool_test(packaging.metainfo_valid appstreamcli appstream
    validate --no-net --strict ${CMAKE_CURRENT_SOURCE_DIR}/com.tolvenrix.Quillora.metainfo.xml)

# Builds this tree's package with CPack, checks it and unpacks it for the
# installed-tree tests below.
set(QUILLORA_DEB_SCRATCH ${CMAKE_CURRENT_BINARY_DIR}/deb-test)
if(TARGET quillora_calc_uno)
    set(QUILLORA_PLUGIN_PACKED ON)
else()
    set(QUILLORA_PLUGIN_PACKED OFF)
endif()
add_test(NAME packaging.deb_built_and_unpacked
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/check-deb.sh ${CMAKE_BINARY_DIR} ${QUILLORA_DEB_SCRATCH}
        ${QUILLORA_PLUGIN_PACKED})
set_tests_properties(packaging.deb_built_and_unpacked PROPERTIES
    FIXTURES_SETUP quillora_deb
    TIMEOUT 300)

# Debian's own package checker on the package just built: any error or
# warning fails (packaging/lintian-overrides says why each override stays).
# Only an optimised build is packaged for users: a Debug or sanitizer build's
# package lacks the hardening lintian rightly asks for.
if(NOT QUILLORA_SANITIZE AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
    find_program(LINTIAN_PROGRAM lintian)
    if(LINTIAN_PROGRAM)
        add_test(NAME packaging.lintian_clean
            COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/lintian-deb.sh ${LINTIAN_PROGRAM} ${QUILLORA_DEB_SCRATCH})
    else()
        add_test(NAME packaging.lintian_clean COMMAND ${CMAKE_COMMAND} -E echo "lintian not found: install lintian")
        set_tests_properties(packaging.lintian_clean PROPERTIES SKIP_REGULAR_EXPRESSION "not found")
    endif()
    set_tests_properties(packaging.lintian_clean PROPERTIES FIXTURES_REQUIRED quillora_deb TIMEOUT 300)
endif()

find_package(GTest REQUIRED)
add_executable(test_packaging test_packaging.cpp ${PROJECT_SOURCE_DIR}/tests/support/QtTestMain.cpp)
target_link_libraries(test_packaging PRIVATE quillora_app GTest::gtest)
target_compile_definitions(test_packaging PRIVATE
    QUILLORA_VERSION="${PROJECT_VERSION}"
    QUILLORA_PACKAGING_DIR="${CMAKE_CURRENT_SOURCE_DIR}"
    QUILLORA_BUILT_PROGRAM_DIR="$<TARGET_FILE_DIR:quillora>"
    QUILLORA_PLUGIN_EXPECTED=$<BOOL:${QUILLORA_PLUGIN_PACKED}>)
add_dependencies(test_packaging quillora)

# The lookups and the packaging files on their own, quickly.
add_test(NAME packaging.lookups COMMAND test_packaging --gtest_filter=-InstalledTree.*)
# The unpacked package: layout, desktop integration and a headless start.
add_test(NAME packaging.installed_tree COMMAND test_packaging --gtest_filter=InstalledTree.*)
set_tests_properties(packaging.installed_tree PROPERTIES
    FIXTURES_REQUIRED quillora_deb
    ENVIRONMENT "QUILLORA_INSTALLED_ROOT=${QUILLORA_DEB_SCRATCH}/root"
    TIMEOUT 180)
