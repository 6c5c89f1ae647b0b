# The drag and undo benchmark: the real editor with the plug-in module, under a display.
if(TARGET EditorApp AND TARGET Gizmark)
    add_executable(gizmark_bench_drag ${CMAKE_CURRENT_LIST_DIR}/bench_drag.cpp)
    target_include_directories(gizmark_bench_drag PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_libraries(gizmark_bench_drag PRIVATE gizmark_gui_support benchmark::benchmark)
    target_compile_definitions(gizmark_bench_drag
        PRIVATE GIZMARK_BENCH_PLUGIN_DIR="${GIZMARK_PLUGIN_DIR}")
    add_dependencies(gizmark_bench_drag Gizmark)
endif()
