# The Gizmark plug-in module: one shared object, Gizmark.so, in the editor's plug-in folder.
# Only DllLoadPlugin and DllUnloadPlugin are visible; everything else stays inside.

file(GLOB GIZMARK_MODULE_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/core/*.cpp
    ${CMAKE_SOURCE_DIR}/commands/*.cpp
    ${CMAKE_SOURCE_DIR}/gizmo/*.cpp
    ${CMAKE_SOURCE_DIR}/panels/*.cpp
    ${CMAKE_SOURCE_DIR}/proptree/*.cpp
    ${CMAKE_SOURCE_DIR}/resources/*.cpp)

# The dialog templates and tool strip, compiled into C++ together with the images they name.
# A unique init name keeps our copy apart from other modules' resources.
file(GLOB GIZMARK_RESOURCE_IMAGES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.xpm)
set(GIZMARK_XRC ${CMAKE_SOURCE_DIR}/resources/Gizmark.xrc)
set(GIZMARK_XRC_CPP ${CMAKE_BINARY_DIR}/generated/GizmarkXrc.cpp)
find_program(GIZMARK_WXRC NAMES wxrc wxrc-3.2 REQUIRED)
add_custom_command(
    OUTPUT ${GIZMARK_XRC_CPP}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
    COMMAND ${GIZMARK_WXRC} -c -n InitGizmarkXrcResources -o ${GIZMARK_XRC_CPP} Gizmark.xrc
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/resources
    DEPENDS ${GIZMARK_XRC} ${GIZMARK_RESOURCE_IMAGES}
    COMMENT "Compiling Gizmark resources"
    VERBATIM)

add_library(Gizmark MODULE ${GIZMARK_MODULE_SOURCES} ${GIZMARK_XRC_CPP})
set_source_files_properties(${GIZMARK_XRC_CPP} PROPERTIES COMPILE_OPTIONS "-Wno-unused-parameter")
target_include_directories(Gizmark PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(Gizmark PRIVATE gizmark_host_api gizmark_wx gizmark_ogre)
foreach(hostlib EditorBase EditorEngine)
    if(TARGET ${hostlib})
        target_link_libraries(Gizmark PRIVATE ${hostlib})
    endif()
endforeach()
target_compile_options(Gizmark PRIVATE -fvisibility=hidden -fvisibility-inlines-hidden)
set(GIZMARK_EXPORTS ${CMAKE_SOURCE_DIR}/core/Gizmark.map)
target_link_options(Gizmark PRIVATE -Wl,--version-script=${GIZMARK_EXPORTS})
if(TARGET EditorBase AND TARGET EditorEngine)
    # Every symbol must resolve at link time, not at dlopen.
    target_link_options(Gizmark PRIVATE -Wl,--no-undefined)
endif()
set_target_properties(Gizmark PROPERTIES
    PREFIX ""
    OUTPUT_NAME Gizmark
    LIBRARY_OUTPUT_DIRECTORY ${GIZMARK_PLUGIN_DIR}
    LINK_DEPENDS ${GIZMARK_EXPORTS})
