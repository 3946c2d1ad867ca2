# The Windows program, cross-built with mingw-w64 and linked statically so that
# it needs nothing but the system's own DLLs.
# CMake keeps the compiler of a build folder's first configure: a folder made before the toolchain
# named another one would build another program than these sources.
get_filename_component(configured_compiler "${CMAKE_CXX_COMPILER}" NAME)
if(NOT configured_compiler STREQUAL kavren_cxx_compiler)
    message(FATAL_ERROR "${CMAKE_BINARY_DIR} was configured with ${configured_compiler}; the toolchain now "
                        "names ${kavren_cxx_compiler}: configure it afresh (cmake --preset windows --fresh)")
endif()
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)
add_link_options(-static -municode)
# Built for size: the program spends its time in the system, not in its own code, so
# -Os, unused sections dropped and link-time optimisation cost start-up nothing.
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
add_compile_options(-ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections)
# GCC 12 stops with an internal error (binds_to_current_def_p) when it splits the program into
# partitions for link-time optimisation; in one it does not, and the program is small.
add_link_options(-flto-partition=one)
# Two builds of one commit give the same bytes: no link time in the PE header. (Debian's ld would
# take SOURCE_DATE_EPOCH, which scripts/package sets, but a plain build has none.)
add_link_options(-Wl,--no-insert-timestamp)

# The Win32 side of the program: platform calls and the window shell. The test
# programs link it too, to look at the window from inside its own process.
add_library(kavren_win STATIC
    platform/win32_platform.cpp
    platform/late_bound.cpp
    platform/entry_actions.cpp
    platform/directory_watch.cpp
    app/main_window.cpp
    app/message_loop.cpp
    app/control_table.cpp
    app/form_layout.cpp
    app/form_view.cpp
    app/directory_box.cpp
    app/directory_input.cpp
    app/directory_item.cpp
    app/entry_descriptions.cpp
    app/entry_tooltip.cpp
    app/script_text.cpp
    app/text_clusters.cpp
    app/font_search.cpp
)
target_link_libraries(kavren_win PUBLIC kavren_core comctl32 shlwapi gdi32 user32 kernel32 uuid)

add_subdirectory(resources)

add_executable(kavren_ui WIN32 app/main.cpp app/terminate_handler.cpp app/library_errors.cpp)
target_link_libraries(kavren_ui PRIVATE kavren_win kavren_resources)
set_property(TARGET kavren_ui kavren_win kavren_core PROPERTY INTERPROCEDURAL_OPTIMIZATION ON)

add_subdirectory(tests/tool)
add_subdirectory(tests/windows)
add_subdirectory(bench)
