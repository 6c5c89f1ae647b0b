# Shared settings for every target of the project.

# wx and Ogre as interface targets, so that a target links them by name.
add_library(gizmark_wx INTERFACE)
target_include_directories(gizmark_wx SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
target_compile_definitions(gizmark_wx INTERFACE ${wxWidgets_DEFINITIONS})
target_compile_options(gizmark_wx INTERFACE ${wxWidgets_CXX_FLAGS})
target_link_libraries(gizmark_wx INTERFACE ${wxWidgets_LIBRARIES})

add_library(gizmark_ogre INTERFACE)
target_include_directories(gizmark_ogre SYSTEM INTERFACE ${OGRE_INCLUDE_DIRS})
target_link_libraries(gizmark_ogre INTERFACE OgreMain)

# A library of the plug-in module: static, its own folder as its include path, compiled like
# the module (nothing but the module's two entry points may become visible).
function(gizmark_plugin_library target)
    add_library(${target} STATIC ${ARGN})
    target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_options(${target} PRIVATE -fvisibility=hidden -fvisibility-inlines-hidden)
endfunction()

# A test that opens windows does so on an X server of its own, even when the developer has a
# display: tests never share one, so they run side by side, and none takes over a person's
# screen. GIZMARK_TEST_ENV starts the command of a test whose script calls with-display.sh itself.
# Editors under test keep their settings and recovery copies in the build tree, never in the
# home folder of whoever runs the tests.
set(GIZMARK_TEST_ENV ${CMAKE_COMMAND} -E env GIZMARK_OWN_DISPLAY=1
    XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-home/config
    XDG_STATE_HOME=${CMAKE_BINARY_DIR}/test-home/state)
set(GIZMARK_WITH_DISPLAY ${GIZMARK_TEST_ENV} ${CMAKE_SOURCE_DIR}/scripts/with-display.sh)

# A test binary that needs no display: every case is its own ctest test.
function(gizmark_add_test target)
    add_executable(${target} ${ARGN})
    target_link_libraries(${target} PRIVATE GTest::gtest GTest::gtest_main)
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()

# A test binary that needs an X display (wx windows, GL views): one ctest test for the binary,
# run under its own Xvfb when there is no display. The binary supplies its own main.
function(gizmark_add_gui_test target)
    add_executable(${target} ${ARGN})
    target_link_libraries(${target} PRIVATE GTest::gtest)
    add_test(NAME ${target} COMMAND ${GIZMARK_WITH_DISPLAY} $<TARGET_FILE:${target}>)
    set_tests_properties(${target} PROPERTIES TIMEOUT 600)
endfunction()

include(GoogleTest)

# Installs a target of the editor: a program into bin/, a shared library into lib/gizmark/host/,
# a plug-in module into lib/gizmark/plugins/; each finds the shared libraries from its own
# folder ($ORIGIN), wherever the tree is installed.
function(gizmark_install target)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/../${GIZMARK_INSTALL_LIBDIR}")
        install(TARGETS ${target} RUNTIME DESTINATION bin)
    elseif(type STREQUAL "MODULE_LIBRARY")
        set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/../host")
        install(TARGETS ${target} LIBRARY DESTINATION ${GIZMARK_INSTALL_PLUGINDIR}
                PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    else()
        set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
        install(TARGETS ${target} LIBRARY DESTINATION ${GIZMARK_INSTALL_LIBDIR}
                PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    endif()
endfunction()
