# The Windows program: velmora.exe, the shell and window halves as a library (the
# GUI tests link it and run the program inside their own process), and the
# resources as an object library that a test program can add to its own sources.
enable_language(RC)

# The shell (its sources are listed in cmake/sources.cmake).
add_library(velmora_app STATIC ${VELMORA_APP_SOURCES})
velmora_options(velmora_app)
# The preview decodes through the Windows Imaging Component: COM from ole32, the
# class and interface ids from the static uuid library.
target_link_libraries(velmora_app PUBLIC velmora_core comctl32 comdlg32 shell32 gdi32 user32 ole32 uuid)

# The icon is drawn by a script, so that it can be remade.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(VELMORA_ICON ${CMAKE_BINARY_DIR}/generated/velmora.ico)
add_custom_command(OUTPUT ${VELMORA_ICON}
                   COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/make-icon.py ${VELMORA_ICON}
                   DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make-icon.py
                   COMMENT "Drawing the program's icon")
add_custom_target(velmora_icon DEPENDS ${VELMORA_ICON})

# The resource script finds its headers through the core's include folders.
add_library(velmora_resources OBJECT res/velmora.rc)
target_include_directories(velmora_resources PRIVATE $<TARGET_PROPERTY:velmora_core,INTERFACE_INCLUDE_DIRECTORIES>)
set_source_files_properties(res/velmora.rc PROPERTIES
    OBJECT_DEPENDS "${VELMORA_ICON};${CMAKE_SOURCE_DIR}/res/resource_ids.h;${CMAKE_SOURCE_DIR}/res/maker.h;${CMAKE_SOURCE_DIR}/src/repair/repair_texts.h;${CMAKE_BINARY_DIR}/generated/velmora_version.h")
add_dependencies(velmora_resources velmora_icon)

add_executable(velmora WIN32 ${VELMORA_MAIN_SOURCE} $<TARGET_OBJECTS:velmora_resources>)
velmora_options(velmora)
target_link_libraries(velmora PRIVATE velmora_app)
target_link_options(velmora PRIVATE -mwindows ${VELMORA_STATIC_LINK})

# The Windows-side unit tests also cover the window halves (in the x86_64 build).
if(TARGET velmora_win_tests)
  target_sources(velmora_win_tests PRIVATE $<TARGET_OBJECTS:velmora_resources>)
  target_link_libraries(velmora_win_tests PRIVATE velmora_app version)
endif()

# The shell's timings under wine64: start-up to a filled table, and a repair
# through the real progress window (scripts/bench-shell.sh builds and runs it).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_executable(velmora_shell_bench EXCLUDE_FROM_ALL bench/shell_bench_win.cpp $<TARGET_OBJECTS:velmora_resources>)
  velmora_options(velmora_shell_bench)
  target_link_libraries(velmora_shell_bench PRIVATE velmora_app ${VELMORA_STATIC_LINK})
endif()
